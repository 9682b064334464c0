// Turning monitoring on and off: the button "Turn On" / "Turn Off" (and the
// hotkey, which runs the same procedure). The button's caption is the state.
#pragma once

#include <functional>
#include <optional>
#include <string>
#include <string_view>

#include "form/Context.h"
#include "queue/TimeBeforeSwitch.h"
#include "switching/Countdown.h"
#include "switching/ScheduleSettings.h"

namespace tarnavel {

inline constexpr std::string_view kQueueEmpty =
    "Please add items to the 'Queue' list below before turning on.";
inline constexpr std::string_view kStartStopKey = "StartStopState";

class Monitoring {
 public:
  Monitoring(Context& cx, Countdown& countdown, TimeBeforeSwitch& times)
      : cx_(cx), countdown_(countdown), times_(times) {}

  void PushButton2_Click();
  bool on() const;

  // The line labels of the two sequences, which differ by caller: the
  // button, and start-up restoring the stored state.
  struct OnLabels {
    int saveCaption, check, minimise, caption, rebaseTest, rebase, index, enable, interval;
  };
  struct OffLabels {
    int disable, zero, status, bar, caption;
  };
  // Monitoring starts: the timer runs at one tick per second from the first
  // row. The caption to put back later is the button's own unless given.
  // Start-up passes no minimise label (0): it does not minimise.
  void start(Guard& g, const OnLabels& labels, std::optional<std::string_view> savedCaption);
  // The off look of the status line, bar and button, with the timer stopped.
  void showOff(Guard& g, const OffLabels& labels, std::string_view buttonCaption);

  // The button's caption taken just before turning on; turning off puts it
  // back.
  std::string SavedOnCaption;
  // Told once monitoring went on or off.
  std::function<void()> changed;

 private:
  void turnOn(Guard& g);
  void turnOff(Guard& g);

  Context& cx_;
  Countdown& countdown_;
  TimeBeforeSwitch& times_;
};

}  // namespace tarnavel
