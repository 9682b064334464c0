// A plain periodic timer over SetTimer on the main window, for the program's
// own chores (retrying the tray icon, checking the keyboard hook). It runs
// exactly while it is enabled with a positive interval; unlike the switch
// timer it keeps no schedule: each tick comes an interval after the last.
#pragma once

#include <windows.h>

#include <functional>

#include "platform/Ui.h"

namespace tarnavel::win32 {

class RepeatTimer final : public platform::ITimer {
 public:
  RepeatTimer(HWND owner, UINT_PTR id) noexcept : owner_(owner), id_(id) {}
  RepeatTimer(const RepeatTimer&) = delete;
  RepeatTimer& operator=(const RepeatTimer&) = delete;
  ~RepeatTimer() override { stop(); }

  bool enabled() const override { return enabled_; }
  // Throws AppError when the system has no timer to give.
  void setEnabled(bool on) override;
  int interval() const override { return interval_; }
  void setInterval(int milliseconds) override;

  // A WM_TIMER for the main window: runs the tick when it is this timer's and
  // the timer still runs (one already queued when it was stopped is not).
  void onWmTimer(UINT_PTR id, const std::function<void()>& tick);

 private:
  void apply();
  void stop() noexcept;

  HWND owner_;
  UINT_PTR id_;
  bool enabled_ = false;
  int interval_ = 0;
  bool armed_ = false;
};

}  // namespace tarnavel::win32
