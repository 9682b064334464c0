// The choices for screens that run on their own for weeks, from the Options
// box: holding the switching while someone uses the computer or outside the
// switching hours, finding a queued window again when its program reopened
// it, going straight on past a window that is gone, keeping the display on,
// and the log in place of the error boxes. Each is stored at once as a key of its own;
// an absent or unreadable key is the default, and every default is off.
#pragma once

#include <cstdint>
#include <functional>
#include <optional>
#include <string>
#include <string_view>

#include "core/Log.h"
#include "form/Context.h"
#include "queue/Reopened.h"

namespace tarnavel {

inline constexpr std::string_view kPauseWhenInUseKey = "Pause When In Use";
inline constexpr std::string_view kResumeAfterIdleKey = "Resume After Idle";
inline constexpr std::string_view kFindReopenedKey = "Find Reopened Windows";
inline constexpr std::string_view kSkipMissingKey = "Skip Missing Windows";
inline constexpr std::string_view kLogInsteadKey = "Log Instead Of Boxes";
inline constexpr std::string_view kLogSwitchesKey = "Log Switches";
inline constexpr std::string_view kKeepDisplayOnKey = "Keep Display On";
inline constexpr std::string_view kSwitchHoursKey = "Switch Hours";
inline constexpr std::string_view kSwitchDaysKey = "Switch Days";
inline constexpr std::string_view kSwitchEachDisplayKey = "Switch Each Display";
inline constexpr std::string_view kStatusPaused = "On. Paused while the computer is in use.";
inline constexpr std::string_view kStatusOutsideHours = "On. Outside switching hours.";
// Input this soon after one of our own activations or the hotkey is taken
// as ours: the system reports a window brought forward under the pointer as
// a move of it a moment later, and the chord's keys are let go after it
// fires. Short beside the shortest interval between switches (one second),
// so that the user's own input is never all taken for ours.
inline constexpr std::uint32_t kOwnInputMilliseconds = 500;

class Unattended {
 public:
  Unattended(Context& cx, ReopenedWindows& reopened) : cx_(cx), reopened_(reopened) {}

  // Reads the keys (at start-up), and the record of the queue's programs
  // when finding again is chosen. A stored span or list of days that does
  // not read is reported, and the switching hours are off.
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
  // Told when a hold begins or its reason changes (true) and when it ends
  // (false): the tray tip says so, with holdStatus().
  std::function<void(bool held)> showHeld;
  // The status line's text of the hold under way.
  std::string_view holdStatus() const {
    return heldOutsideHours_ ? kStatusOutsideHours : kStatusPaused;
  }
  // A tick can be held: pausing while in use or switching hours is chosen.
  bool holdsTicks() const { return choices_.pauseWhenInUse || choices_.hours.on; }
  // The hold that just ended included time outside the switching hours.
  bool wasOutsideHours() const { return endedOutsideHours_; }

  // --- a switch -------------------------------------------------------------
  // A switch to the row's window was made (taken: its window came to the
  // foreground): the input up to now is ours, and the log hears of it when
  // chosen.
  void switched(int row, bool taken);
  // The row's window was raised on another display than the primary, without
  // the foreground.
  void raised(int row, int display);
  // The log that switches and errors are written to.
  Log* log = nullptr;

  // --- the display kept on --------------------------------------------------
  // Monitoring went on or off: the power request follows it.
  void followMonitoring();

  // --- a turn whose window is gone ----------------------------------------
  // True when finding again or skipping is chosen, so the turn asks turnFor.
  bool decidesTurns() const { return choices_.findReopened || choices_.skipMissing; }
  // The row that the turn of this one switches to: the row itself while its
  // window is there or found again; with skipping, the next row with a
  // window (0 when none has one); without it, the row as it is.
  int turnFor(int row);
  // The queue changed: the record follows it.
  void queueChanged();
  // The row's window is there, or found again when that is chosen (after
  // queueChanged()).
  bool there(int row);

 private:
  bool inUse();
  void hold(bool outsideHours);
  void storeChoice(std::string_view key, std::string_view text);
  void applyPower();

  Context& cx_;
  ReopenedWindows& reopened_;
  UnattendedChoices choices_;
  bool held_ = false;
  std::string statusBeforeHold_;
  std::optional<std::uint32_t> ownInputAt_;
  bool heldOutsideHours_ = false;
  bool outsideHoursInHold_ = false;
  bool endedOutsideHours_ = false;
  bool monitoringOn_ = false;
  bool powerRequested_ = false;
};

// The stored text of the resume time read as seconds: a whole number from 1
// to 3600, else the default.
int resumeAfterFrom(std::string_view stored, const NumberFormat& format);

// "Log Instead Of Boxes" as the store holds it: read first at start-up,
// before anything that may report. A text that is no choice is off; a store
// that cannot be read throws.
bool logInsteadFrom(platform::ISettingsBackend& settings, const NumberFormat& format);

// The switching hours as stored: a span "HH:MM-HH:MM" (empty: off) and the
// days' English names in week order, comma-separated (absent: every day).
// Nothing when either does not read.
std::optional<SwitchHours> switchHoursFrom(std::string_view span,
                                           std::optional<std::string_view> days);
std::string spanText(const SwitchHours& hours);
std::string daysText(std::uint8_t days);
// "HH:MM" read as minutes after midnight.
std::optional<int> minutesFrom(std::string_view text);
std::string minutesText(int minutes);
// The moment lies in a span of the chosen days.
bool withinHours(const SwitchHours& hours, const LocalDateTime& at);

}  // namespace tarnavel
