// The main window's handlers. The platform layer decodes window messages into
// the typed calls below; each one routes to the subsystem that owns the work.
#pragma once

#include <string>

#include "app/Policies.h"
#include "app/StartUp.h"
#include "core/Commands.h"
#include "core/ErrorReport.h"
#include "core/Settings.h"
#include "form/Context.h"
#include "form/Form1Controls.h"
#include "form/Form1Layout.h"
#include "form/FormEvents.h"
#include "queue/Reopened.h"
#include "queue/SwitchQueue.h"
#include "queue/TimeBeforeSwitch.h"
#include "queue/WindowList.h"
#include "switching/Hotkey.h"
#include "switching/Monitoring.h"
#include "switching/Restarts.h"
#include "switching/ScheduleSettings.h"
#include "switching/SwitchTimer.h"
#include "switching/Unattended.h"
#include "tray/SysTray.h"

namespace tarnavel {

// The "About Tarnavel" box: the version, the support address and the
// contact page.
std::string aboutText();
// The box with the settings an organisation set listed after it.
std::string aboutText(const Policies& policies);

// No policies: every setting is the user's.
const Policies& noPolicies();

class Form1 final : public FormEvents {
 public:
  // The settings store in sys is already the one under the policies; what
  // was found wrong in the policies or the settings' own store is reported
  // once start-up can.
  Form1(Form1Controls& ui, Services& sys, const Policies& policies = noPolicies(),
        std::vector<std::string> storeProblems = {});
  Form1(const Form1&) = delete;
  Form1& operator=(const Form1&) = delete;

  void Form_Load();
  // Any request to close the window; never refused. Ends the program.
  void Form_QueryUnload();
  // Windows asks whether the session may end: the queue is stored as
  // closing stores it, and the answer is yes. The program goes on running,
  // since another program may still cancel the end; it closes only when the
  // session really ends.
  bool Form_QueryEndSession();
  void Form_EndSession(bool ending);
  // When the load step has ended: the window appears, or, left minimised,
  // goes straight to the tray without ever being shown.
  void showAfterLoad();
  // Minimising hides the window into the tray, while the shell shows the
  // icon; without one the window stays minimised on the taskbar, waiting.
  void Form_Resize();
  // A mouse button released on the tray icon brings the window back.
  void cSysTray1_MouseUp();
  // The shell took the icon after refusing it, or a restarted taskbar
  // refused it: a waiting window goes to the tray, a hidden one comes back
  // to the taskbar.
  void cSysTray1_IconChanged(bool shown);
  // The session unlocked or the system resumed: the hook may be gone.
  void Form_SessionResumed();

  // --- FormEvents: the window's messages, as the platform layer decodes them
  void onCloseRequest() override { Form_QueryUnload(); }
  bool onQueryEndSession() override { return Form_QueryEndSession(); }
  void onEndSession(bool ending) override { Form_EndSession(ending); }
  void onSessionResumed() override { Form_SessionResumed(); }
  void onTrayTimer() override { TrayTimer_Timer(); }
  void onHookTimer() override { HookTimer_Timer(); }
  void onClick(Ctl control) override;
  void onDoubleClick(Ctl control) override;
  void onRightClick(Ctl control) override;
  void onChange(Ctl control) override;
  void onFocus(Ctl control, bool gained) override;
  void onMouseMove(Ctl control) override;
  void onTimer() override { Timer1_Timer(); }
  void onResize() override { Form_Resize(); }
  // Ctrl+Shift+T, from anywhere: the same procedure as the button.
  void onKeyT(const KeyTEvent& event) override;
  void onTrayMessage(std::uint32_t notification, std::int32_t id) override {
    cSysTray1.DispatchTrayMessage(notification, id);
  }
  void onTaskbarCreated() override { cSysTray1.TaskbarCreated(); }
  void onMenu(MenuItem item) override;
  std::optional<std::string> onRequest(std::uint64_t kind, std::string_view bytes) override;
  // A second start's command, decoded (app/Form1Commands.cpp): the answer
  // comes back at once; what the command does runs right after.
  CommandAnswer onCommand(const CommandRequest& request);

  // --- the handlers, by their names ----------------------------------------
  void PushButton1_Click();   // Refresh List
  void PushButton2_Click();   // Turn On / Turn Off
  void PushButton3_Click();   // Add Selected To Queue
  void PushButton4_Click();   // Delete Selected Item From Queue
  void PushButton5_Click();   // Clear All
  void PushButton6_Click();   // help of the switch queue
  void PushButton7_Click();   // help of the available applications list
  void PushButton8_Click();   // Clear Invalid
  void PushButton9_Click();   // Edit 'Time Before Switch' For Selected Item
  void PushButton10_Click();  // Help
  void ListView1_DblClick();
  void ListView2_DblClick();
  // The queue's shortcut menu: "Start Command..." for the selected row.
  void ListView2_StartCommand();
  void Timer1_Timer();
  void TrayTimer_Timer();
  void HookTimer_Timer();
  // The system menu's "Options..." and "About Tarnavel".
  void mnuOptions_Click();
  void mnuAbout_Click();

  void loadWindows();
  void LoadQueuedWindows();
  void CheckHandle();
  void ShowListColumn() { times_.ShowListColumn(); }
  void SetTimeBeforeCwitch(int row) { times_.SetTimeBeforeCwitch(row); }
  void CheckTimeBeforeCwitch() { times_.CheckTimeBeforeCwitch(); }

  // --- state that other parts and the tests read ---------------------------
  bool loading() const { return loading_; }
  Hwnd32 mainWindowHandle() const { return mainWindow_; }
  const std::string& appTitle() const { return appTitle_; }
  const std::vector<Hwnd32>& availableHandles() const { return windowList_.handles(); }
  const WindowTable& windowTable() const { return windowList_.table(); }
  Countdown& countdown() { return timer_.countdown; }
  const std::string& savedOnCaption() const { return monitoring_.SavedOnCaption; }
  bool hiddenInTray() const { return hiddenInTray_; }
  const Unattended& unattended() const { return unattended_; }
  const ReopenedWindows& reopened() const { return reopened_; }

  cSysTray cSysTray1;

 private:
  void ApplySkin();
  void SetAppTitle();
  void restoreSettings(Guard& g);
  void restoreMonitoring(Guard& g);
  void restoreStartUp(Guard& g);
  // The controls of settings set by policy are locked; a start with Windows
  // set by policy puts the Run entry right.
  void applyPolicies(Guard& g);
  // The queue is set by policy: no row is added or removed.
  bool queueLocked() const { return policies_.queue().has_value(); }
  // The Options box's choices set by policy.
  ChoiceLocks choiceLocks() const;
  // Puts the hook in anew; the chord starts from no key held.
  void reinstallHook(std::string_view location);
  // Runs a handler that has no error guard of its own: a failure is still
  // shown, under the handler's name, and never escapes into the window system.
  template <class F>
  void unguarded(std::string_view procedure, F&& handler);
  // For the commands of a second start: a queue row's window, when it is
  // there; the first row from `from` on (or back) that has one; the state
  // as --status prints it; and turning on as the button does, asking
  // nothing.
  Hwnd32 windowOfRow(int row);
  int rowWithWindow(int from, int step);
  std::string statusText();
  void turnOnQuietly();

  Form1Controls& ui_;
  Services& sys_;
  const Policies& policies_;
  std::vector<std::string> storeProblems_;
  Log log_;
  ErrorReport report_;
  Settings settings_;
  std::string appTitle_;
  bool loading_ = false;
  // From the minimise that hid the window until the tray icon brings it back.
  bool hiddenInTray_ = false;
  // Minimised while the shell showed no icon: it goes to the tray once the
  // icon is up.
  bool waitingForIcon_ = false;
  Hwnd32 mainWindow_ = 0;
  WindowList windowList_;
  SwitchQueue queue_;
  Context cx_;
  TimeBeforeSwitch times_;
  SwitchTimer timer_;
  ScheduleSettings schedule_;
  Monitoring monitoring_;
  ToggleChord chord_;
  HookKeeper hook_;
  // The last T key-down was the chord.
  bool chordDown_ = false;
  StartUp startUp_;
  ReopenedWindows reopened_;
  Unattended unattended_;
  Restarts restarts_;
};

}  // namespace tarnavel
