#include "win32/TickTimer.h"

#include "platform/Errors.h"
#include "win32/Services.h"
#include "win32/Text.h"

namespace tarnavel::win32 {

void TickTimer::setEnabled(bool on) {
  if (on == enabled_) return;
  enabled_ = on;
  apply();
}

void TickTimer::setInterval(int milliseconds) {
  if (milliseconds == interval_) return;
  interval_ = milliseconds;
  apply();
}

void TickTimer::apply() {
  if (!running()) {
    stop();
    return;
  }
  // Re-armed from inside a tick (the switch pauses the timer around the
  // activation), the schedule goes on; otherwise a full interval from now.
  pacer_.arm(monotonicMs(), interval_, inTick_);
  if (!inTick_) schedule();
}

void TickTimer::schedule() {
  const auto delay = pacer_.delay(monotonicMs());
  const UINT ms = delay < USER_TIMER_MINIMUM ? USER_TIMER_MINIMUM : static_cast<UINT>(delay);
  if (SetTimer(owner_, id_, ms, nullptr) == 0) {
    armed_ = false;
    throw AppError::system(systemMessage(GetLastError()));
  }
  armed_ = true;
}

void TickTimer::stop() noexcept {
  if (armed_) KillTimer(owner_, id_);
  armed_ = false;
}

void TickTimer::onWmTimer(UINT_PTR id, const std::function<void()>& tick) {
  if (id != id_) return;
  stop();  // one shot: the next tick is armed when this one is done
  if (!running() || inTick_) return;
  pacer_.ticked(monotonicMs());
  inTick_ = true;
  try {
    tick();
  } catch (...) {
    inTick_ = false;
    if (running()) schedule();
    throw;
  }
  inTick_ = false;
  if (running()) schedule();
}

}  // namespace tarnavel::win32
