// The low-level keyboard hook of the toggle chord. Its callback only looks at
// the T key: it posts the event, with the state of Ctrl and Shift, to the
// main window and returns at once, so no keystroke of the session ever waits
// on the program (nor does the system remove a hook that took too long).
#pragma once

#include <windows.h>

#include "platform/System.h"
#include "win32/Handles.h"

namespace tarnavel::win32 {

class KeyboardHook final : public platform::IKeyboardHook {
 public:
  // Events go to this window as kToggleMessage.
  explicit KeyboardHook(HWND target) : target_(target) {}
  ~KeyboardHook() override { remove(); }
  KeyboardHook(const KeyboardHook&) = delete;
  KeyboardHook& operator=(const KeyboardHook&) = delete;

  // Throws AppError when the system refuses the hook.
  void install() override;
  void remove() override;
  bool installed() const { return static_cast<bool>(hook_); }

  // The message's wParam and lParam for one event of the T key, and back.
  static WPARAM encodeDown(bool down) { return down ? 1 : 0; }
  static LPARAM encodeModifiers(bool ctrl, bool shift) { return (ctrl ? 1 : 0) | (shift ? 2 : 0); }
  static KeyTEvent decode(WPARAM wParam, LPARAM lParam) {
    return {wParam != 0, (lParam & 1) != 0, (lParam & 2) != 0};
  }

 private:
  static LRESULT CALLBACK procedure(int code, WPARAM wParam, LPARAM lParam) noexcept;

  HWND target_;
  Hook hook_;
};

}  // namespace tarnavel::win32
