// The log, the display kept on and the switching hours, through the fakes.
#include <string>
#include <vector>

#include "SwitchFixture.h"
#include "core/Log.h"
#include "switching/Unattended.h"

namespace tarnavel::testing {
namespace {

const std::string kLog = "C:\\Users\\Wall\\AppData\\Local\\Tarnavel\\Tarnavel.log";
const std::string kOldLog = "C:\\Users\\Wall\\AppData\\Local\\Tarnavel\\Tarnavel.1.log";

// --- the log itself -----------------------------------------------------------

TEST(Log, EachEntryIsOneStampedLine) {
  fake::FakeLogFiles files;
  fake::FakeClock clock;
  clock.current = {2026, 3, 4, 3, {7, 8, 9}};
  Log log(files, clock);
  EXPECT_TRUE(log.write(errorMessage("Type mismatch", "Form1.Form_Load", 180)));
  EXPECT_TRUE(log.write("second"));
  EXPECT_EQ(files.files.at(kLog),
            "2026-03-04T07:08:09 Type mismatch in Orvendel2021/08/31.Form1.Form_Load at line 180 "
            "Please email screenshot of this message to support@kestrine.example\r\n"
            "2026-03-04T07:08:09 second\r\n");
}

TEST(Log, AtOneMegabyteItBecomesTheOldLogAndANewOneBegins) {
  fake::FakeLogFiles files;
  fake::FakeClock clock;
  Log log(files, clock);
  const std::string line = logLine(clock.now(), "x");  // 23 bytes
  const struct {
    std::size_t before;
    bool rotated;
  } cases[] = {{kLogLimitBytes - line.size(), false}, {kLogLimitBytes - line.size() + 1, true}};
  for (const auto& c : cases) {
    files.files = {{kLog, std::string(c.before, 'a')}, {kOldLog, "older"}};
    ASSERT_TRUE(log.write("x"));
    if (c.rotated) {
      EXPECT_EQ(files.files.at(kOldLog).size(), c.before);
      EXPECT_EQ(files.files.at(kLog), line);
    } else {
      EXPECT_EQ(files.files.at(kOldLog), "older");
      EXPECT_EQ(files.files.at(kLog).size(), kLogLimitBytes);
    }
  }
}

class UnattendedLogTest : public SwitchTest {
 protected:
  void options(std::function<void(UnattendedChoices&)> edit) {
    f.dialogs.optionsEdits = {std::move(edit)};
    form->onMenu(MenuItem::Options);
    f.dialogs.optionsEdits.clear();
  }
  std::string value(std::string_view key) const {
    const auto it = f.settings.values.find(key);
    return it == f.settings.values.end() ? "<absent>" : it->second;
  }
  std::unique_ptr<Form1> restart() {
    auto again = std::make_unique<Form1>(f.controls, f.services);
    again->Form_Load();
    return again;
  }
};

// A bad stored value found while starting: boxed, or only logged when the
// log is chosen, which is read before anything else of the start.
TEST_F(UnattendedLogTest, LogInsteadOfBoxesHoldsFromTheFirstStepOfTheStart) {
  const std::string entry =
      "Error 13: Type mismatch in Orvendel2021/08/31.Form1.Form_Load at line 180";
  for (const char* chosen : {"False", "True", "1", "banana"}) {
    fake::FakeForm fresh;
    fresh.settings.values["Weekly Time"] = "banana";
    fresh.settings.values[std::string(kLogInsteadKey)] = chosen;
    Form1 loaded(fresh.controls, fresh.services);
    loaded.Form_Load();
    const bool logOnly = std::string(chosen) == "True" || std::string(chosen) == "1";
    EXPECT_EQ(fresh.dialogs.boxes.size(), logOnly ? 0u : 1u) << chosen;
    // Logged either way.
    const auto lines = fresh.logFiles.entries();
    ASSERT_EQ(lines.size(), 1u) << chosen;
    EXPECT_TRUE(lines[0].starts_with(entry)) << lines[0];
    EXPECT_EQ(loaded.unattended().choices().logInsteadOfBoxes, logOnly);
  }
}

TEST_F(UnattendedLogTest, ALogThatCannotBeWrittenShowsNoBoxOfItsOwn) {
  for (const bool logOnly : {false, true}) {
    fake::FakeForm fresh;
    fresh.logFiles.refuse = true;
    fresh.settings.values["Weekly Time"] = "banana";
    fresh.settings.values[std::string(kLogInsteadKey)] = logOnly ? "True" : "False";
    fresh.settings.values["StartStopState"] = "Off";
    Form1 loaded(fresh.controls, fresh.services);
    loaded.Form_Load();
    // Only the error's own box, when boxes are shown; the start goes on.
    EXPECT_EQ(fresh.dialogs.boxes.size(), logOnly ? 0u : 1u);
    EXPECT_TRUE(fresh.hook.installed);
  }
}

TEST_F(UnattendedLogTest, EverySwitchIsLoggedWithItsTitleWhenChosen) {
  queueTargets(2);
  chooseInterval("0", "0", "2");
  turnOn();
  tick(2);
  EXPECT_TRUE(f.logFiles.entries().empty());  // not chosen
  options([](UnattendedChoices& c) { c.logSwitches = true; });
  EXPECT_EQ(value(kLogSwitchesKey), "True");
  tick(2);
  f.windows.close(targets[0]);
  tick(2);
  EXPECT_EQ(f.logFiles.entries(),
            (std::vector<std::string>{"Switched to \"Target 2\": it took the foreground",
                                      "Switched to \"Target 1\": it did not take the foreground"}));
}

TEST_F(UnattendedLogTest, TheButtonOpensTheLogsFolderCreatedFirst) {
  load();
  f.dialogs.openLogFolderClicks = 1;
  form->onMenu(MenuItem::Options);
  EXPECT_TRUE(f.logFiles.created);
  EXPECT_EQ(f.logFiles.opened, std::vector<std::string>{f.logFiles.path});
  // Refused: reported like any failure, and the box stays usable.
  f.logFiles.refuse = true;
  form->onMenu(MenuItem::Options);
  EXPECT_EQ(f.dialogs.boxes.size(), 1u);
}

// --- the display kept on --------------------------------------------------------

TEST_F(UnattendedLogTest, ThePowerRequestIsSetExactlyWhileMonitoringIsOn) {
  queueTargets(1);
  chooseInterval("0", "0", "5");
  const auto keep = [&](bool on) { options([=](UnattendedChoices& c) { c.keepDisplayOn = on; }); };
  turnOn();
  EXPECT_EQ(f.power.count, 0);  // not chosen
  keep(true);
  EXPECT_EQ(f.power.count, 1);
  EXPECT_EQ(value(kKeepDisplayOnKey), "True");
  form->onClick(Ctl::PushButton2);  // off
  EXPECT_EQ(f.power.count, 0);
  keep(false);
  keep(true);
  EXPECT_EQ(f.power.count, 0);
  turnOn();
  EXPECT_EQ(f.power.count, 1);
  keep(false);
  EXPECT_EQ(f.power.count, 0);
  EXPECT_TRUE(f.dialogs.boxes.empty());

  // Started with monitoring on and the choice stored.
  fake::FakeForm fresh;
  fresh.settings.values[std::string(kKeepDisplayOnKey)] = "True";
  const Hwnd32 w = fresh.windows.open("Alpha");
  fresh.settings.values["Queued Windows"] = std::to_string(w) +
                                            "\x1f"
                                            "Alpha\x1f"
                                            "5";
  fresh.settings.values["StartStopState"] = "On";
  Form1 loaded(fresh.controls, fresh.services);
  loaded.Form_Load();
  EXPECT_EQ(fresh.PushButton2.caption(), "Turn Off");
  EXPECT_EQ(fresh.power.count, 1);
}

// --- switching hours ------------------------------------------------------------

TEST(SwitchHours, StoredTextsReadAsSpansAndDays) {
  constexpr std::uint8_t kEvery = 0x7F;
  const struct {
    const char* span;
    const char* days;  // nullptr: absent
    std::optional<SwitchHours> expected;
  } cases[] = {
      {"", nullptr, SwitchHours{}},
      {"08:00-18:00", nullptr, SwitchHours{true, 480, 1080, kEvery}},
      {"22:00-06:00", "Monday,Friday", SwitchHours{true, 1320, 360, 0b100010}},
      {"00:00-23:59", "Sunday", SwitchHours{true, 0, 1439, 0b1}},
      {"08:00-18:00", "", SwitchHours{true, 480, 1080, 0}},
      {"8:00-18:00", nullptr, std::nullopt},
      {"08:00-24:00", nullptr, std::nullopt},
      {"08:60-18:00", nullptr, std::nullopt},
      {"08:00", nullptr, std::nullopt},
      {"08:00-18:00", "Mon", std::nullopt},
      {"08:00-18:00", "Monday,", std::nullopt},
  };
  for (const auto& c : cases) {
    EXPECT_EQ(
        switchHoursFrom(c.span, c.days ? std::optional<std::string_view>(c.days) : std::nullopt),
        c.expected)
        << c.span << " " << (c.days ? c.days : "-");
  }
  EXPECT_EQ(daysText(0b1000001), "Saturday,Sunday");  // week order, Monday first
  EXPECT_EQ(spanText({true, 1320, 360, kEvery}), "22:00-06:00");
}

TEST(SwitchHours, AMomentIsInsideBySpanAndTheDayItsSpanBegan) {
  const SwitchHours day{true, 8 * 60, 18 * 60, 0b0111110};    // Monday..Friday
  const SwitchHours night{true, 22 * 60, 6 * 60, 0b0000010};  // Monday night only
  const SwitchHours whole{true, 6 * 60, 6 * 60, 0b0000001};   // Sunday 06:00 to Monday 06:00
  const struct {
    const SwitchHours* hours;
    int weekday;  // 0 = Sunday
    TimeOfDay at;
    bool inside;
  } cases[] = {
      {&day, 1, {8, 0, 0}, true},      {&day, 1, {7, 59, 59}, false},
      {&day, 5, {17, 59, 59}, true},   {&day, 5, {18, 0, 0}, false},
      {&day, 6, {12, 0, 0}, false},    {&night, 1, {22, 0, 0}, true},
      {&night, 2, {5, 59, 0}, true},   {&night, 2, {6, 0, 0}, false},
      {&night, 1, {5, 0, 0}, false},   {&night, 2, {22, 30, 0}, false},
      {&night, 1, {21, 59, 0}, false}, {&whole, 0, {6, 0, 0}, true},
      {&whole, 1, {5, 59, 0}, true},   {&whole, 1, {6, 0, 0}, false},
      {&whole, 0, {5, 0, 0}, false},
  };
  for (const auto& c : cases) {
    const LocalDateTime at{2026, 12, 6 + c.weekday, c.weekday, c.at};
    EXPECT_EQ(withinHours(*c.hours, at), c.inside)
        << c.weekday << " " << c.at.hour << ":" << c.at.minute;
  }
}

TEST_F(UnattendedLogTest, OutsideTheHoursTicksHoldAndNoMomentSwitches) {
  queueTargets(2);
  f.dtpWeekly.setValue({7, 0, 30});  // the daily moment, outside the hours
  form->onChange(Ctl::dtpWeekly);
  form->onClick(Ctl::Option2);
  f.clock.setTime({7, 0, 0});
  options([](UnattendedChoices& c) { c.hours = {true, 7 * 60 + 1, 9 * 60, 0x7F}; });
  EXPECT_EQ(value(kSwitchHoursKey), "07:01-09:00");
  EXPECT_EQ(value(kSwitchDaysKey), "<absent>");
  turnOn();
  tick(3);
  EXPECT_EQ(status(), "On. Outside switching hours.");
  EXPECT_EQ(form->cSysTray1.TrayTip(), "On. Outside switching hours.");
  tick(57);  // past 07:00:30 and into the hours at 07:01:00
  EXPECT_TRUE(switched().empty());
  EXPECT_NE(status(), "On. Outside switching hours.");
  EXPECT_EQ(form->cSysTray1.TrayTip(), "Tarnavel");
  tick(120);
  EXPECT_TRUE(switched().empty());

  // Off again: today's behaviour, the next day's moment switches.
  options([](UnattendedChoices& c) { c.hours.on = false; });
  EXPECT_EQ(value(kSwitchHoursKey), "");
  f.clock.advance(86400 - 180);
  tick(30);
  EXPECT_EQ(switched(), (std::vector<Hwnd32>{targets[0]}));
}

TEST_F(UnattendedLogTest, InsideTheHoursTheIntervalRunsAsAlways) {
  queueTargets(2);
  chooseInterval("0", "0", "2");
  options([](UnattendedChoices& c) {
    c.hours = {true, 22 * 60, 10 * 60, 0b0000001};  // from Sunday 22:00; now Monday 09:00
  });
  EXPECT_EQ(value(kSwitchDaysKey), "Sunday");
  turnOn();
  tick(4);
  EXPECT_EQ(switched(), (std::vector<Hwnd32>{targets[0], targets[1]}));
  EXPECT_NE(status(), kStatusOutsideHours);
}

TEST_F(UnattendedLogTest, ABadStoredSpanIsReportedOnceAndTheChoiceIsOff) {
  for (const auto& [span, days] :
       {std::pair{"25:00-06:00", "Monday"}, std::pair{"08:00-18:00", "Caturday"}}) {
    fake::FakeForm fresh;
    fresh.settings.values[std::string(kSwitchHoursKey)] = span;
    fresh.settings.values[std::string(kSwitchDaysKey)] = days;
    Form1 loaded(fresh.controls, fresh.services);
    loaded.Form_Load();
    ASSERT_EQ(fresh.dialogs.boxes.size(), 1u);
    EXPECT_EQ(fresh.dialogs.boxes[0].text, errorBox("Type mismatch", "Form1.LoadOptions", 118));
    EXPECT_FALSE(loaded.unattended().choices().hours.on);
  }
}

TEST_F(UnattendedLogTest, TheNewChoicesAreStoredAtOnceAndSurviveARestart) {
  load();
  f.settings.writes.clear();
  f.dialogs.optionsEdits = {[](UnattendedChoices& c) { c.logInsteadOfBoxes = true; },
                            [](UnattendedChoices& c) { c.logSwitches = true; },
                            [](UnattendedChoices& c) { c.keepDisplayOn = true; },
                            [](UnattendedChoices& c) { c.hours.on = true; },
                            [](UnattendedChoices& c) { c.hours.from = 23 * 60 + 30; },
                            [](UnattendedChoices& c) { c.hours.days = 0b1000001; },
                            [](UnattendedChoices& c) { c.hours.to = 24 * 60; }};  // refused
  form->onMenu(MenuItem::Options);
  EXPECT_EQ(f.settings.writes,
            (std::vector<std::string>{"Log Instead Of Boxes", "Log Switches", "Keep Display On",
                                      "Switch Hours", "Switch Hours", "Switch Days"}));
  EXPECT_EQ(value(kLogInsteadKey), "True");
  EXPECT_EQ(value(kLogSwitchesKey), "True");
  EXPECT_EQ(value(kKeepDisplayOnKey), "True");
  EXPECT_EQ(value(kSwitchHoursKey), "23:30-18:00");
  EXPECT_EQ(value(kSwitchDaysKey), "Saturday,Sunday");
  const auto again = restart();
  EXPECT_EQ(again->unattended().choices(), form->unattended().choices());
  EXPECT_TRUE(f.dialogs.boxes.empty());
}

}  // namespace
}  // namespace tarnavel::testing
