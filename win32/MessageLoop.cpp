#include "win32/MessageLoop.h"

#include <cwchar>

#include "win32/Messages.h"

namespace tarnavel::win32 {
namespace {

bool isDialog(HWND window) {
  wchar_t name[16] = {};
  return GetClassNameW(window, name, 16) > 0 && wcscmp(name, L"#32770") == 0;
}

}  // namespace

MessageLoop::MessageLoop(MainWindow& window) : window_(window) {
  window.route(kRunPostedMessage, [this](WPARAM, LPARAM) {
    runPosted();
    return std::optional<LRESULT>(0);
  });
}

void MessageLoop::post(std::function<void()> task) {
  if (ended_) return;
  posted_.push_back(std::move(task));
  // One message per task: each runs as a message of its own, in order.
  PostMessageW(window_.window(), kRunPostedMessage, 0, 0);
}

void MessageLoop::runPosted() {
  if (ended_ || posted_.empty()) return;
  auto task = std::move(posted_.front());
  posted_.pop_front();
  task();
}

void MessageLoop::dispatch(MSG& message) {
  window_.relayToTooltip(message);
  if (window_.preTranslate(message)) return;
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

bool MessageLoop::runUntil(const std::function<bool()>& done, int milliseconds) {
  // Measured on the tick count, which neither midnight nor a change of the
  // clock moves.
  const ULONGLONG end =
      GetTickCount64() + static_cast<ULONGLONG>(milliseconds > 0 ? milliseconds : 0);
  for (;;) {
    doEvents();
    if (ended_) return false;
    if (done()) return true;
    const ULONGLONG now = GetTickCount64();
    if (now >= end) return true;
    // A WM_QUIT put back for the main loop is the end of this wait too.
    MSG quit{};
    if (PeekMessageW(&quit, nullptr, WM_QUIT, WM_QUIT, PM_NOREMOVE)) return true;
    MsgWaitForMultipleObjectsEx(0, nullptr, static_cast<DWORD>(end - now), QS_ALLINPUT,
                                MWMO_INPUTAVAILABLE);
  }
}

void MessageLoop::endProgram() {
  if (ended_) return;
  ended_ = true;
  posted_.clear();
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
