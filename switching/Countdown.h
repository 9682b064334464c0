// The switch timer's countdown: where in the queue the next switch lands and
// how far the count has come. The timer owns it; choosing a schedule and
// turning monitoring on set parts of it.
#pragma once

#include <cstdint>
#include <optional>
#include <vector>

#include "platform/Types.h"

namespace tarnavel {

struct Countdown {
  // 1-based row of the queue that the next switch activates.
  int QueueIndex = 0;
  // Interval and custom schedules: seconds counted since the last switch.
  // Weekly and daily: recomputed at every tick.
  std::int32_t ElapsedSeconds = 0;
  // Length of the countdown, also the progress bar's maximum.
  std::int32_t SwitchSeconds = 0;
  // The row the last switch brought forward; 0 before the first.
  int FrontRow = 0;

  // While each display switches on its own: every display's own turn
  // through the queue, in the order of their numbers.
  struct DisplayTurn {
    Display display;
    // The row from which its next turn is looked for, and the row its last
    // switch brought forward (0 before the first).
    int from = 1;
    int front = 0;
    // The row its next switch brings forward: 0 when none of its rows has a
    // window.
    int due = 0;
    // Custom schedule: seconds counted since its last switch.
    std::int32_t elapsed = 0;
  };
  std::vector<DisplayTurn> displays;

  // The daily and weekly moments: the local time of the tick before this
  // one and of this one, and the day of the last switch, so that a late tick
  // still switches and no day switches twice.
  std::optional<std::int64_t> previousTick;
  std::optional<std::int64_t> thisTick;
  std::optional<std::int64_t> lastSwitchDay;
  // Every tick records its time first, whatever it goes on to do.
  void noteTick(std::int64_t localSeconds) {
    previousTick = thisTick;
    thisTick = localSeconds;
  }

  // Starts the daily or weekly count afresh from now.
  void rebase(std::int32_t secondsToSwitchTime) {
    SwitchSeconds = secondsToSwitchTime;
    forgetMoments();
  }
  // A newly chosen time of day counts from now on, also on a day that has
  // already switched.
  void forgetMoments() {
    previousTick.reset();
    thisTick.reset();
    lastSwitchDay.reset();
  }
};

}  // namespace tarnavel
