// The schedule and after-switch choices and their value controls: what each
// choice enables, what every change stores at once, and the check of the
// interval boxes.
#pragma once

#include "form/Context.h"
#include "form/Form1Layout.h"
#include "queue/TimeBeforeSwitch.h"
#include "switching/Countdown.h"

namespace tarnavel {

inline constexpr std::string_view kMustBeNumeric = "Must be a numeric entry.";

// Whole seconds from now to today's date at the picker's time of day;
// negative once that moment has passed. Tomorrow is never considered.
std::int32_t SecondsToSwitchTime(platform::IClock& clock, const platform::ITimePicker& picker);

// The text box of an interval field (its setting key is its name).
platform::ITextBox& textBox(Form1Controls& ui, Ctl box);
// The option button of an id, Option1 to Option8.
platform::IOptionButton& option(Form1Controls& ui, Ctl id);

class ScheduleSettings {
 public:
  ScheduleSettings(Context& cx, Countdown& countdown, TimeBeforeSwitch& times)
      : cx_(cx), countdown_(countdown), times_(times) {}

  // Chooses an option as a click would: the others of its group are cleared
  // and its handling runs.
  void choose(Ctl option);
  // Restoring an option from its setting: true chooses it (and runs its
  // handling), false only clears it.
  void restore(Ctl option, bool value);

  void Option1_Click();
  void Option2_Click();
  void Option3_Click();
  void Option7_Click();
  void afterSwitchClick();  // Option4, Option5, Option6, Option8

  void cboWeekly_Click();
  void dtpWeekly_Change();
  // A new text in an interval box, typed or set by the program: stored at once.
  void Text_Change(Ctl box);
  void setText(Ctl box, std::string_view text);
  void Text_GotFocus(Ctl box);
  void Text_LostFocus(Ctl box);

  // Today's daily or weekly moment counts from now.
  void rebase();

 private:
  void scheduleClick(bool toAMoment, bool onAWeekday);
  void saveSchedule();
  void saveAfterSwitch();

  Context& cx_;
  Countdown& countdown_;
  TimeBeforeSwitch& times_;
  // Set while a numeric check's box is up: a focus change posted before it
  // and delivered under it starts no second check.
  bool returningFocus_ = false;
};

}  // namespace tarnavel
