// The switch timer over SetTimer on the main window. It runs exactly while it
// is enabled with a positive interval.
//
// Each tick is a one-shot timer aimed at the tick's place in the schedule
// (TickPacer), so a coarse or late WM_TIMER does not push the following ticks
// back: after N ticks, N intervals have passed on the monotonic clock. The
// next tick is armed only after the current one has returned, so a tick that
// lets messages run is never entered twice.
#pragma once

#include <windows.h>

#include <functional>

#include "core/TickPacer.h"
#include "platform/Ui.h"

namespace tarnavel::win32 {

class TickTimer final : public platform::ITimer {
 public:
  TickTimer(HWND owner, UINT_PTR id) noexcept : owner_(owner), id_(id) {}
  TickTimer(TickTimer&&) = delete;
  TickTimer& operator=(TickTimer&&) = delete;
  TickTimer(const TickTimer&) = delete;
  TickTimer& operator=(const TickTimer&) = delete;
  ~TickTimer() override { stop(); }

  bool enabled() const override { return enabled_; }
  void setEnabled(bool on) override;
  int interval() const override { return interval_; }
  void setInterval(int milliseconds) override;

  // A WM_TIMER for the main window: runs the tick when it is one of ours and
  // the timer still runs (one already queued when it was stopped is not).
  void onWmTimer(UINT_PTR id, const std::function<void()>& tick);
  bool running() const { return enabled_ && interval_ > 0; }

 private:
  void apply();
  void schedule();
  void stop() noexcept;

  HWND owner_;
  UINT_PTR id_;
  bool enabled_ = false;
  int interval_ = 0;
  bool armed_ = false;
  bool inTick_ = false;
  TickPacer pacer_;
};

}  // namespace tarnavel::win32
