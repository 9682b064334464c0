// The twin of tarnavel.exe for the memory and start-up figures: the same main
// window with every control of the layout table, the same fonts, icon and
// manifest, and no behaviour (no logic, no tray icon, no hook, no timer
// running). What Tarnavel holds beyond it is the cost of its behaviour.
#include <windows.h>

#include <commctrl.h>

#include <string>

#include "win32/MainWindow.h"

int WINAPI wWinMain(HINSTANCE instance, HINSTANCE, PWSTR, int) {
  // "--load NAME.dll" loads a system DLL first: what that DLL alone adds to
  // the working set, for the memory figures' accounting.
  // (Parsed by hand: the parser of the system lives in shell32.)
  const std::wstring line = GetCommandLineW();
  for (auto at = line.find(L" --load "); at != std::wstring::npos;
       at = line.find(L" --load ", at + 1)) {
    const auto from = at + 8;
    LoadLibraryW(line.substr(from, line.find(L' ', from) - from).c_str());
  }
  INITCOMMONCONTROLSEX classes{};
  classes.dwSize = sizeof(classes);
  classes.dwICC = ICC_STANDARD_CLASSES | ICC_LISTVIEW_CLASSES | ICC_DATE_CLASSES |
                  ICC_PROGRESS_CLASS | ICC_BAR_CLASSES | ICC_WIN95_CLASSES;
  InitCommonControlsEx(&classes);
  try {
    tarnavel::win32::MainWindow window(instance);
    window.setCaption("Tarnavel twin");
    window.setAppIcon();
    window.setVisible(true);
    // Unconnected, the window's close box does nothing: a WM_CLOSE posted to
    // the thread's window ends the loop here.
    MSG message;
    while (GetMessageW(&message, nullptr, 0, 0) > 0) {
      if (message.message == WM_CLOSE && message.hwnd == window.window()) break;
      window.relayToTooltip(message);
      TranslateMessage(&message);
      DispatchMessageW(&message);
    }
    window.destroy();
  } catch (...) {
    return 1;
  }
  return 0;
}
