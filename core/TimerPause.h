// Pausing the switch timer around an edit: remember whether it ran, stop it,
// and afterwards re-arm it at one tick per second if it had been running.
// The countdown itself is not touched by a pause.
#pragma once

#include "platform/Ui.h"

namespace tarnavel {

inline constexpr int kTickMilliseconds = 1000;

class TimerPause {
 public:
  explicit TimerPause(platform::ITimer& timer) : timer_(timer) {}
  void noteRunning() { wasRunning_ = timer_.enabled(); }
  bool wasRunning() const { return wasRunning_; }
  void stop() {
    timer_.setEnabled(false);
    timer_.setInterval(0);
  }
  void rearm() {
    timer_.setEnabled(true);
    timer_.setInterval(kTickMilliseconds);
  }

 private:
  platform::ITimer& timer_;
  bool wasRunning_ = false;
};

}  // namespace tarnavel
