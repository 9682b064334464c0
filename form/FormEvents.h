// What the main window tells the logic: its window messages, decoded once at
// the edge into typed calls. Form1 implements it; the tests of the Windows
// layer connect a recorder. Every member is pure, so an event added here does
// not build until Form1 handles it.
#pragma once

#include <cstdint>
#include <optional>
#include <string>
#include <string_view>

#include "form/Form1Layout.h"

namespace tarnavel {

// The items the program adds to the main window's system menu.
enum class MenuItem { Options, About };

class FormEvents {
 public:
  virtual ~FormEvents() = default;
  // Any request to close the window: close box, system menu, Alt+F4.
  virtual void onCloseRequest() = 0;
  // Windows asks whether the session may end (WM_QUERYENDSESSION); the
  // answer. Another program may still cancel the end after it.
  virtual bool onQueryEndSession() = 0;
  // The session's end itself (WM_ENDSESSION): ending, or cancelled.
  virtual void onEndSession(bool ending) = 0;
  // The session was unlocked, or the system resumed from sleep.
  virtual void onSessionResumed() = 0;
  virtual void onClick(Ctl control) = 0;
  virtual void onDoubleClick(Ctl control) = 0;
  // A right click on a control (a list selects the row under the pointer
  // first).
  virtual void onRightClick(Ctl control) = 0;
  // A change the user made (never one made by setting a value from code).
  virtual void onChange(Ctl control) = 0;
  virtual void onFocus(Ctl control, bool gained) = 0;
  // The mouse moved over a control, or over the bare window (Ctl::None).
  virtual void onMouseMove(Ctl control) = 0;
  virtual void onTimer() = 0;
  // The tray icon's retry timer and the keyboard hook's check timer.
  virtual void onTrayTimer() = 0;
  virtual void onHookTimer() = 0;
  // The window's size or state changed (minimised, restored, maximised).
  virtual void onResize() = 0;
  // The keyboard hook saw the T key go down or up, anywhere.
  virtual void onKeyT(const KeyTEvent& event) = 0;
  // The tray icon's callback: the shell's notification (a mouse message or a
  // balloon's end) and the icon's id.
  virtual void onTrayMessage(std::uint32_t notification, std::int32_t id) = 0;
  // The taskbar (re)started: an icon it had is gone.
  virtual void onTaskbarCreated() = 0;
  // An item of ours chosen in the window's system menu.
  virtual void onMenu(MenuItem item) = 0;
  // A second start of the program in this session hands over its request:
  // its kind and bytes, unchecked. Nothing when it is refused (ignored), else
  // the answer for the sender, which may be empty.
  virtual std::optional<std::string> onRequest(std::uint64_t kind, std::string_view bytes) = 0;
};

}  // namespace tarnavel
