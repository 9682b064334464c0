// Every guarded procedure with each of its labelled statements failing in
// turn through the fakes' failure plan: the error box names that statement's
// label, and the procedure goes on with the statement after it.
//
// A table row {label, next} reads: a failure in the statement labelled so is
// reported with that label, and the first change made after it is next (""
// when nothing more changes). Statements that touch no control or service
// cannot be made to fail this way and have no row.
#include <algorithm>
#include <functional>
#include <iterator>
#include <memory>
#include <ostream>
#include <set>

#include "FormFixture.h"
#include "switching/Activation.h"

namespace tarnavel::testing {
namespace {

struct Outcome {
  int label;  // 0: no box at all; -1: the failure escaped the procedure
  std::string next;
  auto operator<=>(const Outcome&) const = default;
};

std::ostream& operator<<(std::ostream& out, const Outcome& o) {
  return out << "{" << o.label << ", \"" << o.next << "\"}";
}

// In a table: whatever runs next will do.
constexpr const char* kAny = "*";

struct Bench {
  fake::FakeForm f;
  Form1 form{f.controls, f.services};
  std::vector<Hwnd32> targets;

  // Opens the windows, starts with monitoring off and queues them in order.
  void start(std::initializer_list<std::string_view> titles = {}) {
    f.settings.values.try_emplace("StartStopState", "Off");
    for (const auto title : titles)
      targets.push_back(f.windows.open(std::string(title)));
    form.Form_Load();
    for (const auto title : titles) {
      pick(title);
      form.onClick(Ctl::PushButton3);
    }
  }
  void pick(std::string_view title) {
    for (int row = 1; row <= f.ListView1.count(); ++row) {
      if (f.ListView1.text(row) == title) f.ListView1.select(row);
    }
  }
  void chooseCustom(std::deque<std::optional<std::string>> times) {
    f.dialogs.answers = std::move(times);
    form.onClick(Ctl::Option7);
  }
  void runTimer() {
    f.Timer1.setEnabled(true);
    f.Timer1.setInterval(1000);
    f.PushButton2.setCaption("Turn Off");  // monitoring on
  }
};

using Step = std::function<void(Bench&)>;

struct Scene {
  Step arrange;
  // Calls made outside every labelled statement, left alone.
  std::vector<std::string> spared = {};
  // Only the calls from the first one of this name on are made to fail.
  std::string from = {};
};

// The location and label that an error box names.
std::pair<std::string, int> namedIn(const std::string& box) {
  const auto in = box.find("\r\nin ") + 5 + kErrorLocationPrefix.size();
  const auto at = box.find(" at line ", in);
  return {box.substr(in, at - in), std::stoi(box.substr(at + 9))};
}

// The scene with act run after it, call failAt failing alone (0: none).
struct Run {
  std::unique_ptr<Bench> bench = std::make_unique<Bench>();
  bool escaped = false;
};
Run run(const Scene& scene, const Step& act, std::size_t failAt) {
  Run r;
  scene.arrange(*r.bench);
  r.bench->f.dialogs.boxes.clear();
  r.bench->f.faults.recording = true;
  r.bench->f.faults.failAt = failAt;
  try {
    act(*r.bench);
  } catch (...) {
    r.escaped = true;
  }
  return r;
}

// For each scene: a run without a failure numbers the calls, then one run
// for every call k fails call k alone. A failure that a guarded callee
// reports under its own location is that callee's.
std::set<Outcome> failEachCall(std::string_view location, const Step& act,
                               const std::vector<Scene>& scenes) {
  const std::string errorBox = "dialogs.messageBox " + std::string(kErrorBoxTitle);
  std::set<Outcome> outcomes;
  for (const auto& scene : scenes) {
    const auto clean = run(scene, act, 0);
    const auto& calls = clean.bench->f.faults.calls;
    EXPECT_FALSE(clean.escaped);
    EXPECT_EQ(std::ranges::count(calls, errorBox, &fake::FaultPlan::Call::name), 0);
    bool started = scene.from.empty();
    for (std::size_t k = 1; k <= calls.size(); ++k) {
      started = started || calls[k - 1].name == scene.from;
      if (!started || std::ranges::count(scene.spared, calls[k - 1].name) > 0) continue;
      const auto r = run(scene, act, k);
      Outcome outcome{r.escaped ? -1 : 0, ""};
      const auto& boxes = r.bench->f.dialogs.boxes;
      const auto box = std::ranges::find(boxes, kErrorBoxTitle, &fake::FakeDialogs::Shown::title);
      if (!r.escaped && box != boxes.end()) {
        const auto [where, label] = namedIn(box->text);
        if (where != location) continue;
        outcome.label = label;
      }
      const auto& made = r.bench->f.faults.calls;
      const auto next =
          std::find_if(made.begin() + static_cast<std::ptrdiff_t>(k), made.end(),
                       [&](const auto& c) { return c.changes && c.name != errorBox; });
      if (next != made.end()) outcome.next = next->name;
      outcomes.insert(outcome);
    }
  }
  return outcomes;
}

::testing::AssertionResult asTabled(const std::set<Outcome>& seen, const std::set<Outcome>& table) {
  std::set<Outcome> tabled;
  for (auto o : seen) {
    if (table.contains({o.label, kAny})) o.next = kAny;
    tabled.insert(o);
  }
  std::vector<Outcome> missing, extra;
  std::ranges::set_difference(table, tabled, std::back_inserter(missing));
  std::ranges::set_difference(tabled, table, std::back_inserter(extra));
  if (missing.empty() && extra.empty()) return ::testing::AssertionSuccess();
  auto failure = ::testing::AssertionFailure() << "in the table, not seen:";
  for (const auto& o : missing)
    failure << "\n  " << o;
  failure << "\nseen, not in the table:";
  for (const auto& o : extra)
    failure << "\n  " << o;
  return failure;
}

std::string stored(Hwnd32 handle, std::string_view title, std::string_view time = "") {
  return storedRow(std::to_string(handle), title, time);
}

// --- start-up and closing ---------------------------------------------------

TEST(GuardedLabels, FormLoad) {
  // With the skin and cursor files; then monitoring restored as on with a
  // queue, as off, and as on without a queue.
  auto startUp = [](std::string_view state, bool queued) {
    return [=](Bench& b) {
      b.f.files.files = {"C:\\Tools\\x\\o.cjs", "C:\\Tools\\HAND-M.CUR"};
      const Hwnd32 alpha = b.f.windows.open("Alpha");
      if (queued) b.f.settings.values["Queued Windows"] = stored(alpha, "Alpha", "60");
      b.f.settings.values["Option2"] = "True";
      b.f.settings.values["StartStopState"] = state;
    };
  };
  const std::string state = "settings.read StartStopState";
  const auto seen = failEachCall("Form1.Form_Load", [](Bench& b) { b.form.Form_Load(); },
                                 {{startUp("On", true)},
                                  {.arrange = startUp("Off", true), .from = state},
                                  {.arrange = startUp("On", false), .from = state}});
  // Whether the cursor file is there is never a failure (0), nor is reading
  // the rows' start commands, the last call (0, nothing after). 156 to 160 call
  // procedures that report their own failures. The tray icon (250, 252) is
  // still to come.
  // clang-format off
  const std::set<Outcome> table = {
      {0, ""},                           {0, "ListView1.addColumn"},
      {100, "Form.setCaption"},
      {106, "Form.setAppIcon"},          {106, "Form.loadCustomPointer"},
      {108, "Form.loadCustomPointer"},   {110, "ListView1.addColumn"},
      {132, "ListView1.addColumn"},      {134, "ListView1.setColumnWidth"},
      {136, "ListView2.addColumn"},      {138, "ListView2.addColumn"},
      {140, "ListView2.addColumn"},      {142, "ListView2.setColumnWidth"},
      {144, "ListView2.setColumnWidth"}, {146, "ListView2.setColumnWidth"},
      {148, "ListView2.addColumn"},      {150, "ListView2.setColumnWidth"},
      {152, "ListView1.clear"},          {162, "Option1.setValue"},
      {164, "Option1.setValue"},         {164, "Option3.setValue"},
      {166, "Option4.setValue"},         {168, "Option4.setValue"},
      {170, "Option5.setValue"},         {172, "Option6.setValue"},
      {174, "Option7.setValue"},         {176, "ListView2.setColumnWidth"},
      {178, "dtpWeekly.setValue"},       {180, "cboWeekly.setCaption"},
      {182, "Text1.setCaption"},         {184, "Text2.setCaption"},
      {186, "Text3.setCaption"},         {188, "PushButton2.setCaption"},
      {190, "Check8.setVisible"},        {194, "Timer1.setInterval"},
      {196, "Frame4.setCaption"},        {198, "Form.setPointer"},
      {198, "ProgressBar1.setValue"},    {200, "ProgressBar1.setCaption"},
      {200, "PushButton2.setCaption"},   {202, kAny},
      {206, "PushButton2.setCaption"},   {212, "Timer1.setEnabled"},
      {214, "Timer1.setEnabled"},        {216, "Timer1.setEnabled"},
      {220, "Timer1.setInterval"},       {222, kAny},
      {224, "Timer1.setInterval"},       {226, "Frame4.setCaption"},
      {228, "Form.setPointer"},          {228, "ProgressBar1.setValue"},
      {230, "ProgressBar1.setCaption"},  {230, "PushButton2.setCaption"},
      {232, kAny},                       {234, "Check8.setVisible"},
      {236, "Check8.setVisible"},        {238, "Check8.setVisible"},
      {246, "Form.setAppIcon"},          {250, "tray.add"},
      {252, "hook.install"},             {254, ""}};
  // clang-format on
  EXPECT_TRUE(asTabled(seen, table));
}

TEST(GuardedLabels, FormQueryUnload) {
  const Scene running{[](Bench& b) {
    b.start({"Alpha"});
    b.runTimer();
    // Another copy stored its queue since: closing stores this one's again.
    b.f.settings.values["Queued Windows"] = "";
  }};
  const auto seen = failEachCall("Form1.Form_QueryUnload",
                                 [](Bench& b) { b.form.Form_QueryUnload(); }, {running});
  // A row that cannot be read (106) leaves the stored queue as it was: the
  // write is skipped.
  // clang-format off
  const std::set<Outcome> table = {
      {100, "settings.write Queued Windows"}, {104, kAny},
      {106, "Timer1.setEnabled"},
      {110, "Timer1.setEnabled"},             {112, "tray.delete"},
      {114, "loop.doEvents"},
      {116, "loop.doEvents"},                 {118, "loop.endProgram"},
      {120, ""}};
  // clang-format on
  EXPECT_TRUE(asTabled(seen, table));
}

TEST(GuardedLabels, FormQueryEndSession) {
  const Scene running{[](Bench& b) {
    b.start({"Alpha"});
    b.runTimer();
    b.f.settings.values["Queued Windows"] = "";
  }};
  const auto seen = failEachCall("Form1.Form_QueryEndSession",
                                 [](Bench& b) { b.form.onQueryEndSession(); }, {running});
  // Only the queue is stored: the program runs on.
  const std::set<Outcome> table = {{104, ""}, {106, ""}, {110, ""}};
  EXPECT_TRUE(asTabled(seen, table));
}

// --- window list and queue --------------------------------------------------

TEST(GuardedLabels, LoadWindows) {
  const Scene two{[](Bench& b) { b.start({"Alpha", "Beta"}); }};
  const auto seen =
      failEachCall("Form1.loadWindows", [](Bench& b) { b.form.loadWindows(); }, {two});
  const std::set<Outcome> table = {
      {100, "ListView1.clear"}, {102, "ListView1.add"}, {112, "ListView1.add"}, {112, ""}};
  EXPECT_TRUE(asTabled(seen, table));
}

TEST(GuardedLabels, PushButton1Click) {
  // Both statements call procedures that report their own failures.
  const Scene queued{[](Bench& b) { b.start({"Alpha"}); }};
  const auto seen = failEachCall("Form1.PushButton1_Click",
                                 [](Bench& b) { b.form.onClick(Ctl::PushButton1); }, {queued});
  EXPECT_TRUE(asTabled(seen, {}));
}

TEST(GuardedLabels, LoadQueuedWindows) {
  const Scene twoRows{.arrange =
                          [](Bench& b) {
                            b.f.settings.values["Queued Windows"] =
                                stored(655, "Report", "60") + stored(980, "Calculator");
                            b.start();
                          },
                      // The number rules, read once before the rows.
                      .spared = {"locale.numberFormat"}};
  const auto seen = failEachCall("Form1.LoadQueuedWindows",
                                 [](Bench& b) { b.form.LoadQueuedWindows(); }, {twoRows});
  // clang-format off
  const std::set<Outcome> table = {
      {100, "ListView2.add"},                {102, ""},
      {114, "ListView2.setText Report"},     {114, "ListView2.setText Calculator"},
      {116, "ListView2.setText 60"},         {116, ""},
      {122, "ListView2.add"}};
  // clang-format on
  EXPECT_TRUE(asTabled(seen, table));
}

TEST(GuardedLabels, CheckHandle) {
  // Rows: a listed window under its own handle, a stale handle whose title
  // is listed and not queued, a stale handle with a title listed nowhere.
  const Scene three{[](Bench& b) {
    const Hwnd32 alpha = b.f.windows.open("Alpha");
    b.f.windows.open("Beta");
    b.f.settings.values["Queued Windows"] =
        stored(alpha, "Alpha") + stored(999, "Beta") + stored(998, "Gone");
    b.start();
    b.f.ListView2.rows[1][0] = "999";
  }};
  const auto seen =
      failEachCall("Form1.CheckHandle", [](Bench& b) { b.form.CheckHandle(); }, {three});
  // A row found through its title is rebound, and the queue stored (140).
  // clang-format off
  const std::set<Outcome> table = {
      {100, kAny},                            {106, kAny},
      {114, kAny},                            {116, "ListView2.setText Valid"},
      {116, "ListView2.setText Invalid"},     {120, kAny},
      {122, "ListView2.setText Invalid"},     {134, "settings.write Queued Windows"},
      {136, "ListView2.setText Valid"},       {136, "ListView2.setText Invalid"},
      {140, ""}};
  // clang-format on
  EXPECT_TRUE(asTabled(seen, table));
}

TEST(GuardedLabels, PushButton3Click) {
  // Adding a new window, and one already queued. 116 calls a procedure that
  // reports its own failures; the queue is stored at once (118).
  const Scene fresh{[](Bench& b) {
    b.f.windows.open("Beta");
    b.start({"Alpha"});
    b.pick("Beta");
  }};
  const Scene again{[](Bench& b) { b.start({"Alpha"}); }};
  const auto seen =
      failEachCall("Form1.PushButton3_Click", [](Bench& b) { b.form.onClick(Ctl::PushButton3); },
                   {fresh, again});
  // clang-format off
  const std::set<Outcome> table = {
      {100, ""},                            {102, kAny},
      {104, "dialogs.messageBox Tarnavel"}, {106, ""},
      {110, "ListView2.setText Beta"},      {112, "ListView2.setText Valid"},
      {114, "ListView2.setText Valid"},     {118, ""}};
  // clang-format on
  EXPECT_TRUE(asTabled(seen, table));
}

TEST(GuardedLabels, PushButton4Click) {
  const Scene running{[](Bench& b) {
    b.start({"Alpha", "Beta"});
    b.runTimer();
    b.f.ListView2.select(1);
  }};
  const auto seen = failEachCall("Form1.PushButton4_Click",
                                 [](Bench& b) { b.form.onClick(Ctl::PushButton4); }, {running});
  // The queue is stored at once (118).
  // clang-format off
  const std::set<Outcome> table = {
      {100, ""},                              {102, "Timer1.setEnabled"},
      {106, "Timer1.setInterval"},            {108, "ListView2.remove"},
      {110, "Timer1.setEnabled"},             {112, "Timer1.setEnabled"},
      {114, "Timer1.setInterval"},            {116, "settings.write Queued Windows"},
      {118, ""}};
  // clang-format on
  EXPECT_TRUE(asTabled(seen, table));
}

TEST(GuardedLabels, PushButton5Click) {
  const Scene queued{[](Bench& b) { b.start({"Alpha"}); }};
  const auto seen = failEachCall("Form1.PushButton5_Click",
                                 [](Bench& b) { b.form.onClick(Ctl::PushButton5); }, {queued});
  // The queue is stored at once (102).
  const std::set<Outcome> table = {{100, "settings.write Queued Windows"}, {102, ""}};
  EXPECT_TRUE(asTabled(seen, table));
}

TEST(GuardedLabels, PushButton8Click) {
  const Scene marked{[](Bench& b) {
    b.start();
    b.f.ListView2.rows = {{"1", "A", "Invalid"}, {"2", "B", "Valid"}};
  }};
  const auto seen = failEachCall("Form1.PushButton8_Click",
                                 [](Bench& b) { b.form.onClick(Ctl::PushButton8); }, {marked});
  // The queue is stored at once (110).
  const std::set<Outcome> table = {{102, kAny}, {104, "ListView2.remove"}, {106, kAny}, {110, ""}};
  EXPECT_TRUE(asTabled(seen, table));
}

// --- time before switch -----------------------------------------------------

TEST(GuardedLabels, SetTimeBeforeCwitch) {
  const Scene timed{[](Bench& b) {
    b.start({"Alpha"});
    b.chooseCustom({"45"});
    b.f.dialogs.answers = {"90"};
  }};
  const auto seen = failEachCall("Form1.SetTimeBeforeCwitch",
                                 [](Bench& b) { b.form.SetTimeBeforeCwitch(1); }, {timed});
  // The queue is stored at once (120).
  // clang-format off
  const std::set<Outcome> table = {
      {100, ""},                              {104, "dialogs.inputBox"},
      {106, "dialogs.inputBox"},              {108, "dialogs.inputBox"},
      {110, "dialogs.inputBox"},              {112, ""},
      {114, ""},                              {116, "ListView2.setText 90"},
      {118, "settings.write Queued Windows"}, {120, ""}};
  // clang-format on
  EXPECT_TRUE(asTabled(seen, table));
}

TEST(GuardedLabels, CheckTimeBeforeCwitch) {
  // The first row has its time, the second none. 118 calls a procedure that
  // reports its own failures.
  const Scene oneMissing{[](Bench& b) {
    b.start({"Alpha", "Beta"});
    b.chooseCustom({"45", std::nullopt});
    b.runTimer();
    b.f.dialogs.answers = {"30"};
  }};
  const auto seen = failEachCall("Form1.CheckTimeBeforeCwitch",
                                 [](Bench& b) { b.form.CheckTimeBeforeCwitch(); }, {oneMissing});
  // clang-format off
  const std::set<Outcome> table = {
      {102, ""},                   {104, ""},                   {106, "Timer1.setEnabled"},
      {110, "Timer1.setInterval"}, {112, "dialogs.inputBox"},   {114, kAny},
      {116, "dialogs.inputBox"},   {122, "Timer1.setEnabled"},  {124, "Timer1.setInterval"},
      {126, ""}};
  // clang-format on
  EXPECT_TRUE(asTabled(seen, table));
}

TEST(GuardedLabels, PushButton9Click) {
  // Under the custom schedule with a selected row, and under another one.
  // 112 calls a procedure that reports its own failures.
  const Scene custom{[](Bench& b) {
    b.start({"Alpha"});
    b.chooseCustom({"45"});
    b.runTimer();
    b.f.ListView2.select(1);
    b.f.dialogs.answers = {"90"};
  }};
  const Scene other{[](Bench& b) { b.start(); }};
  const auto seen =
      failEachCall("Form1.PushButton9_Click", [](Bench& b) { b.form.onClick(Ctl::PushButton9); },
                   {custom, other});
  // clang-format off
  const std::set<Outcome> table = {
      {100, ""},                   {100, "Timer1.setEnabled"},  {102, "Timer1.setEnabled"},
      {104, "Timer1.setEnabled"},  {108, "Timer1.setInterval"}, {110, "dialogs.inputBox"},
      {112, kAny},                 {114, "Timer1.setEnabled"},  {116, "Timer1.setInterval"},
      {118, ""},                   {120, ""}};
  // clang-format on
  EXPECT_TRUE(asTabled(seen, table));
}

// --- monitoring, help -------------------------------------------------------

TEST(GuardedLabels, PushButton2Click) {
  // Turning on (daily), off, and on with an empty queue. 106 calls a
  // procedure that reports its own failures.
  const Scene turnOn{[](Bench& b) {
    b.start({"Alpha"});
    b.form.onClick(Ctl::Option2);
  }};
  const Scene turnOff{[](Bench& b) {
    b.start({"Alpha"});
    b.form.onClick(Ctl::PushButton2);
  }};
  const Scene nothingQueued{[](Bench& b) { b.start(); }};
  const auto seen =
      failEachCall("Form1.PushButton2_Click", [](Bench& b) { b.form.onClick(Ctl::PushButton2); },
                   {turnOn, turnOff, nothingQueued});
  // clang-format off
  const std::set<Outcome> table = {
      {100, "Timer1.setEnabled"},             {102, "dialogs.messageBox Tarnavel"},
      {104, "Form.setState"},                 {108, "PushButton2.setCaption"},
      {110, "Timer1.setEnabled"},             {112, "Timer1.setEnabled"},
      {114, "Timer1.setEnabled"},             {118, "Timer1.setInterval"},
      {120, "settings.write StartStopState"}, {122, "Form.setVisible"},
      {124, ""},                              {126, "Timer1.setInterval"},
      {128, "Frame4.setCaption"},             {130, "Form.setPointer"},
      {130, "ProgressBar1.setValue"},         {132, "ProgressBar1.setCaption"},
      {132, "PushButton2.setCaption"},        {134, "settings.write StartStopState"},
      {136, ""}};
  // clang-format on
  EXPECT_TRUE(asTabled(seen, table));
}

TEST(GuardedLabels, HelpButtonsClick) {
  const Scene loaded{[](Bench& b) { b.start(); }};
  for (const Ctl button : {Ctl::PushButton6, Ctl::PushButton7, Ctl::PushButton10}) {
    const std::string location = "Form1." + std::string(layoutOf(button).name) + "_Click";
    const auto seen =
        failEachCall(location, [button](Bench& b) { b.form.onClick(button); }, {loaded});
    EXPECT_TRUE(asTabled(seen, {{100, ""}})) << location;
  }
}

// --- the tick and the activation --------------------------------------------

// The tick notes its time, reads the number rules and, after its yield,
// looks whether monitoring is still on outside its labelled statements. Its
// labelled statements that read the clock fail through their other calls.
const std::vector<std::string> kOutsideTheTick = {"clock.now", "locale.numberFormat",
                                                  "PushButton2.caption"};

void tick(Bench& b) {
  b.f.clock.advance(1);
  b.form.Timer1_Timer();
}

// Two rows under the weekly or daily schedule at a time of day, turned on a
// second before the tick at 09:00:01 on a Monday.
Scene momentAt(Ctl schedule, TimeOfDay at) {
  return {[=](Bench& b) {
            b.start({"Alpha", "Beta"});
            b.form.onClick(schedule);
            b.f.dtpWeekly.setValue(at);
            b.form.onChange(Ctl::dtpWeekly);
            b.form.onClick(Ctl::PushButton2);
          },
          kOutsideTheTick};
}

TEST(GuardedLabels, Timer1TimerWeekly) {
  // The tick that switches, and one after today's moment.
  const auto seen = failEachCall("Form1.Timer1_Timer", tick,
                                 {momentAt(Ctl::Option1, {9, 0, 1}), momentAt(Ctl::Option1, {8})});
  // clang-format off
  const std::set<Outcome> table = {
      {102, ""},                           {108, "ProgressBar1.setMax"},
      {120, "ProgressBar1.setMax"},        {122, "ProgressBar1.setValue"},
      {124, "ProgressBar1.setValue"},      {128, "Frame4.setCaption"},
      {130, "loop.doEvents"},              {132, "Frame4.setCaption"},
      {134, "loop.doEvents"},              {136, ""},
      {136, "Timer1.setEnabled"},          {138, "Timer1.setEnabled"},
      {140, "Timer1.setInterval"},         {142, "windows.allowAnyForeground"},
      {144, "windows.allowAnyForeground"}, {148, "windows.allowAnyForeground"},
      {152, "windows.allowAnyForeground"}, {156, "windows.allowAnyForeground"},
      {158, "ListView2.select"},           {162, "ListView2.select"},
      {166, "ListView2.setFocus"},         {168, kAny},
      {178, "Timer1.setInterval"},         {180, ""}};
  // clang-format on
  EXPECT_TRUE(asTabled(seen, table));
}

TEST(GuardedLabels, Timer1TimerDaily) {
  const auto seen = failEachCall("Form1.Timer1_Timer", tick,
                                 {momentAt(Ctl::Option2, {9, 0, 1}), momentAt(Ctl::Option2, {8})});
  // clang-format off
  const std::set<Outcome> table = {
      {102, ""},                           {108, "ProgressBar1.setMax"},
      {120, "ProgressBar1.setMax"},        {182, "ProgressBar1.setMax"},
      {184, "ProgressBar1.setValue"},      {186, "ProgressBar1.setValue"},
      {190, "Frame4.setCaption"},          {192, "loop.doEvents"},
      {194, "Frame4.setCaption"},          {196, "loop.doEvents"},
      {198, ""},                           {198, "Timer1.setEnabled"},
      {200, "Timer1.setEnabled"},          {202, "Timer1.setInterval"},
      {204, "windows.allowAnyForeground"}, {206, "windows.allowAnyForeground"},
      {210, "windows.allowAnyForeground"}, {214, "windows.allowAnyForeground"},
      {218, "windows.allowAnyForeground"}, {220, "ListView2.select"},
      {224, "ListView2.select"},           {228, "ListView2.setFocus"},
      {230, kAny},                         {240, "Timer1.setInterval"},
      {242, ""}};
  // clang-format on
  EXPECT_TRUE(asTabled(seen, table));
}

TEST(GuardedLabels, Timer1TimerInterval) {
  // Boxes to repair; and a switching tick with the position past the rows.
  auto interval = [](std::string_view h, std::string_view m, std::string_view s, int position) {
    return Scene{[=](Bench& b) {
                   b.start({"Alpha", "Beta"});
                   b.form.onClick(Ctl::Option3);
                   const std::pair<Ctl, std::string_view> boxes[] = {
                       {Ctl::Text1, h}, {Ctl::Text2, m}, {Ctl::Text3, s}};
                   for (const auto& [box, text] : boxes) {
                     textBox(b.f.controls, box).setCaption(text);
                     b.form.onChange(box);
                   }
                   b.form.onClick(Ctl::PushButton2);
                   b.form.countdown().QueueIndex = position;
                 },
                 kOutsideTheTick};
  };
  const auto seen = failEachCall("Form1.Timer1_Timer", tick,
                                 {interval("x", "y", "z", 1), interval("0", "0", "1", 5)});
  // clang-format off
  const std::set<Outcome> table = {
      {102, ""},                           {108, "ProgressBar1.setMax"},
      {108, "Text1.setCaption"},           {110, "ProgressBar1.setMax"},
      {120, "ProgressBar1.setMax"},        {182, "ProgressBar1.setMax"},
      {244, "ProgressBar1.setMax"},        {244, "Text1.setCaption"},
      {246, "Text1.setCaption"},           {248, "Text2.setCaption"},
      {250, "Text2.setCaption"},           {252, "Text3.setCaption"},
      {254, "Text3.setCaption"},           {256, "ProgressBar1.setMax"},
      {258, "ProgressBar1.setMax"},        {260, "ProgressBar1.setValue"},
      {264, "Frame4.setCaption"},          {266, "loop.doEvents"},
      {268, ""},                           {268, "Timer1.setEnabled"},
      {274, "Timer1.setInterval"},         {276, "windows.allowAnyForeground"},
      {278, "windows.allowAnyForeground"}, {282, "windows.allowAnyForeground"},
      {286, "windows.allowAnyForeground"}, {290, "windows.allowAnyForeground"},
      {292, "ListView2.select"},           {296, "ListView2.select"},
      {300, "ListView2.setFocus"},         {302, "ListView2.setFocus"},
      {304, "Timer1.setEnabled"},          {314, "Timer1.setInterval"},
      {316, ""}};
  // clang-format on
  EXPECT_TRUE(asTabled(seen, table));
}

TEST(GuardedLabels, Timer1TimerCustom) {
  // Row 1 waits one second and switches; row 2 has no time and is passed over.
  auto at = [](int position) {
    return Scene{[=](Bench& b) {
                   b.start({"Alpha", "Beta"});
                   b.chooseCustom({"1", std::nullopt});
                   b.form.onClick(Ctl::PushButton2);
                   b.form.countdown().QueueIndex = position;
                 },
                 kOutsideTheTick};
  };
  const auto seen = failEachCall("Form1.Timer1_Timer", tick, {at(1), at(2)});
  // clang-format off
  const std::set<Outcome> table = {
      {102, ""},                           {108, "ListView2.select"},
      {120, "ProgressBar1.setMax"},        {182, "ProgressBar1.setMax"},
      {244, "ProgressBar1.setMax"},        {318, "ListView2.select"},
      {318, "ProgressBar1.setMax"},        {320, "ProgressBar1.setMax"},
      {324, "ProgressBar1.setValue"},      {328, "Frame4.setCaption"},
      {330, "loop.doEvents"},              {332, "Timer1.setEnabled"},
      {338, "Timer1.setInterval"},         {340, "windows.allowAnyForeground"},
      {342, "windows.allowAnyForeground"}, {346, "windows.allowAnyForeground"},
      {350, "windows.allowAnyForeground"}, {354, "windows.allowAnyForeground"},
      {356, "ListView2.select"},           {360, "ListView2.select"},
      {364, "ListView2.setFocus"},         {366, "ListView2.setFocus"},
      {368, "Timer1.setEnabled"},          {378, "Timer1.setInterval"},
      {380, ""},                           {384, "ListView2.select"},
      {388, ""}};
  // clang-format on
  EXPECT_TRUE(asTabled(seen, table));
}

TEST(GuardedLabels, SwitchTo) {
  const Scene open{[](Bench& b) { b.targets.push_back(b.f.windows.open("Alpha")); }};
  auto maximise = [](Bench& b) {
    ErrorReport report(b.f.dialogs);
    SwitchTo(report, b.f.windows, b.targets.at(0), ShowCommand::Maximized);
  };
  const auto seen = failEachCall("Enum.SwitchTo", maximise, {open});
  // clang-format off
  const std::set<Outcome> table = {
      {100, "windows.setForeground"}, {102, "windows.setBand -1"},
      {104, "windows.show 5"},        {106, "windows.show 3"},
      {110, "windows.setBand -2"},    {112, ""}};
  // clang-format on
  EXPECT_TRUE(asTabled(seen, table));
}

// The switch refused the foreground, which is then borrowed from the mail
// program's thread (103): a failure there leaves our input apart from its
// thread before anything else runs.
TEST(GuardedLabels, SwitchToWhenTheForegroundIsRefused) {
  const Scene refused{[](Bench& b) {
    const Hwnd32 mail = b.f.windows.open("Mail");
    b.targets.push_back(b.f.windows.open("Alpha"));
    b.f.windows.foreground = mail;
    b.f.windows.lockInput = &b.f.input;
    b.f.input.touch();
  }};
  auto maximise = [](Bench& b) {
    ErrorReport report(b.f.dialogs);
    SwitchTo(report, b.f.windows, b.targets.at(0), ShowCommand::Maximized);
  };
  const auto seen = failEachCall("Enum.SwitchTo", maximise, {refused});
  // clang-format off
  const std::set<Outcome> table = {
      {100, "windows.setForeground"},   {102, "windows.setBand -1"},
      {103, "windows.setBand -1"},      {103, "windows.attachInput off"},
      {104, "windows.show 5"},          {106, "windows.show 3"},
      {110, "windows.setBand -2"},      {112, ""}};
  // clang-format on
  EXPECT_TRUE(asTabled(seen, table));
}

// Adding a window of a program run as administrator says so last (120).
TEST(GuardedLabels, PushButton3ClickOnAWindowRunAsAdministrator) {
  const Scene above{[](Bench& b) {
    b.f.windows.find(b.f.windows.open("Beta"))->above = true;
    b.start({"Alpha"});
    b.pick("Beta");
  }};
  const auto seen = failEachCall("Form1.PushButton3_Click",
                                 [](Bench& b) { b.form.onClick(Ctl::PushButton3); }, {above});
  // clang-format off
  const std::set<Outcome> table = {
      {100, ""},                            {102, kAny},
      {104, "dialogs.messageBox Tarnavel"}, {110, "ListView2.setText Beta"},
      {112, "ListView2.setText Valid"},     {114, "ListView2.setText Valid"},
      {118, "dialogs.messageBox Tarnavel"}, {120, ""}};
  // clang-format on
  EXPECT_TRUE(asTabled(seen, table));
}

}  // namespace
}  // namespace tarnavel::testing
