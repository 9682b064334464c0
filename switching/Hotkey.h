// The toggle chord Ctrl+Shift+T, decided from the keyboard hook's own events:
// a T key-down that is not an auto-repeat, while Ctrl and Shift are both
// down, toggles exactly once. A T typed earlier, alone, never toggles later.
//
// Windows takes a low-level hook out without telling its owner when one of
// its calls took longer than LowLevelHooksTimeout (a loaded machine, a resume
// from sleep). HookKeeper puts the hook in anew where that may have happened
// (the session unlocked, the system resumed) and at a regular check.
#pragma once

#include <string_view>

#include "core/ErrorReport.h"
#include "platform/System.h"
#include "platform/Types.h"
#include "platform/Ui.h"

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

class HookKeeper {
 public:
  // Five minutes between checks.
  static constexpr int kCheckMs = 5 * 60 * 1000;

  HookKeeper(platform::IKeyboardHook& hook, platform::ITimer& check, ErrorReport& report)
      : hook_(hook), check_(check), report_(report) {}

  // The hook goes in and the checks start. A refusal throws, for the
  // caller's guard; the checks try again.
  void install();
  // Takes the old hook out before the new one goes in, so that there is
  // never two (one chord toggling twice). Nothing before install() or after
  // remove(). A refusal is reported under location, once until a
  // reinstallation succeeds again: a box every few minutes would pile up on
  // a display nobody watches.
  void reinstall(std::string_view location);
  void remove();

 private:
  void startChecks();

  platform::IKeyboardHook& hook_;
  platform::ITimer& check_;
  ErrorReport& report_;
  bool wanted_ = false;
  bool failing_ = false;
};

}  // namespace tarnavel
