#include "switching/ScheduleSettings.h"

#include <array>
#include <stdexcept>

#include "core/Calendar.h"
#include "core/Numbers.h"

namespace tarnavel {
namespace {

constexpr std::array<Ctl, 4> kScheduleGroup = {Ctl::Option1, Ctl::Option2, Ctl::Option3,
                                               Ctl::Option7};
constexpr std::array<Ctl, 4> kAfterSwitchGroup = {Ctl::Option4, Ctl::Option5, Ctl::Option6,
                                                  Ctl::Option8};

bool inSchedule(Ctl id) {
  for (const Ctl c : kScheduleGroup) {
    if (c == id) return true;
  }
  return false;
}

}  // namespace

std::int32_t SecondsToSwitchTime(platform::IClock& clock, const platform::ITimePicker& picker) {
  return picker.value().seconds() - clock.now().time.seconds();
}

platform::IOptionButton& option(Form1Controls& ui, Ctl id) {
  switch (id) {
    case Ctl::Option1: return ui.Option1;
    case Ctl::Option2: return ui.Option2;
    case Ctl::Option3: return ui.Option3;
    case Ctl::Option4: return ui.Option4;
    case Ctl::Option5: return ui.Option5;
    case Ctl::Option6: return ui.Option6;
    case Ctl::Option7: return ui.Option7;
    case Ctl::Option8: return ui.Option8;
    default: throw std::invalid_argument("not an option button");
  }
}

platform::ITextBox& textBox(Form1Controls& ui, Ctl box) {
  switch (box) {
    case Ctl::Text1: return ui.Text1;
    case Ctl::Text2: return ui.Text2;
    case Ctl::Text3: return ui.Text3;
    default: throw std::invalid_argument("not an interval box");
  }
}

void ScheduleSettings::choose(Ctl id) {
  const auto& group = inSchedule(id) ? kScheduleGroup : kAfterSwitchGroup;
  for (const Ctl other : group) {
    if (other != id) option(cx_.ui, other).setValue(false);
  }
  option(cx_.ui, id).setValue(true);
  switch (id) {
    case Ctl::Option1: Option1_Click(); break;
    case Ctl::Option2: Option2_Click(); break;
    case Ctl::Option3: Option3_Click(); break;
    case Ctl::Option7: Option7_Click(); break;
    default: afterSwitchClick(); break;
  }
}

void ScheduleSettings::restore(Ctl id, bool value) {
  if (value) {
    choose(id);
  } else {
    option(cx_.ui, id).setValue(false);
  }
}

void ScheduleSettings::saveSchedule() {
  for (const Ctl id : kScheduleGroup) {
    cx_.settings.write(layoutOf(id).name, Settings::booleanText(option(cx_.ui, id).value()));
  }
}

void ScheduleSettings::saveAfterSwitch() {
  for (const Ctl id : kAfterSwitchGroup) {
    cx_.settings.write(layoutOf(id).name, Settings::booleanText(option(cx_.ui, id).value()));
  }
}

void ScheduleSettings::rebase() {
  // The picker always carries a time of day here, so there is always a
  // moment to count to.
  countdown_.rebase(SecondsToSwitchTime(cx_.sys.clock, cx_.ui.dtpWeekly));
}

// The weekly and daily schedules count to a moment of the day and start
// from a re-base; the interval and custom ones count seconds from zero.
void ScheduleSettings::scheduleClick(bool toAMoment, bool onAWeekday) {
  if (toAMoment) {
    rebase();
  } else {
    countdown_.ElapsedSeconds = 0;
  }
  cx_.ui.dtpWeekly.setEnabled(toAMoment);
  cx_.ui.cboWeekly.setEnabled(onAWeekday);
  saveSchedule();
  times_.ShowListColumn();
}

void ScheduleSettings::Option1_Click() {
  scheduleClick(true, true);
}
void ScheduleSettings::Option2_Click() {
  scheduleClick(true, false);
}
void ScheduleSettings::Option3_Click() {
  scheduleClick(false, false);
}
void ScheduleSettings::Option7_Click() {
  scheduleClick(false, false);
}

void ScheduleSettings::afterSwitchClick() {
  saveAfterSwitch();
}

void ScheduleSettings::cboWeekly_Click() {
  cx_.settings.write("Weekly", cx_.ui.cboWeekly.caption());
}

void ScheduleSettings::dtpWeekly_Change() {
  cx_.settings.write("Weekly Time",
                     formatTimeOfDay(cx_.ui.dtpWeekly.value(), cx_.sys.locale.timeFormat()));
  if (cx_.ui.Option2.value()) {
    rebase();
  } else {
    countdown_.forgetMoments();
  }
}

void ScheduleSettings::Text_Change(Ctl box) {
  cx_.settings.write(layoutOf(box).name, textBox(cx_.ui, box).caption());
}

void ScheduleSettings::setText(Ctl box, std::string_view text) {
  textBox(cx_.ui, box).setCaption(text);
  Text_Change(box);
}

void ScheduleSettings::Text_GotFocus(Ctl box) {
  textBox(cx_.ui, box).selectAll();
}

void ScheduleSettings::Text_LostFocus(Ctl box) {
  if (returningFocus_) return;
  auto& text = textBox(cx_.ui, box);
  if (readsAsNumber(text.caption(), cx_.sys.locale.numberFormat())) return;
  returningFocus_ = true;
  try {
    cx_.sys.dialogs.messageBox(kMustBeNumeric, kMbOk, cx_.appTitle);
    // A focus given from code raises no focus events, so the box that had
    // it meanwhile is not checked in turn (two bad boxes would hand the
    // focus back and forth for ever), and the text is selected here.
    text.setFocus();
    text.selectAll();
  } catch (...) {
    returningFocus_ = false;
    throw;
  }
  returningFocus_ = false;
}

}  // namespace tarnavel
