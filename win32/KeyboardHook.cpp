#include "win32/KeyboardHook.h"

#include "platform/Errors.h"
#include "win32/Messages.h"
#include "win32/Text.h"

namespace tarnavel::win32 {
namespace {

// A low-level hook's callback has no context of its own; the program has one
// hook at most, and this is the window it reports to.
HWND gTarget = nullptr;

}  // namespace

void KeyboardHook::install() {
  if (hook_) return;
  gTarget = target_;
  hook_ = Hook(
      SetWindowsHookExW(WH_KEYBOARD_LL, &KeyboardHook::procedure, GetModuleHandleW(nullptr), 0));
  if (!hook_) {
    gTarget = nullptr;
    throw AppError::system(systemMessage(GetLastError()));
  }
}

void KeyboardHook::remove() {
  hook_.reset();
  if (gTarget == target_) gTarget = nullptr;
}

LRESULT CALLBACK KeyboardHook::procedure(int code, WPARAM wParam, LPARAM lParam) noexcept {
  if (code == HC_ACTION && gTarget != nullptr) {
    const auto* key = reinterpret_cast<const KBDLLHOOKSTRUCT*>(lParam);
    if (key->vkCode == 'T') {
      const bool down = wParam == WM_KEYDOWN || wParam == WM_SYSKEYDOWN;
      // The modifiers' own events came before this one, so their state is
      // current here.
      const bool ctrl = GetAsyncKeyState(VK_CONTROL) < 0;
      const bool shift = GetAsyncKeyState(VK_SHIFT) < 0;
      PostMessageW(gTarget, kToggleMessage, encodeDown(down), encodeModifiers(ctrl, shift));
    }
  }
  // The keystroke always goes on to the other hooks and to its window.
  return CallNextHookEx(nullptr, code, wParam, lParam);
}

}  // namespace tarnavel::win32
