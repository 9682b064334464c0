#include "core/TickPacer.h"

namespace tarnavel {

void TickPacer::arm(std::int64_t now, int intervalMs, bool continuePhase) {
  const bool keep =
      continuePhase && armed_ && intervalMs == interval_ && now - lastDue_ < kMaxCatchUpMs;
  interval_ = intervalMs;
  due_ = (keep ? lastDue_ : now) + intervalMs;
  armed_ = true;
}

void TickPacer::ticked(std::int64_t now) {
  lastDue_ = due_;
  due_ += interval_;
  if (now - due_ > kMaxCatchUpMs) {
    lastDue_ = now;
    due_ = now + interval_;
  }
}

}  // namespace tarnavel
