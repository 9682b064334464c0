// The time before switch of every queued window under the custom schedule:
// the seconds the switch timer waits at that row before activating it. Kept
// in the queue's fourth column, exactly as the user typed it.
#pragma once

#include "form/Context.h"
#include "queue/SwitchQueue.h"

namespace tarnavel {

inline constexpr std::string_view kTimePrompt = "Please set Time Before Switch in seconds for ";
inline constexpr std::string_view kCustomOnly =
    "This button is only used with the 'Custom (set switch time for each app)' feature.";

class TimeBeforeSwitch {
 public:
  TimeBeforeSwitch(Context& cx, SwitchQueue& queue) : cx_(cx), queue_(queue) {}

  // Shows the time column under the custom schedule (and asks for the
  // missing times), hides it under the others.
  void ShowListColumn();
  // Asks for one row's time (1-based), only under the custom schedule.
  void SetTimeBeforeCwitch(int row);
  // Asks, row after row, for every time that does not read as a number, with
  // the switch timer paused.
  void CheckTimeBeforeCwitch();
  // "Edit 'Time Before Switch' For Selected Item".
  void PushButton9_Click();

 private:
  bool readsAsNumber(std::string_view text) const;

  Context& cx_;
  SwitchQueue& queue_;
};

}  // namespace tarnavel
