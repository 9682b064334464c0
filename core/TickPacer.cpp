#include "core/TickPacer.h"

#include <algorithm>

namespace tarnavel {

void TickPacer::arm(std::int64_t now, int intervalMs, bool continuePhase) {
  const bool keep =
      continuePhase && armed_ && intervalMs == interval_ && now - lastDue_ < kMaxCatchUpMs;
  interval_ = intervalMs;
  due_ = (keep ? lastDue_ : now) + intervalMs;
  armed_ = true;
}

void TickPacer::ticked(std::int64_t now) {
  lastRun_ = now;
  lastDue_ = due_;
  due_ += interval_;
  if (now - due_ > kMaxCatchUpMs) {
    lastDue_ = now;
    due_ = now + interval_;
  }
}

std::int64_t TickPacer::delay(std::int64_t now) const {
  std::int64_t next = due_;
  if (lastRun_) next = std::max(next, *lastRun_ + interval_ - interval_ / 10);
  return next > now ? next - now : 0;
}

}  // namespace tarnavel
