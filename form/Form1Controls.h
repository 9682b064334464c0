// The main window's controls and the system services, bundled for Form1. The
// win32 layer fills these with real controls; the tests with fakes.
#pragma once

#include <string_view>

#include "platform/System.h"
#include "platform/Ui.h"

namespace tarnavel {

// The captions of PushButton2. Monitoring is on exactly while it reads
// "Turn Off", as the program has always read it.
inline constexpr std::string_view kTurnOn = "Turn On";
inline constexpr std::string_view kTurnOff = "Turn Off";

struct Form1Controls {
  platform::IMainWindow& Form;
  platform::IControl& PushButton1;   // "Refresh List"
  platform::IControl& PushButton2;   // "Turn On" / "Turn Off"
  platform::IControl& PushButton3;   // "Add Selected To Queue"
  platform::IControl& PushButton4;   // "Delete Selected Item From Queue"
  platform::IControl& PushButton5;   // "Clear All"
  platform::IControl& PushButton6;   // "?" of the switch queue
  platform::IControl& PushButton7;   // "?" of the available applications list
  platform::IControl& PushButton8;   // "Clear Invalid"
  platform::IControl& PushButton9;   // "Edit 'Time Before Switch' For Selected Item"
  platform::IControl& PushButton10;  // "Help"
  platform::IControl& Label1;
  platform::IControl& Label2;
  platform::IControl& Label3;
  platform::IControl& Label4;
  platform::IControl& Frame1;
  platform::IControl& Frame2;
  platform::IControl& Frame3;
  platform::IControl& Frame4;  // its caption is the status line
  platform::IProgressBar& ProgressBar1;
  platform::IOptionButton& Option1;  // " Weekly:"
  platform::IOptionButton& Option2;  // "Daily:"
  platform::IOptionButton& Option3;  // "Switch every:"
  platform::IOptionButton& Option4;  // "Show Normal"
  platform::IOptionButton& Option5;  // "Show Maximized"
  platform::IOptionButton& Option6;  // "Show Minimized"
  platform::IOptionButton& Option7;  // "Custom (set switch time for each app)"
  platform::IOptionButton& Option8;  // "Do Nothing (Recommended)"
  platform::ITextBox& Text1;
  platform::ITextBox& Text2;
  platform::ITextBox& Text3;
  platform::ITimePicker& dtpWeekly;
  platform::IComboBox& cboWeekly;
  platform::ICheckBox& Check4;
  platform::ICheckBox& Check8;
  platform::IListView& ListView1;  // available applications
  platform::IListView& ListView2;  // switch queue
  platform::ITimer& Timer1;
  platform::ITimer& TrayTimer;  // retries a tray icon the shell refused
  platform::ITimer& HookTimer;  // puts the keyboard hook in anew now and then
};

struct Services {
  platform::IDialogs& dialogs;
  platform::IWindowSystem& windows;
  platform::ISettingsBackend& settings;
  platform::IFileSystem& files;
  platform::IClock& clock;
  platform::ILocale& locale;
  platform::IMessageLoop& loop;
  platform::IKeyboardHook& hook;
  platform::IRunEntry& run;
  platform::INotifyArea& tray;
  platform::IUserInput& input;
  platform::IProcesses& processes;
  // Left out, nothing is logged and the power plan is never asked.
  platform::ILogFiles& logFiles = platform::noLogFiles();
  platform::IPowerRequest& power = platform::noPowerRequest();
};

}  // namespace tarnavel
