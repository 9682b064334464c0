#include "app/Form1.h"

#include "core/Calendar.h"
#include "core/Chars.h"
#include "core/Main.h"
#include "core/Numbers.h"
#include "core/Request.h"
#include "form/HoverPointer.h"
#include "form/TimerPause.h"
#include "help/HelpMessage.h"
#include "platform/Errors.h"
#include "queue/ListHelp.h"
#include "resources/version.h"

namespace tarnavel {
namespace {

constexpr std::string_view kSkinFile = "x\\o.cjs";
constexpr std::string_view kHandCursorFile = "HAND-M.CUR";
// Shown under the balloon title "Tarnavel", so that the two read as one.
constexpr std::string_view kMinimizeMessage =
    "has been minimized to the system tray.\r\nClick on the blue 'K' icon (K for Kestrine) to "
    "bring the software back.";

// A file in the program's folder. A drive root already ends in a backslash.
std::string inFolder(std::string_view folder, std::string_view name) {
  std::string path(folder);
  if (path.empty() || path.back() != '\\') path += '\\';
  path += name;
  return path;
}

// The form handles one of the icon's events: a released button restores it.
TrayEvents trayEventsOf(Form1& form) {
  TrayEvents events;
  events.MouseUp = [&form](int, std::int32_t) { form.cSysTray1_MouseUp(); };
  events.IconChanged = [&form](bool shown) { form.cSysTray1_IconChanged(shown); };
  return events;
}

// The controls that a policy can lock.
platform::IControl& lockable(Form1Controls& ui, Ctl id) {
  switch (id) {
    case Ctl::Text1:
    case Ctl::Text2:
    case Ctl::Text3: return textBox(ui, id);
    case Ctl::dtpWeekly: return ui.dtpWeekly;
    case Ctl::cboWeekly: return ui.cboWeekly;
    case Ctl::Check4: return ui.Check4;
    case Ctl::Check8: return ui.Check8;
    case Ctl::PushButton3: return ui.PushButton3;
    case Ctl::PushButton4: return ui.PushButton4;
    case Ctl::PushButton5: return ui.PushButton5;
    case Ctl::PushButton8: return ui.PushButton8;
    default: return option(ui, id);
  }
}

}  // namespace

std::string aboutText() {
  return std::string(kDisplayName) + "\r\nVersion " + std::string(version::kText) +
         "\r\n\r\nSupport: " + std::string(kSupportAddress) +
         "\r\nContact: " + std::string(kContactPage);
}

const Policies& noPolicies() {
  static const Policies none;
  return none;
}

std::string aboutText(const Policies& policies) {
  std::string text = aboutText();
  const auto names = policies.names();
  if (names.empty()) return text;
  text += "\r\n\r\nSet by your organization:";
  for (const auto& name : names)
    text += "\r\n" + name;
  return text;
}

Form1::Form1(Form1Controls& ui, Services& sys, const Policies& policies,
             std::vector<std::string> storeProblems)
    : cSysTray1(sys.tray, sys.loop, trayEventsOf(*this), &ui.TrayTimer),
      ui_(ui),
      sys_(sys),
      policies_(policies),
      storeProblems_(std::move(storeProblems)),
      log_(sys.logFiles, sys.clock),
      report_(sys.dialogs),
      settings_(sys.settings, sys.locale, report_),
      queue_(report_, ui.ListView2, settings_, sys.locale),
      cx_{ui, sys, report_, settings_, appTitle_, loading_},
      times_(cx_, queue_),
      timer_(cx_, schedule_),
      schedule_(cx_, timer_.countdown, times_),
      monitoring_(cx_, timer_.countdown, times_),
      hook_(sys.hook, ui.HookTimer, report_),
      startUp_(cx_),
      reopened_(cx_, queue_),
      unattended_(cx_, reopened_),
      restarts_(cx_, reopened_, unattended_) {
  timer_.restarts = &restarts_;
  report_.setLog(&log_);
  // A program that cannot be started again is written to the log, never
  // boxed: monitoring runs.
  restarts_.problem = [this](std::string_view text) { log_.write(text); };
  timer_.unattended = &unattended_;
  timer_.eachDisplay.unattended = &unattended_;
  timer_.eachDisplay.restarts = &restarts_;
  unattended_.log = &log_;
  unattended_.showHeld = [this](bool held) {
    cSysTray1.setTrayTip(held ? unattended_.holdStatus() : kDisplayName);
  };
  monitoring_.changed = [this] { unattended_.followMonitoring(); };
}

template <class F>
void Form1::unguarded(std::string_view procedure, F&& handler) {
  try {
    std::forward<F>(handler)();
  } catch (...) {
    try {
      report_.show(describeFailure(std::current_exception()), procedure, 0);
    } catch (...) {
    }
  }
}

// --- start-up ---------------------------------------------------------------

void Form1::Form_Load() {
  Guard g(report_, "Form1.Form_Load");
  g.step(100, [&] {
    // Read before anything else that can report: a problem found while
    // starting then goes to the log only.
    report_.setLogOnly(logInsteadFrom(sys_.settings, NumberFormat{}));
    for (const auto& problem : storeProblems_)
      report_.notice(problem);
    for (const auto& problem : policies_.problems())
      report_.notice(problem);
    ApplySkin();
  });
  g.step(102, [&] {
    loading_ = true;
    settings_.setRestoring(true);
  });
  g.step(106, [&] { ui_.Form.setCaption(kDisplayName); });
  g.step(106, [&] { ui_.Form.setAppIcon(); });
  g.step(106, [&] { SetAppTitle(); });
  const auto hand = [&] { return inFolder(sys_.files.programFolder(), kHandCursorFile); };
  if (g.test(108, [&] { return FileExists(sys_.files, hand()); })) {
    g.step(110, [&] { ui_.Form.loadCustomPointer(hand()); });
  }
  g.step(132, [&] { mainWindow_ = ui_.Form.handle(); });

  g.step(134, [&] {
    ui_.ListView1.addColumn("Available Applications (Double-click item to add to Queue below)",
                            1440);
  });
  g.step(136, [&] { ui_.ListView1.setColumnWidth(1, 7000); });
  g.step(138, [&] { ui_.ListView2.addColumn("Handle", 1440); });
  g.step(140, [&] { ui_.ListView2.addColumn("Queue (Double-click item to remove it)", 1440); });
  g.step(142, [&] { ui_.ListView2.addColumn("Status", 1440); });
  // The handle column is one twip wide: there, but out of sight.
  g.step(144, [&] { ui_.ListView2.setColumnWidth(1, 1); });
  g.step(146, [&] { ui_.ListView2.setColumnWidth(2, 5000); });
  g.step(148, [&] { ui_.ListView2.setColumnWidth(3, 2000); });
  g.step(150, [&] { ui_.ListView2.addColumn("Time Before Switch", 1440); });
  g.step(152, [&] { ui_.ListView2.setColumnWidth(4, 0); });
  g.step(156, [&] { loadWindows(); });

  g.step(158, [&] { LoadQueuedWindows(); });
  g.step(160, [&] { CheckHandle(); });
  restoreSettings(g);
  restoreMonitoring(g);
  restoreStartUp(g);
  g.step(248, [&] {
    loading_ = false;
    settings_.setRestoring(false);
  });
  g.step(250, [&] {
    cSysTray1.setTrayTip(kDisplayName);
    ui_.Form.setAppIcon();
  });
  g.step(252, [&] { cSysTray1.setInTray(true); });
  // The last step: from now on Ctrl+Shift+T toggles monitoring.
  g.step(254, [&] { hook_.install(); });
  applyPolicies(g);
  // The Options box's choices, which report their own failures.
  unattended_.load();
  restarts_.load();
  if (unattended_.choices().switchEachDisplay) {
    unguarded("Form1.LoadOptions", [&] { timer_.eachDisplay.showColumn(); });
  }
}

void Form1::restoreSettings(Guard& g) {
  // Restoring a chosen option runs its handling as a click would, which
  // stores its whole group again before the next option is read.
  const struct {
    Ctl option;
    bool fallback;
    int label;
  } options[] = {{Ctl::Option1, false, 162}, {Ctl::Option2, false, 164}, {Ctl::Option3, true, 166},
                 {Ctl::Option8, true, 168},  {Ctl::Option4, false, 170}, {Ctl::Option5, false, 172},
                 {Ctl::Option6, false, 174}, {Ctl::Option7, false, 176}};
  for (const auto& o : options) {
    g.step(o.label, [&] {
      schedule_.restore(o.option, settings_.readBoolean(layoutOf(o.option).name, o.fallback));
    });
  }
  g.step(178, [&] { ShowListColumn(); });
  g.step(180, [&] {
    const TimeFormat format = sys_.locale.timeFormat();
    const std::string stored =
        settings_.read("Weekly Time", formatTimeOfDay(sys_.clock.now().time, format));
    const auto time = parseTimeOfDay(stored, format);
    if (!time) throw AppError::typeMismatch();
    ui_.dtpWeekly.setValue(*time);
    // A restored value is handled as the user's change would be: stored
    // again, and the daily count re-based to it.
    schedule_.dtpWeekly_Change();
  });
  g.step(182, [&] {
    ui_.cboWeekly.setCaption(settings_.read("Weekly", "Monday"));
    schedule_.cboWeekly_Click();
  });
  g.step(184, [&] { schedule_.setText(Ctl::Text1, settings_.read("Text1", "0")); });
  g.step(186, [&] { schedule_.setText(Ctl::Text2, settings_.read("Text2", "0")); });
  g.step(188, [&] { schedule_.setText(Ctl::Text3, settings_.read("Text3", "5")); });
}

void Form1::restoreMonitoring(Guard& g) {
  std::string state;
  g.step(190, [&] { state = settings_.read(kStartStopKey, "On"); });
  // Exact comparisons: any other text leaves the controls as designed.
  if (g.test(192, [&] { return state == "Off"; })) {
    monitoring_.showOff(g, {194, 196, 198, 200, 202}, kTurnOn);
  } else if (g.test(204, [&] { return state == "On"; })) {
    if (g.test(206, [&] { return ui_.ListView2.count() >= 1; })) {
      monitoring_.start(g, {208, 210, 0, 212, 214, 216, 218, 220, 222}, kTurnOn);
    } else {
      // An empty queue cannot run; the stored state stays "On".
      monitoring_.showOff(g, {224, 226, 228, 230, 232}, kTurnOn);
    }
  }
}

void Form1::restoreStartUp(Guard& g) {
  g.step(234, [&] { startUp_.setCheck4(settings_.read("Windows Startup", "Off") == "On"); });
  g.step(236, [&] { startUp_.setCheck8(settings_.read("Minimized", "Off") == "On"); });
  if (g.test(238, [&] { return ui_.Check4.checked(); })) {
    g.step(240, [&] { ui_.Check8.setVisible(true); });
    if (g.test(242, [&] { return ui_.Check8.checked(); })) {
      g.step(244, [&] { ui_.Form.setState(WindowState::Minimized); });
    }
  } else {
    // The box keeps its restored value out of sight.
    g.step(246, [&] { ui_.Check8.setVisible(false); });
  }
}

void Form1::applyPolicies(Guard& g) {
  // A group of options set by policy is locked whole: its options are
  // stored together.
  const auto setsAny = [&](std::initializer_list<Ctl> controls) {
    for (const Ctl c : controls) {
      if (policies_.sets(layoutOf(c).name)) return true;
    }
    return false;
  };
  const auto lock = [&](std::initializer_list<Ctl> controls) {
    for (const Ctl c : controls)
      lockable(ui_, c).lock(kSetByOrganization);
  };
  g.step(256, [&] {
    const std::initializer_list<Ctl> schedule = {Ctl::Option1, Ctl::Option2, Ctl::Option3,
                                                 Ctl::Option7};
    const std::initializer_list<Ctl> after = {Ctl::Option8, Ctl::Option4, Ctl::Option5,
                                              Ctl::Option6};
    if (setsAny(schedule)) lock(schedule);
    if (setsAny(after)) lock(after);
    for (const Ctl c : {Ctl::Text1, Ctl::Text2, Ctl::Text3}) {
      if (setsAny({c})) lock({c});
    }
    if (policies_.sets("Weekly Time")) lock({Ctl::dtpWeekly});
    if (policies_.sets("Weekly")) lock({Ctl::cboWeekly});
    if (policies_.sets("Windows Startup")) lock({Ctl::Check4});
    if (policies_.sets("Minimized")) lock({Ctl::Check8});
    if (queueLocked()) {
      lock({Ctl::PushButton3, Ctl::PushButton4, Ctl::PushButton5, Ctl::PushButton8});
    }
  });
  // Started with Windows by policy: the Run entry is there and names this
  // copy, at every start; kept from it by policy: the entry is gone.
  if (const std::string* startup = policies_.text("Windows Startup")) {
    g.step(258, [&] {
      if (*startup == "On") {
        startUp_.EnableStartup();
      } else {
        startUp_.DisableStartup();
      }
    });
  }
}

void Form1::ApplySkin() {
  const std::string skin = inFolder(sys_.files.programFolder(), kSkinFile);
  if (!sys_.files.isListedFile(skin)) return;
  ui_.Form.useButtonFaceColours();
  // There is no skin engine in this build: the colour change is all a skin
  // file brings.
}

void Form1::SetAppTitle() {
  appTitle_ = appTitleFor(kDisplayName);
}

// --- closing ----------------------------------------------------------------

void Form1::Form_QueryUnload() {
  Guard g(report_, "Form1.Form_QueryUnload");
  g.step(100, [&] { hook_.remove(); });
  // Closed while start-up still restores (under one of its boxes, at the
  // session's end or the installer's request): the list holds part of the
  // stored queue, which stays as it is.
  if (!loading_) queue_.saveAtClose(g);
  g.step(112, [&] { ui_.Timer1.setEnabled(false); });
  g.step(114, [&] { cSysTray1.setInTray(false); });
  g.step(116, [&] { sys_.loop.doEvents(); });
  g.step(118, [&] { sys_.loop.doEvents(); });
  g.step(120, [&] { sys_.loop.endProgram(); });
}

bool Form1::Form_QueryEndSession() {
  Guard g(report_, "Form1.Form_QueryEndSession");
  // During start-up the stored queue is the whole one; the list is not yet.
  if (!loading_) queue_.saveAtClose(g);
  return true;
}

void Form1::Form_EndSession(bool ending) {
  // Cancelled, nothing was stopped: switching goes on as before.
  if (ending) Form_QueryUnload();
}

// --- the keyboard hook ------------------------------------------------------

void Form1::reinstallHook(std::string_view location) {
  hook_.reinstall(location);
  // A removed hook may have missed the release of a T it saw go down.
  chord_ = ToggleChord{};
  chordDown_ = false;
}

void Form1::Form_SessionResumed() {
  reinstallHook("Form1.Form_SessionResumed");
}

void Form1::HookTimer_Timer() {
  reinstallHook("Form1.HookTimer_Timer");
}

// --- event routing ----------------------------------------------------------

void Form1::onClick(Ctl control) {
  switch (control) {
    case Ctl::PushButton1: return PushButton1_Click();
    case Ctl::PushButton2: return PushButton2_Click();
    case Ctl::PushButton3: return PushButton3_Click();
    case Ctl::PushButton4: return PushButton4_Click();
    case Ctl::PushButton5: return PushButton5_Click();
    case Ctl::PushButton6: return PushButton6_Click();
    case Ctl::PushButton7: return PushButton7_Click();
    case Ctl::PushButton8: return PushButton8_Click();
    case Ctl::PushButton9: return PushButton9_Click();
    case Ctl::PushButton10: return PushButton10_Click();
    case Ctl::Option1:
    case Ctl::Option2:
    case Ctl::Option3:
    case Ctl::Option4:
    case Ctl::Option5:
    case Ctl::Option6:
    case Ctl::Option7:
    case Ctl::Option8:
      // A click on the option already chosen is a click all the same.
      return unguarded(std::string("Form1.") + std::string(layoutOf(control).name) + "_Click",
                       [&] { schedule_.choose(control); });
    case Ctl::cboWeekly:
      return unguarded("Form1.cboWeekly_Click", [&] { schedule_.cboWeekly_Click(); });
    // A click changes a check box; the change runs its handling.
    case Ctl::Check4:
      return unguarded("Form1.Check4_Click", [&] { startUp_.setCheck4(!ui_.Check4.checked()); });
    case Ctl::Check8:
      return unguarded("Form1.Check8_Click", [&] { startUp_.setCheck8(!ui_.Check8.checked()); });
    default: return;
  }
}

void Form1::onDoubleClick(Ctl control) {
  if (control == Ctl::ListView1) ListView1_DblClick();
  if (control == Ctl::ListView2)
    unguarded("Form1.ListView2_DblClick", [&] { ListView2_DblClick(); });
}

void Form1::onRightClick(Ctl control) {
  if (control == Ctl::ListView2) ListView2_StartCommand();
}

void Form1::ListView2_StartCommand() {
  Guard g(report_, "Form1.ListView2_StartCommand");
  const int row = g.value(100, 0, [&] { return ui_.ListView2.selected(); });
  if (row == 0) return;
  int chosen = 0;
  g.step(102, [&] { chosen = sys_.dialogs.popupMenu({std::string(kStartCommandItem)}); });
  if (chosen != 1) return;
  // The row's command, else the program recorded for it, quoted.
  std::string preset;
  g.step(104, [&] {
    preset = restarts_.commands().commandOf(row);
    if (!preset.empty()) return;
    reopened_.sync();
    const auto index = static_cast<std::size_t>(row - 1);
    const auto& entries = reopened_.entries();
    if (index < entries.size() && !entries[index].program.empty()) {
      preset = "\"" + entries[index].program + "\"";
    }
  });
  // No switch takes the foreground from the prompt while the user is in it.
  TimerPause pause(ui_);
  pause.pause(g, 106, 108, 110, 112);
  std::optional<std::string> answer;
  g.step(114, [&] { answer = sys_.dialogs.inputBox(kStartCommandPrompt, appTitle_, preset); });
  if (answer) {
    g.step(116, [&] { restarts_.commands().setCommand(row, trimBlanks(*answer)); });
  }
  pause.resume(g, 118, 120, 122);
}

void Form1::onChange(Ctl control) {
  switch (control) {
    case Ctl::Text1:
    case Ctl::Text2:
    case Ctl::Text3:
      unguarded(std::string("Form1.") + std::string(layoutOf(control).name) + "_Change",
                [&] { schedule_.Text_Change(control); });
      break;
    case Ctl::dtpWeekly:
      unguarded("Form1.dtpWeekly_Change", [&] { schedule_.dtpWeekly_Change(); });
      break;
    case Ctl::cboWeekly:
      unguarded("Form1.cboWeekly_Change", [&] { schedule_.cboWeekly_Click(); });
      break;
    default: break;
  }
}

void Form1::onFocus(Ctl control, bool gained) {
  if (control != Ctl::Text1 && control != Ctl::Text2 && control != Ctl::Text3) return;
  const std::string name = std::string("Form1.") + std::string(layoutOf(control).name);
  if (gained) {
    unguarded(name + "_GotFocus", [&] { schedule_.Text_GotFocus(control); });
  } else {
    unguarded(name + "_LostFocus", [&] { schedule_.Text_LostFocus(control); });
  }
}

void Form1::onMouseMove(Ctl control) {
  if (!hoverPointerFor(control)) return;  // no handler of its own
  const std::string_view name =
      control == Ctl::None ? std::string_view("Form") : layoutOf(control).name;
  unguarded("Form1." + std::string(name) + "_MouseMove", [&] { hoverOver(ui_.Form, control); });
}

// --- the tray ---------------------------------------------------------------

void Form1::showAfterLoad() {
  // By now the tray icon is up if the shell took it, so the balloon has an
  // icon to point at; if not, the window shows minimised until it does.
  if (ui_.Form.state() == WindowState::Minimized) return Form_Resize();
  ui_.Form.setVisible(true);
}

void Form1::Form_Resize() {
  unguarded("Form1.Form_Resize", [&] {
    if (ui_.Form.state() != WindowState::Minimized) {
      waitingForIcon_ = false;
      return;
    }
    if (hiddenInTray_) return;
    if (!cSysTray1.iconShown()) {
      // Hidden with no icon to come back through, nobody could reach it: it
      // stays a taskbar button until the shell takes the icon.
      waitingForIcon_ = true;
      if (!ui_.Form.visible()) ui_.Form.setVisible(true);
      return;
    }
    waitingForIcon_ = false;
    ui_.Form.setVisible(false);
    // Normal again, out of sight: coming back needs nothing but showing.
    ui_.Form.setState(WindowState::Normal);
    hiddenInTray_ = true;
    // The balloon waits up to five seconds for the shell. It waits after
    // whatever minimised the window (turning monitoring on, say) has run to
    // its end, not in the middle of it.
    sys_.loop.post([this] {
      unguarded("Form1.Form_Resize",
                [&] { cSysTray1.ShowBalloon(kMinimizeMessage, kDisplayName, 5, true); });
    });
  });
}

void Form1::cSysTray1_MouseUp() {
  unguarded("Form1.cSysTray1_MouseUp", [&] {
    // Minimised while out of sight (monitoring turned on by the hotkey), it
    // would come back as a taskbar button only.
    if (ui_.Form.state() == WindowState::Minimized) ui_.Form.setState(WindowState::Normal);
    ui_.Form.setVisible(true);
    ui_.Form.activate();
    hiddenInTray_ = false;
  });
}

void Form1::cSysTray1_IconChanged(bool shown) {
  unguarded("Form1.cSysTray1_IconChanged", [&] {
    if (shown) {
      if (waitingForIcon_ && ui_.Form.state() == WindowState::Minimized) Form_Resize();
      return;
    }
    if (!hiddenInTray_) return;
    // The icon it was hidden behind is gone.
    hiddenInTray_ = false;
    ui_.Form.setState(WindowState::Minimized);
    ui_.Form.setVisible(true);
    waitingForIcon_ = true;
  });
}

void Form1::TrayTimer_Timer() {
  unguarded("Form1.TrayTimer_Timer", [&] { cSysTray1.RetryTimer(); });
}

// --- a second start ---------------------------------------------------------

std::optional<std::string> Form1::onRequest(std::uint64_t kind, std::string_view bytes) {
  // Someone else's message: not ours to answer.
  if (kind != kRequestKind) return std::nullopt;
  const auto request = decodeRequest(kind, bytes);
  // Ours in kind but not in form: answered as not understood, nothing done.
  if (!request) return encodeAnswer({kExitNotUnderstood, "Not understood.\n"});
  return encodeAnswer(onCommand(*request));
}

void Form1::onKeyT(const KeyTEvent& event) {
  const bool chord = chord_.onKeyT(event);
  // The chord, up to the release of its T, is no sign that someone is at
  // the computer.
  if (chord || (!event.down && chordDown_)) unattended_.ownInput();
  chordDown_ = chord;
  if (chord) PushButton2_Click();
}

void Form1::Timer1_Timer() {
  timer_.Timer1_Timer();
}

void Form1::PushButton2_Click() {
  monitoring_.PushButton2_Click();
  // A hold lasts only while monitoring is on, so a click during one turned
  // monitoring off.
  unattended_.release();
  // Turning monitoring on minimises the window, and the resize that follows
  // sends it to the tray. A shown window raises that resize itself (this
  // then finds it in the tray already); a hidden one does not.
  Form_Resize();
}

void Form1::PushButton9_Click() {
  times_.PushButton9_Click();
}

// --- window list and queue --------------------------------------------------

void Form1::loadWindows() {
  windowList_.load(report_, sys_.windows, ui_.ListView1, mainWindow_);
}

void Form1::LoadQueuedWindows() {
  queue_.load();
}

void Form1::CheckHandle() {
  queue_.checkHandle(ui_.ListView1, windowList_.handles());
}

void Form1::PushButton1_Click() {
  Guard g(report_, "Form1.PushButton1_Click");
  g.step(100, [&] { loadWindows(); });
  g.step(102, [&] { CheckHandle(); });
  if (unattended_.choices().findReopened) g.step(102, [&] { unattended_.queueChanged(); });
}

void Form1::PushButton3_Click() {
  if (queueLocked()) return;
  queue_.addSelected(ui_.ListView1, windowList_.handles(), sys_.windows, sys_.dialogs, appTitle_,
                     [this](int row) { SetTimeBeforeCwitch(row); });
  // The new row's program and window class are recorded while it is open.
  if (unattended_.choices().findReopened) {
    unguarded("Form1.PushButton3_Click", [&] { unattended_.queueChanged(); });
  }
}

void Form1::ListView1_DblClick() {
  PushButton3_Click();
}

void Form1::ListView2_DblClick() {
  if (ui_.Form.pointer() == MousePointer::Hourglass || queueLocked()) return;
  queue_.removeSelected();
}

void Form1::PushButton4_Click() {
  if (queueLocked()) return;
  queue_.deleteSelected(ui_);
}
void Form1::PushButton5_Click() {
  if (queueLocked()) return;
  queue_.clearAll();
}
void Form1::PushButton8_Click() {
  if (queueLocked()) return;
  queue_.clearInvalid();
}

// --- the system menu --------------------------------------------------------

void Form1::onMenu(MenuItem item) {
  switch (item) {
    case MenuItem::Options: return mnuOptions_Click();
    case MenuItem::About: return mnuAbout_Click();
  }
}

void Form1::mnuOptions_Click() {
  Guard g(report_, "Form1.mnuOptions_Click");
  // No switch takes the foreground from the box while the user is in it.
  TimerPause pause(ui_);
  pause.pause(g, 100, 102, 104, 106);
  g.step(108, [&] {
    sys_.dialogs.optionsBox(
        appTitle_, unattended_.choices(), choiceLocks(),
        [&](const UnattendedChoices& wanted) {
          unguarded("Form1.mnuOptions_Click", [&] {
            const bool was = unattended_.choices().switchEachDisplay;
            unattended_.change(wanted);
            if (unattended_.choices().switchEachDisplay != was) timer_.eachDisplay.showColumn();
          });
        },
        [&] { unguarded("Form1.mnuOptions_Click", [&] { log_.openFolder(); }); });
  });
  pause.resume(g, 110, 112, 114);
}

ChoiceLocks Form1::choiceLocks() const {
  const auto sets = [&](std::string_view key) { return policies_.sets(key); };
  return {.pauseWhenInUse = sets(kPauseWhenInUseKey),
          .resumeAfter = sets(kResumeAfterIdleKey),
          .findReopened = sets(kFindReopenedKey),
          .skipMissing = sets(kSkipMissingKey),
          .keepDisplayOn = sets(kKeepDisplayOnKey),
          .hours = sets(kSwitchHoursKey) || sets(kSwitchDaysKey),
          .logInsteadOfBoxes = sets(kLogInsteadKey),
          .logSwitches = sets(kLogSwitchesKey),
          .eachDisplay = sets(kSwitchEachDisplayKey),
          .tip = std::string(kSetByOrganization)};
}

void Form1::mnuAbout_Click() {
  Guard g(report_, "Form1.mnuAbout_Click");
  g.step(100, [&] { sys_.dialogs.messageBox(aboutText(policies_), kMbOk, appTitle_); });
}

// --- help -------------------------------------------------------------------

void Form1::PushButton6_Click() {
  Guard g(report_, "Form1.PushButton6_Click");
  g.step(100, [&] { sys_.dialogs.messageBox(kQueueHelp, kMbOk, appTitle_); });
}

void Form1::PushButton7_Click() {
  Guard g(report_, "Form1.PushButton7_Click");
  g.step(100, [&] { sys_.dialogs.messageBox(kAvailableListHelp, kMbOk, appTitle_); });
}

void Form1::PushButton10_Click() {
  Guard g(report_, "Form1.PushButton10_Click");
  g.step(100, [&] { sys_.dialogs.messageBox(kHelpMessage, kMbOk, appTitle_); });
}

}  // namespace tarnavel
