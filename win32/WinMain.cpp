// The program's start: one copy per session, then the main window and its
// controls, the services, the logic of Form1 over them, its load step, and
// the message loop. Everything runs on this one thread.
#include <windows.h>

#include <commctrl.h>

#include <exception>

#include "app/Form1.h"
#include "app/Policies.h"
#include "core/Commands.h"
#include "core/IniSettings.h"
#include "core/Request.h"
#include "win32/Console.h"
#include "win32/Dialogs.h"
#include "win32/KeyboardHook.h"
#include "win32/LogFiles.h"
#include "win32/MainWindow.h"
#include "win32/MessageLoop.h"
#include "win32/Messages.h"
#include "win32/Services.h"
#include "win32/SettingsStores.h"
#include "win32/SingleInstance.h"
#include "win32/Text.h"
#include "win32/Tray.h"

namespace tarnavel::win32 {
namespace {

// How long a second start waits for the running copy's window to appear (it
// may itself be starting).
constexpr DWORD kWaitForRunningCopyMs = 5000;

int run(HINSTANCE instance, const CommandRequest& request) {
  INITCOMMONCONTROLSEX classes{};
  classes.dwSize = sizeof(classes);
  classes.dwICC = ICC_STANDARD_CLASSES | ICC_LISTVIEW_CLASSES | ICC_DATE_CLASSES |
                  ICC_PROGRESS_CLASS | ICC_BAR_CLASSES | ICC_WIN95_CLASSES;
  InitCommonControlsEx(&classes);

  MainWindow window(instance);
  MessageLoop loop(window);
  Dialogs dialogs(instance, window);
  WindowSystem windows;
  // The settings: in the file beside a portable copy, else in the
  // registry; what the organisation set by policy lies over either.
  RegistrySettings registry;
  const auto portable = portableSettingsPath();
  std::optional<SettingsFile> file;
  std::optional<IniSettings> ini;
  std::vector<std::string> storeProblems;
  if (portable) {
    file.emplace(*portable);
    ini.emplace(*file);
    if (ini->problem()) storeProblems.push_back(*ini->problem());
  }
  platform::ISettingsBackend& own = ini ? static_cast<platform::ISettingsBackend&>(*ini) : registry;
  RegistryPolicies policyStore;
  Policies policies;
  FileSystem files;
  SystemClock clock;
  Locale locale;
  policies.load(policyStore, locale.timeFormat());
  ManagedSettings settings(own, policies);
  KeyboardHook hook(window.window());
  RunEntry run;
  NotifyArea tray(instance, window);
  UserInput input;
  Processes processes;
  LogFiles logFiles;
  PowerRequest power;

  Form1Controls controls = window.controls();
  Services services{.dialogs = dialogs,
                    .windows = windows,
                    .settings = settings,
                    .files = files,
                    .clock = clock,
                    .locale = locale,
                    .loop = loop,
                    .hook = hook,
                    .run = run,
                    .tray = tray,
                    .input = input,
                    .processes = processes,
                    .logFiles = logFiles,
                    .power = power};

  Form1 form(controls, services, policies, std::move(storeProblems));
  window.connect(&form);

  form.Form_Load();
  if (!loop.ended()) form.showAfterLoad();
  // Started by --on or --show with no copy running: this copy carries it
  // out itself once it is up; a refusal is printed, never boxed.
  if (!loop.ended() && request.command != Command::None) {
    const CommandAnswer answer = form.onCommand(request);
    writeOut(answer.text, answer.status != kExitDone);
  }
  const int exitCode = loop.run();
  window.connect(nullptr);
  return exitCode;
}

}  // namespace
}  // namespace tarnavel::win32

int WINAPI wWinMain(HINSTANCE instance, HINSTANCE, PWSTR, int) {
  using namespace tarnavel;
  // A command line that is not understood sends nothing and starts nothing.
  const auto request = parseCommandLine(win32::commandLineArguments());
  if (!request) {
    win32::writeOut(usageText(), true);
    return kExitNotUnderstood;
  }
  if (request->command == Command::Help) {
    win32::writeOut(usageText());
    return kExitDone;
  }
  // Before any window or setting: a second start in this session hands its
  // command to the running copy (without one, it brings that copy up) and
  // ends with the answer, leaving the running copy as the command says.
  win32::SessionLock lock(win32::kSessionLockName);
  try {
    const CommandRequest sent =
        request->command == Command::None ? CommandRequest{Command::Show, {}} : *request;
    if (const auto answer =
            win32::handOff(lock, encodeRequest(sent), win32::kWaitForRunningCopyMs)) {
      win32::writeOut(answer->text, answer->status != kExitDone);
      return answer->status;
    }
  } catch (...) {
    return kExitNotRunning;
  }
  if (needsRunningCopy(request->command)) {
    win32::writeOut("Tarnavel is not running in this session.\n", true);
    return kExitNotRunning;
  }
  try {
    return tarnavel::win32::run(instance, *request);
  } catch (const std::exception& failure) {
    // Only the start itself can fail this way (the window could not be made);
    // the logic reports its own failures.
    const std::wstring text =
        L"Tarnavel could not start:\n" + tarnavel::win32::widen(failure.what());
    MessageBoxW(nullptr, text.c_str(), L"Tarnavel", MB_OK | MB_ICONERROR);
  } catch (...) {
    MessageBoxW(nullptr, L"Tarnavel could not start.", L"Tarnavel", MB_OK | MB_ICONERROR);
  }
  return 1;
}
