#include "platform/win32/MessageLoop.h"

#include <cwchar>

namespace tarnavel::win32 {
namespace {

bool isDialog(HWND window) {
  wchar_t name[16] = {};
  return GetClassNameW(window, name, 16) > 0 && wcscmp(name, L"#32770") == 0;
}

}  // namespace

void MessageLoop::dispatch(MSG& message) {
  window_.relayToTooltip(message);
  // Tab, the arrow keys, Enter and Escape move between the controls of the
  // main window as they do in a dialog box, and in our own dialog boxes when
  // their messages pass through here.
  const HWND root = message.hwnd != nullptr ? GetAncestor(message.hwnd, GA_ROOT) : nullptr;
  if (root != nullptr && (root == window_.window() || isDialog(root)) &&
      IsDialogMessageW(root, &message)) {
    return;
  }
  TranslateMessage(&message);
  DispatchMessageW(&message);
}

void MessageLoop::doEvents() {
  if (ended_) return;
  MSG message{};
  while (PeekMessageW(&message, nullptr, 0, 0, PM_REMOVE)) {
    if (message.message == WM_QUIT) {
      PostQuitMessage(static_cast<int>(message.wParam));
      return;
    }
    dispatch(message);
    if (ended_) return;
  }
}

void MessageLoop::endProgram() {
  if (ended_) return;
  ended_ = true;
  window_.destroy();
  PostQuitMessage(0);
}

int MessageLoop::run() {
  MSG message{};
  for (;;) {
    const BOOL got = GetMessageW(&message, nullptr, 0, 0);
    if (got == 0) return static_cast<int>(message.wParam);
    if (got == -1) return 1;
    dispatch(message);
  }
}

}  // namespace tarnavel::win32
