// Pausing the switch timer around an edit: remember whether it ran, stop it,
// and afterwards re-arm it at one tick per second if it had been running and
// monitoring is still on. A pause may hold a box open for as long as the user
// likes, and Ctrl+Shift+T turns monitoring off under it; the timer then stays
// off with it. The countdown itself is not touched by a pause. Each action is
// a labelled statement of its caller's, so each runs as a guard step of its
// own.
#pragma once

#include "core/ErrorReport.h"
#include "form/Form1Controls.h"

namespace tarnavel {

inline constexpr int kTickMilliseconds = 1000;

class TimerPause {
 public:
  explicit TimerPause(const Form1Controls& ui) : timer_(ui.Timer1), onOff_(ui.PushButton2) {}

  // [test] If the timer is enabled, [remember] remember that it was running;
  // [disable] disable it; [zero] set its interval to 0.
  void pause(Guard& g, int test, int remember, int disable, int zero) {
    if (g.test(test, [&] { return timer_.enabled(); }))
      g.step(remember, [&] { wasRunning_ = true; });
    g.step(disable, [&] { timer_.setEnabled(false); });
    g.step(zero, [&] { timer_.setInterval(0); });
  }
  // [test] If it had been running and monitoring is on: [enable] enable it
  // and [interval] set its interval to one second.
  void resume(Guard& g, int test, int enable, int interval) {
    if (g.test(test, [&] { return wasRunning_ && onOff_.caption() == kTurnOff; })) {
      g.step(enable, [&] { timer_.setEnabled(true); });
      g.step(interval, [&] { timer_.setInterval(kTickMilliseconds); });
    }
  }

 private:
  platform::ITimer& timer_;
  const platform::IControl& onOff_;
  bool wasRunning_ = false;
};

}  // namespace tarnavel
