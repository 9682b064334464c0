#include "win32/Tray.h"

#include <string>

#include "resources/resource.h"
#include "win32/Messages.h"
#include "win32/Text.h"

namespace tarnavel::win32 {
namespace {

template <std::size_t N>
void copyCut(wchar_t (&field)[N], std::string_view utf8) {
  std::wstring text = widen(utf8);
  if (text.size() > N - 1) {
    text.resize(N - 1);
    if (IS_HIGH_SURROGATE(text.back())) text.pop_back();
  }
  text.copy(field, text.size());
  field[text.size()] = L'\0';
}

}  // namespace

NOTIFYICONDATAW trayRecord(HWND window, const TrayRecord& record) {
  NOTIFYICONDATAW data{};
  data.cbSize = sizeof(data);
  data.hWnd = window;
  data.uID = 0;
  data.uFlags = record.flags;
  data.uCallbackMessage = record.callbackMessage;
  data.hIcon = reinterpret_cast<HICON>(record.icon);
  copyCut(data.szTip, record.tip);
  copyCut(data.szInfo, record.info);
  data.uTimeout = record.timeoutMs;
  copyCut(data.szInfoTitle, record.infoTitle);
  data.dwInfoFlags = NIIF_NONE;
  return data;
}

NotifyArea::NotifyArea(HINSTANCE instance, MainWindow& window)
    : window_(window.window()),
      icon_(static_cast<HICON>(LoadImageW(instance, MAKEINTRESOURCEW(IDI_TARNAVEL), IMAGE_ICON,
                                          GetSystemMetrics(SM_CXSMICON),
                                          GetSystemMetrics(SM_CYSMICON), 0))) {
  window.route(kTrayCallbackMessage, [&window](WPARAM id, LPARAM notification) {
    window.deliver([&](FormEvents& e) {
      e.onTrayMessage(static_cast<std::uint32_t>(notification), static_cast<std::int32_t>(id));
    });
    return std::optional<LRESULT>(0);
  });
  const UINT taskbarCreated =
      window.routeRegistered(kTaskbarCreatedName, [&window](WPARAM, LPARAM) {
        window.deliver([](FormEvents& e) { e.onTaskbarCreated(); });
        return std::optional<LRESULT>(0);
      });
  // Run as administrator, the program would not hear the broadcast of a
  // taskbar that runs with fewer rights, and a restarted taskbar would keep
  // the icon refused for good. Not elevated, this changes nothing.
  if (taskbarCreated != 0) {
    ChangeWindowMessageFilterEx(window_, taskbarCreated, MSGFLT_ALLOW, nullptr);
  }
}

// The shell's DLL is loaded for each call and let go after it. The program
// talks to the notification area a few times in its life (the icon, a
// balloon, the icon again after the taskbar restarts), and under Wine the DLL
// and what it pulls in held about 1 MB of the working set for good; the shell
// keeps nothing of the call on the program's side.
bool NotifyArea::notify(TrayCommand command, const TrayRecord& record) {
  const Library shell(LoadLibraryW(L"shell32.dll"));
  if (!shell) return false;
  using NotifyIcon = BOOL(WINAPI*)(DWORD, NOTIFYICONDATAW*);
  // Through a pointer to a function without arguments, which any entry
  // point may be cast from.
  const auto call = reinterpret_cast<NotifyIcon>(
      reinterpret_cast<void (*)()>(GetProcAddress(shell.get(), "Shell_NotifyIconW")));
  if (call == nullptr) return false;
  NOTIFYICONDATAW data = trayRecord(window_, record);
  return call(static_cast<DWORD>(command), &data) != FALSE;
}

IconHandle NotifyArea::appIcon() {
  return reinterpret_cast<IconHandle>(icon_.get());
}

}  // namespace tarnavel::win32
