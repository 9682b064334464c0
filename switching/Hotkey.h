// The toggle chord Ctrl+Shift+T, decided from the keyboard hook's own events:
// a T key-down that is not an auto-repeat, while Ctrl and Shift are both
// down, toggles exactly once. A T typed earlier, alone, never toggles later.
#pragma once

#include "platform/Types.h"

namespace tarnavel {

class ToggleChord {
 public:
  // True when this event is the chord.
  bool onKeyT(const KeyTEvent& e) {
    const bool repeat = e.down && tDown_;
    tDown_ = e.down;
    return e.down && !repeat && e.ctrl && e.shift;
  }

 private:
  bool tDown_ = false;
};

}  // namespace tarnavel
