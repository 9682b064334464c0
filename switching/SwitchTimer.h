// The switch timer's tick: counts down under the chosen schedule, shows the
// time left, and at the switch moment activates the current queue row's
// window, then moves on to the next row.
#pragma once

#include "form/Context.h"
#include "switching/Countdown.h"
#include "switching/EachDisplay.h"
#include "switching/Restarts.h"
#include "switching/ScheduleSettings.h"
#include "switching/Unattended.h"

namespace tarnavel {

inline constexpr std::string_view kStatusOn = "On. Next switch will occur in: ";
inline constexpr std::string_view kStatusOff = "Off.";
inline constexpr std::string_view kProgressBarText = "Progress Bar";

class SwitchTimer {
 public:
  SwitchTimer(Context& cx, ScheduleSettings& schedule) : cx_(cx), schedule_(schedule) {}

  // One tick of Timer1.
  void Timer1_Timer();

  // The show command of the chosen after-switch option; nothing when none
  // is chosen (then no switch happens).
  std::optional<ShowCommand> chosenShowCommand() const;
  // Brings this row's window forward now, as a switch does, and goes on
  // from there: the row after it is due next, and the count starts again.
  void switchNow(int row, Hwnd32 handle);
  // Every display brings its due row forward now, as a switch moment does;
  // the count starts again.
  void switchEveryDisplay();

  // The line labels of a schedule's statements, which differ by schedule.
  struct MomentLabels;    // weekly, daily
  struct CountLabels;     // interval, custom
  struct SequenceLabels;  // the switch itself

 private:
  void weeklyOrDaily(Guard& g, const MomentLabels& labels, const SequenceLabels& sequence,
                     bool weekly, const NumberFormat& format);
  void countdownToSwitch(Guard& g, const CountLabels& labels, const SequenceLabels& sequence,
                         const NumberFormat& format);
  void switchSequence(Guard& g, const SequenceLabels& labels, bool weekly,
                      const NumberFormat& format);
  void advance(Guard& g, int step, int wrapTest, int wrap);
  // The custom schedule while each display switches on its own.
  void customEachDisplay(Guard& g, const NumberFormat& format);
  // The row that came forward on the primary display is selected.
  void selectFront();
  // True when the chosen moment of some day lies after the previous tick and
  // not after this one, and no switch happened on that day yet.
  bool momentHasCome(bool weekly);
  bool monitoringOn() const;
  // Holding while the computer is in use: true when this tick holds.
  bool holds();
  // Whether interval box k (hours, minutes, seconds) must be repaired.
  bool needsRepair(std::size_t k, const NumberFormat& format) const;

  Context& cx_;
  ScheduleSettings& schedule_;
  // This tick switches each display on its own.
  bool eachDisplayNow_ = false;

 public:
  Countdown countdown;
  // Each display's own rotation, while that is chosen.
  EachDisplay eachDisplay{cx_, countdown};
  // The Options box's choices; without them the tick is as it always was.
  Unattended* unattended = nullptr;
  // Starting a gone window's program again; nothing when none is set.
  Restarts* restarts = nullptr;
};

}  // namespace tarnavel
