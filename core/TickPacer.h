// Paces the switch timer's ticks on a monotonic clock. Each tick is aimed at
// one interval after the moment the previous tick was due, not after the
// moment it actually ran, so late ticks do not add up: after N ticks, N
// intervals have passed, give or take one timer quantum. After a stall (a
// box shown inside a tick holds the ticks back) the missed ticks are not
// fired back to back: ticks stay at least nine tenths of an interval apart,
// so the count catches up a tenth of an interval per tick.
#pragma once

#include <cstdint>
#include <optional>

namespace tarnavel {

class TickPacer {
 public:
  // Behind by more than this (a suspended machine, a debugger), the pacer
  // starts afresh instead of firing the missed ticks in a burst.
  static constexpr std::int64_t kMaxCatchUpMs = 5000;

  // Arms the timer at `now`. When `continuePhase` is set (re-armed from
  // inside a tick) the next tick keeps the schedule of the current one;
  // otherwise it comes a full interval from now.
  void arm(std::int64_t now, int intervalMs, bool continuePhase);
  // The tick that was due has run: the next one is due an interval later.
  void ticked(std::int64_t now);
  // Milliseconds from now to the next tick, never negative.
  std::int64_t delay(std::int64_t now) const;
  std::int64_t due() const { return due_; }

 private:
  std::int64_t due_ = 0;
  std::int64_t lastDue_ = 0;
  std::optional<std::int64_t> lastRun_;  // when the last tick began
  int interval_ = 0;
  bool armed_ = false;
};

}  // namespace tarnavel
