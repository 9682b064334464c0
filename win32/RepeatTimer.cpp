#include "win32/RepeatTimer.h"

#include "platform/Errors.h"
#include "win32/Text.h"

namespace tarnavel::win32 {

void RepeatTimer::setEnabled(bool on) {
  if (on == enabled_) return;
  enabled_ = on;
  apply();
}

void RepeatTimer::setInterval(int milliseconds) {
  if (milliseconds == interval_) return;
  interval_ = milliseconds;
  apply();
}

void RepeatTimer::apply() {
  if (!enabled_ || interval_ <= 0) {
    stop();
    return;
  }
  // The same id again replaces the timer's period.
  if (SetTimer(owner_, id_, static_cast<UINT>(interval_), nullptr) == 0) {
    armed_ = false;
    throw AppError::system(systemMessage(GetLastError()));
  }
  armed_ = true;
}

void RepeatTimer::stop() noexcept {
  if (armed_) KillTimer(owner_, id_);
  armed_ = false;
}

void RepeatTimer::onWmTimer(UINT_PTR id, const std::function<void()>& tick) {
  if (id != id_ || !armed_) return;
  tick();
}

}  // namespace tarnavel::win32
