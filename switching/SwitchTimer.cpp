#include "switching/SwitchTimer.h"

#include <algorithm>
#include <limits>

#include "core/Calendar.h"
#include "core/Main.h"
#include "core/Numbers.h"
#include "form/TimerPause.h"
#include "platform/Errors.h"
#include "queue/SwitchQueue.h"
#include "switching/Activation.h"

namespace tarnavel {
namespace {

std::int32_t checked(std::int64_t value) {
  if (value < std::numeric_limits<std::int32_t>::min() ||
      value > std::numeric_limits<std::int32_t>::max()) {
    throw AppError::overflow();
  }
  return static_cast<std::int32_t>(value);
}

// The interval boxes in the order they are repaired: each with the seconds
// one of its units counts and the text that repairs it.
struct IntervalBox {
  Ctl box;
  double seconds;
  const char* repair;
  double repaired;
  int test, replace;
};
constexpr IntervalBox kIntervalBoxes[] = {{Ctl::Text1, 3600, "0", 0, 246, 248},
                                          {Ctl::Text2, 60, "0", 0, 250, 252},
                                          {Ctl::Text3, 1, "5", 5, 254, 256}};

}  // namespace

// A box is repaired when its text does not read as a number, or when the
// interval does not fit a 32-bit count of seconds and this box is the first
// to make it so: counted with the boxes before it as they stand and the ones
// after it at their repaired values. Repairing that box always brings the
// interval into range, so a repair happens once, not at every tick. The test
// reads each box once, in time proportional to its text.
bool SwitchTimer::needsRepair(std::size_t k, const NumberFormat& format) const {
  const auto own = readNumber(textBox(cx_.ui, kIntervalBoxes[k].box).caption(), format);
  if (!own) return true;
  double values[std::size(kIntervalBoxes)];
  double total = 0;
  for (std::size_t i = 0; i < std::size(kIntervalBoxes); ++i) {
    const auto& b = kIntervalBoxes[i];
    const auto v = i == k ? own : readNumber(textBox(cx_.ui, b.box).caption(), format);
    values[i] = v ? *v : b.repaired;
    total += values[i] * b.seconds;
  }
  if (fitsLong(total)) return false;
  for (std::size_t first = 0; first < std::size(kIntervalBoxes); ++first) {
    double bound = 0;
    for (std::size_t i = 0; i < std::size(kIntervalBoxes); ++i) {
      const auto& b = kIntervalBoxes[i];
      bound += (i <= first ? values[i] : b.repaired) * b.seconds;
    }
    if (!fitsLong(bound)) return first == k;
  }
  return false;
}

// A held tick is no tick at all: the count stays where it stopped and the
// time of the last tick stays that of the last one before the hold, so a
// daily or weekly moment inside the hold is caught by the first tick after
// it. Only today's moment, though: a hold that lasted past midnight does
// not bring back the day before. A moment outside the switching hours is
// not caught at all: after such a hold, only this tick's second counts.
bool SwitchTimer::holds() {
  if (unattended == nullptr || !unattended->holdsTicks()) {
    if (unattended != nullptr) unattended->release();
    return false;
  }
  if (cx_.ui.ListView2.count() == 0) {
    unattended->queueEmptied();
    return false;
  }
  switch (unattended->tick()) {
    case Unattended::Hold::Run: return false;
    case Unattended::Hold::Hold: return true;
    case Unattended::Hold::Resumed: break;
  }
  auto& c = countdown;
  const LocalDateTime now = cx_.sys.clock.now();
  if (unattended->wasOutsideHours()) {
    c.thisTick = localSeconds(now) - 1;
    return false;
  }
  const std::int64_t startOfToday = dayOf(now) * 86400;
  if (c.thisTick && *c.thisTick < startOfToday) c.thisTick = startOfToday - 1;
  return false;
}

bool SwitchTimer::monitoringOn() const {
  return cx_.ui.PushButton2.caption() == kTurnOff;
}

// The line labels of each schedule's statements, as the error report quotes
// them.
struct SwitchTimer::MomentLabels {
  int max, elapsed, valueTest, passedValue, passedStatus, aheadValue, aheadStatus, yield,
      switchTest;
};
struct SwitchTimer::CountLabels {
  int max, valueTest, value, status, yield, switchTest, zero;
};
struct SwitchTimer::SequenceLabels {
  int disable, zero;
  int showTests[4], showCalls[4];  // Option4, Option5, Option6, Option8
  int advance, wrapTest, wrap, select, focusTest, focus, enable, interval;
};

namespace {

constexpr SwitchTimer::MomentLabels kWeeklyLabels{122, 124, 126, 128, 130, 132, 134, 136, 138};
constexpr SwitchTimer::MomentLabels kDailyLabels{184, 186, 188, 190, 192, 194, 196, 198, 200};
constexpr SwitchTimer::CountLabels kIntervalLabels{260, 262, 264, 266, 268, 270, 272};
constexpr SwitchTimer::CountLabels kCustomLabels{324, 326, 328, 330, 332, 334, 336};
constexpr SwitchTimer::SequenceLabels kWeeklySequence{
    140, 142, {144, 148, 152, 156}, {146, 150, 154, 158}, 160, 162, 164, 166, 168, 168, 178, 180};
constexpr SwitchTimer::SequenceLabels kDailySequence{
    202, 204, {206, 210, 214, 218}, {208, 212, 216, 220}, 222, 224, 226, 228, 230, 230, 240, 242};
constexpr SwitchTimer::SequenceLabels kIntervalSequence{
    274, 276, {278, 282, 286, 290}, {280, 284, 288, 292}, 294, 296, 298, 300, 302, 304, 314, 316};
constexpr SwitchTimer::SequenceLabels kCustomSequence{
    338, 340, {342, 346, 350, 354}, {344, 348, 352, 356}, 358, 360, 362, 364, 366, 368, 378, 380};

}  // namespace

void SwitchTimer::Timer1_Timer() {
  Guard g(cx_.report, "Form1.Timer1_Timer");
  auto& queue = cx_.ui.ListView2;
  auto& c = countdown;
  if (restarts != nullptr) restarts->tick();
  if (holds()) return;
  // Every tick counts for the daily and weekly moments, also one that finds
  // the queue empty: a moment that passed meanwhile is not caught later.
  c.noteTick(localSeconds(cx_.sys.clock.now()));
  if (g.test(102, [&] { return queue.count() == 0; })) return;
  // The user's rules for numbers, read once for the whole tick.
  const NumberFormat format = cx_.sys.locale.numberFormat();
  if (g.test(104, [&] { return c.QueueIndex < 1; })) g.step(106, [&] { c.QueueIndex = 1; });
  if (g.test(108, [&] { return c.QueueIndex > queue.count(); })) {
    g.step(110, [&] { c.QueueIndex = queue.count(); });
  }
  g.step(112, [&] { c.ElapsedSeconds = checked(std::int64_t{c.ElapsedSeconds} + 1); });
  // While the choice is on, the Display column and each display's turn
  // follow the windows at every tick.
  eachDisplayNow_ = false;
  if (unattended != nullptr && unattended->choices().switchEachDisplay) {
    g.step(390, [&] {
      eachDisplay.place(false);
      eachDisplayNow_ = eachDisplay.active();
    });
  }

  if (g.test(120, [&] { return cx_.ui.Option1.value(); })) {
    weeklyOrDaily(g, kWeeklyLabels, kWeeklySequence, true, format);
  } else if (g.test(182, [&] { return cx_.ui.Option2.value(); })) {
    weeklyOrDaily(g, kDailyLabels, kDailySequence, false, format);
  } else if (g.test(244, [&] { return cx_.ui.Option3.value(); })) {
    // Boxes that do not read as numbers are put right, and stored so; so is
    // the box that makes the interval too long for the count of seconds.
    for (std::size_t k = 0; k < std::size(kIntervalBoxes); ++k) {
      const auto& b = kIntervalBoxes[k];
      if (g.test(b.test, [&] { return needsRepair(k, format); })) {
        g.step(b.replace, [&] { schedule_.setText(b.box, b.repair); });
      }
    }
    g.step(258, [&] {
      auto seconds = [&](Ctl box) {
        const auto v = readNumber(textBox(cx_.ui, box).caption(), format);
        if (!v) throw AppError::typeMismatch();
        return *v;
      };
      c.SwitchSeconds =
          roundToLong(seconds(Ctl::Text1) * 3600 + seconds(Ctl::Text2) * 60 + seconds(Ctl::Text3));
    });
    countdownToSwitch(g, kIntervalLabels, kIntervalSequence, format);
  } else if (g.test(318, [&] { return cx_.ui.Option7.value(); })) {
    if (eachDisplayNow_) return customEachDisplay(g, format);
    // The row's own time before switch is the wait before it is activated.
    std::optional<double> time;
    // A time too long for the count of seconds is passed over like no time.
    const bool numeric = g.test(320, [&] {
      time = readNumber(queue.text(c.QueueIndex, kTime), format);
      return time.has_value() && fitsLong(*time);
    });
    if (numeric) {
      g.step(322, [&] {
        if (!time) throw AppError::typeMismatch();
        c.SwitchSeconds = roundToLong(*time);
      });
      countdownToSwitch(g, kCustomLabels, kCustomSequence, format);
    } else {
      // A row without a time is passed over without a switch.
      advance(g, 382, 384, 386);
      g.step(388, [&] { queue.select(c.QueueIndex); });
    }
  }
}

void SwitchTimer::weeklyOrDaily(Guard& g, const MomentLabels& l, const SequenceLabels& sequence,
                                bool weekly, const NumberFormat& format) {
  auto& c = countdown;
  auto& bar = cx_.ui.ProgressBar1;
  g.step(l.max, [&] { bar.setMax(c.SwitchSeconds); });
  std::int32_t s = 0;
  g.step(l.elapsed, [&] {
    s = SecondsToSwitchTime(cx_.sys.clock, cx_.ui.dtpWeekly);
    c.ElapsedSeconds = checked(std::int64_t{c.SwitchSeconds} - s);
  });
  if (g.test(l.valueTest, [&] { return c.ElapsedSeconds > c.SwitchSeconds; })) {
    // Today's moment has passed.
    g.step(l.passedValue, [&] { bar.setValue(0); });
    g.step(l.passedStatus, [&] { cx_.ui.Frame4.setCaption(kStatusOn); });
  } else {
    g.step(l.aheadValue, [&] { bar.setValue(c.ElapsedSeconds); });
    g.step(l.aheadStatus, [&] {
      std::string status = std::string(kStatusOn) + FormatSeconds(s);
      if (weekly) status += " [" + cx_.ui.cboWeekly.caption() + "]";
      cx_.ui.Frame4.setCaption(status);
    });
  }
  g.step(l.yield, [&] { cx_.sys.loop.doEvents(); });
  // Turned off while the messages ran: nothing more, and no re-arming.
  if (!monitoringOn()) return;
  if (g.test(l.switchTest, [&] { return momentHasCome(weekly); })) {
    switchSequence(g, sequence, weekly, format);
  }
}

void SwitchTimer::countdownToSwitch(Guard& g, const CountLabels& l, const SequenceLabels& sequence,
                                    const NumberFormat& format) {
  auto& c = countdown;
  auto& bar = cx_.ui.ProgressBar1;
  g.step(l.max, [&] { bar.setMax(c.SwitchSeconds); });
  if (g.test(l.valueTest, [&] { return c.ElapsedSeconds <= c.SwitchSeconds; })) {
    g.step(l.value, [&] { bar.setValue(c.ElapsedSeconds); });
  }
  g.step(l.status, [&] {
    const auto left = checked(std::int64_t{c.SwitchSeconds} - c.ElapsedSeconds);
    cx_.ui.Frame4.setCaption(std::string(kStatusOn) + FormatSeconds(left));
  });
  g.step(l.yield, [&] { cx_.sys.loop.doEvents(); });
  if (!monitoringOn()) return;
  if (g.test(l.switchTest, [&] { return c.ElapsedSeconds < c.SwitchSeconds; })) return;
  g.step(l.zero, [&] { c.ElapsedSeconds = 0; });
  switchSequence(g, sequence, false, format);
}

void SwitchTimer::advance(Guard& g, int step, int wrapTest, int wrap) {
  auto& c = countdown;
  g.step(step, [&] { ++c.QueueIndex; });
  if (g.test(wrapTest, [&] { return c.QueueIndex > cx_.ui.ListView2.count(); })) {
    g.step(wrap, [&] { c.QueueIndex = 1; });
  }
}

void SwitchTimer::switchSequence(Guard& g, const SequenceLabels& l, bool weekly,
                                 const NumberFormat& format) {
  auto& c = countdown;
  auto& queue = cx_.ui.ListView2;
  g.step(l.disable, [&] { cx_.ui.Timer1.setEnabled(false); });
  g.step(l.zero, [&] { cx_.ui.Timer1.setInterval(0); });

  // The chosen after-switch option decides the show command; with none
  // chosen there is no activation. The weekly schedule restores where the
  // others show normal.
  const auto& ui = cx_.ui;
  const struct {
    const platform::IOptionButton& option;
    ShowCommand command;
  } choices[] = {{ui.Option4, weekly ? ShowCommand::Restore : ShowCommand::Normal},
                 {ui.Option5, ShowCommand::Maximized},
                 {ui.Option6, ShowCommand::Minimize},
                 {ui.Option8, ShowCommand::Show}};
  // With the Options box's choices, a turn whose window is gone goes to the
  // window found again, or on to the next row with one; with no row left,
  // the turn does nothing.
  bool noWindow = false;
  for (std::size_t k = 0; k < std::size(choices); ++k) {
    if (g.test(l.showTests[k], [&] { return choices[k].option.value(); })) {
      g.step(l.showCalls[k], [&] {
        if (eachDisplayNow_) return eachDisplay.switchAll(choices[k].command);
        // A row whose window is gone starts its program again; the turn
        // itself goes on as it would without.
        if (restarts != nullptr) restarts->atTurn(c.QueueIndex);
        if (unattended != nullptr && unattended->decidesTurns()) {
          const int row = unattended->turnFor(c.QueueIndex);
          if (row == 0) {
            noWindow = true;
            return;
          }
          c.QueueIndex = row;
        }
        const Hwnd32 handle = textToLong(queue.text(c.QueueIndex, kHandleText), format);
        const bool taken = SwitchTo(cx_.report, cx_.sys.windows, handle, choices[k].command);
        c.FrontRow = c.QueueIndex;
        if (unattended != nullptr) unattended->switched(c.QueueIndex, taken);
      });
      break;
    }
  }
  if (noWindow) {
    g.step(l.enable, [&] { cx_.ui.Timer1.setEnabled(true); });
    g.step(l.interval, [&] { cx_.ui.Timer1.setInterval(kTickMilliseconds); });
    return;
  }

  if (eachDisplayNow_) {
    g.step(l.select, [&] { selectFront(); });
  } else {
    advance(g, l.advance, l.wrapTest, l.wrap);
    // The selected row is always the one the next switch activates.
    g.step(l.select, [&] { queue.select(c.QueueIndex); });
  }
  if (g.test(l.focusTest, [&] { return queue.visible() && queue.enabled(); })) {
    g.step(l.focus, [&] { queue.setFocus(); });
  }
  g.step(l.enable, [&] { cx_.ui.Timer1.setEnabled(true); });
  g.step(l.interval, [&] { cx_.ui.Timer1.setInterval(kTickMilliseconds); });
}

void SwitchTimer::selectFront() {
  const int row = countdown.FrontRow;
  if (row >= 1 && row <= cx_.ui.ListView2.count()) cx_.ui.ListView2.select(row);
}

// Each display counts its own due row's time; the status line and the bar
// show the display whose switch comes soonest. A row without a time is passed
// over without a switch.
void SwitchTimer::customEachDisplay(Guard& g, const NumberFormat& format) {
  auto& c = countdown;
  auto& queue = cx_.ui.ListView2;
  std::vector<int> due;
  std::optional<std::int32_t> soonest;
  g.step(392, [&] {
    for (auto& turn : c.displays) {
      if (turn.due == 0) continue;
      const auto time = readNumber(queue.text(turn.due, kTime), format);
      if (!time || !fitsLong(*time)) {
        turn.from = turn.due % queue.count() + 1;
        turn.elapsed = 0;
        continue;
      }
      const std::int32_t seconds = roundToLong(*time);
      turn.elapsed = checked(std::int64_t{turn.elapsed} + 1);
      const std::int32_t left = checked(std::int64_t{seconds} - turn.elapsed);
      if (left <= 0) due.push_back(turn.display.number);
      if (!soonest || left < *soonest) {
        soonest = left;
        c.SwitchSeconds = seconds;
        c.ElapsedSeconds = turn.elapsed;
      }
    }
  });
  if (soonest) {
    auto& bar = cx_.ui.ProgressBar1;
    g.step(394, [&] { bar.setMax(c.SwitchSeconds); });
    g.step(396, [&] { bar.setValue(std::min(c.ElapsedSeconds, c.SwitchSeconds)); });
    g.step(398, [&] {
      cx_.ui.Frame4.setCaption(std::string(kStatusOn) + FormatSeconds(std::max(0, *soonest)));
    });
  }
  g.step(400, [&] { cx_.sys.loop.doEvents(); });
  if (!monitoringOn() || due.empty()) return;
  const auto command = chosenShowCommand();
  if (!command) return;
  g.step(402, [&] { cx_.ui.Timer1.setEnabled(false); });
  g.step(404, [&] { eachDisplay.switchDue(*command, due); });
  g.step(406, [&] { selectFront(); });
  g.step(408, [&] { cx_.ui.Timer1.setEnabled(true); });
  g.step(410, [&] { cx_.ui.Timer1.setInterval(kTickMilliseconds); });
}

bool SwitchTimer::momentHasCome(bool weekly) {
  auto& c = countdown;
  const LocalDateTime now = cx_.sys.clock.now();
  const std::int64_t thisTick = localSeconds(now);
  // Without a previous tick, only this very second counts.
  const std::int64_t previous = c.previousTick.value_or(thisTick - 1);
  if (previous >= thisTick) return false;  // the clock went back, or stood still

  const std::int64_t timeOfDay = cx_.ui.dtpWeekly.value().seconds();
  const std::int64_t today = dayOf(now);
  // The chosen moment of each day from the previous tick's day on (a week at
  // most) that lies in (previous, thisTick].
  const std::int64_t firstDay = std::max(previous / 86400 - (previous < 0 ? 1 : 0), today - 7);
  for (std::int64_t day = firstDay; day <= today; ++day) {
    const std::int64_t moment = day * 86400 + timeOfDay;
    if (moment <= previous || moment > thisTick) continue;
    if (c.lastSwitchDay == day) continue;  // never twice for the same day
    if (weekly && cx_.ui.cboWeekly.caption() != weekdayName(civilFromDays(day).weekday)) continue;
    c.lastSwitchDay = day;
    return true;
  }
  return false;
}

}  // namespace tarnavel

namespace tarnavel {

std::optional<ShowCommand> SwitchTimer::chosenShowCommand() const {
  const auto& ui = cx_.ui;
  if (ui.Option4.value()) return ui.Option1.value() ? ShowCommand::Restore : ShowCommand::Normal;
  if (ui.Option5.value()) return ShowCommand::Maximized;
  if (ui.Option6.value()) return ShowCommand::Minimize;
  if (ui.Option8.value()) return ShowCommand::Show;
  return std::nullopt;
}

void SwitchTimer::switchNow(int row, Hwnd32 handle) {
  auto& c = countdown;
  const auto command = chosenShowCommand();
  if (!command) return;
  // Only the row's own display switches, and only its count starts again.
  if (eachDisplay.active()) {
    eachDisplay.switchRow(row, *command);
    return selectFront();
  }
  const bool taken = SwitchTo(cx_.report, cx_.sys.windows, handle, *command);
  c.FrontRow = row;
  if (unattended != nullptr) unattended->switched(row, taken);
  c.QueueIndex = row + 1 > cx_.ui.ListView2.count() ? 1 : row + 1;
  // The count starts again from this switch; a daily or weekly moment
  // stays where it is.
  if (!cx_.ui.Option1.value() && !cx_.ui.Option2.value()) c.ElapsedSeconds = 0;
  cx_.ui.ListView2.select(c.QueueIndex);
}

void SwitchTimer::switchEveryDisplay() {
  const auto command = chosenShowCommand();
  if (!command) return;
  eachDisplay.switchAll(*command);
  if (!cx_.ui.Option1.value() && !cx_.ui.Option2.value()) countdown.ElapsedSeconds = 0;
  selectFront();
}

}  // namespace tarnavel
