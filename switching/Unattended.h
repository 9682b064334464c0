// The choices for screens that run on their own for weeks, from the Options
// box: holding the switching while someone uses the computer, finding a
// queued window again when its program reopened it, and going straight on
// past a window that is gone. Each is stored at once as a key of its own;
// an absent or unreadable key is the default, and every default is off.
#pragma once

#include <cstdint>
#include <functional>
#include <optional>
#include <string>
#include <string_view>

#include "form/Context.h"
#include "queue/Reopened.h"

namespace tarnavel {

inline constexpr std::string_view kPauseWhenInUseKey = "Pause When In Use";
inline constexpr std::string_view kResumeAfterIdleKey = "Resume After Idle";
inline constexpr std::string_view kFindReopenedKey = "Find Reopened Windows";
inline constexpr std::string_view kSkipMissingKey = "Skip Missing Windows";
inline constexpr std::string_view kStatusPaused = "On. Paused while the computer is in use.";
// Input this soon after one of our own activations or the hotkey is taken
// as ours: the system reports a window brought forward under the pointer as
// a move of it a moment later, and the chord's keys are let go after it
// fires. Short beside the shortest interval between switches (one second),
// so that the user's own input is never all taken for ours.
inline constexpr std::uint32_t kOwnInputMilliseconds = 500;

class Unattended {
 public:
  Unattended(Context& cx, ReopenedWindows& reopened) : cx_(cx), reopened_(reopened) {}

  // Reads the four keys (at start-up), and the record of the queue's
  // programs when finding again is chosen.
  void load();
  // The user's change in the Options box: each key that changed is stored.
  void change(const UnattendedChoices& wanted);
  const UnattendedChoices& choices() const { return choices_; }

  // --- holding while in use ------------------------------------------------
  enum class Hold { Run, Hold, Resumed };
  // What this tick does: Hold when the last input is more recent than the
  // chosen seconds (and shows so), Resumed for the first tick after a hold.
  Hold tick();
  // Our own activation or hotkey happened: the input up to now is not the
  // user's.
  void ownInput();
  // Monitoring went off: a hold shown in the tray tip ends with it.
  void release();
  // The queue is empty: there is nothing to hold. The hold ends, and the
  // status line says again what it said before it.
  void queueEmptied();
  // Told when a hold begins (true) and ends (false): the tray tip says so.
  std::function<void(bool held)> showHeld;

  // --- a turn whose window is gone ----------------------------------------
  // True when finding again or skipping is chosen, so the turn asks turnFor.
  bool decidesTurns() const { return choices_.findReopened || choices_.skipMissing; }
  // The row that the turn of this one switches to: the row itself while its
  // window is there or found again; with skipping, the next row with a
  // window (0 when none has one); without it, the row as it is.
  int turnFor(int row);
  // The queue changed: the record follows it.
  void queueChanged();

 private:
  bool inUse();
  void storeChoice(std::string_view key, std::string_view text);

  Context& cx_;
  ReopenedWindows& reopened_;
  UnattendedChoices choices_;
  bool held_ = false;
  std::string statusBeforeHold_;
  std::optional<std::uint32_t> ownInputAt_;
};

// The stored text of the resume time read as seconds: a whole number from 1
// to 3600, else the default.
int resumeAfterFrom(std::string_view stored, const NumberFormat& format);

}  // namespace tarnavel
