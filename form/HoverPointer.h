// The pointer the main window shows while the mouse crosses it: the hand over
// every push button, the arrow again over the surfaces around them (the bare
// window, the frames, the "hour/s" label, the minutes box and both lists).
// Every other control leaves the pointer as the last surface set it, and a
// busy hourglass is never replaced.
#pragma once

#include <optional>

#include "form/Form1Layout.h"
#include "platform/Types.h"
#include "platform/Ui.h"

namespace tarnavel {

// What moving over control asks for; nothing for a control that has no say.
constexpr std::optional<MousePointer> hoverPointerFor(Ctl control) {
  switch (control) {
    case Ctl::None:
    case Ctl::Frame1:
    case Ctl::Frame2:
    case Ctl::Frame3:
    case Ctl::Frame4:
    case Ctl::Label1:
    case Ctl::Text2:
    case Ctl::ListView1:
    case Ctl::ListView2: return MousePointer::Default;
    default: break;
  }
  // layoutOf has no entry for the bare window, which is handled above.
  if (layoutOf(control).kind == CtlKind::Button) return MousePointer::Custom;
  return std::nullopt;
}

// The mouse moved over control.
inline void hoverOver(platform::IMainWindow& window, Ctl control) {
  const std::optional<MousePointer> wanted = hoverPointerFor(control);
  if (!wanted) return;
  const MousePointer now = window.pointer();
  if (now == MousePointer::Hourglass || now == *wanted) return;
  window.setPointer(*wanted);
}

}  // namespace tarnavel
