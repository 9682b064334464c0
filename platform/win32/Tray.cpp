#include "platform/win32/Tray.h"

#include <string>

#include "platform/win32/Messages.h"
#include "platform/win32/Text.h"
#include "resources/resource.h"

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
  window.routeRegistered(kTaskbarCreatedName, [&window](WPARAM, LPARAM) {
    window.deliver([](FormEvents& e) { e.onTaskbarCreated(); });
    return std::optional<LRESULT>(0);
  });
}

bool NotifyArea::notify(TrayCommand command, const TrayRecord& record) {
  NOTIFYICONDATAW data = trayRecord(window_, record);
  return Shell_NotifyIconW(static_cast<DWORD>(command), &data) != FALSE;
}

IconHandle NotifyArea::appIcon() {
  return reinterpret_cast<IconHandle>(icon_.get());
}

}  // namespace tarnavel::win32
