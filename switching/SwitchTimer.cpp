#include "switching/SwitchTimer.h"

#include <algorithm>
#include <limits>

#include "core/Clock.h"
#include "core/Main.h"
#include "core/Numbers.h"
#include "core/TimerPause.h"
#include "platform/Errors.h"
#include "switching/Activation.h"
#include "windows/SwitchQueue.h"

namespace tarnavel {
namespace {

std::int32_t checked(std::int64_t value) {
  if (value < std::numeric_limits<std::int32_t>::min() ||
      value > std::numeric_limits<std::int32_t>::max()) {
    throw AppError::overflow();
  }
  return static_cast<std::int32_t>(value);
}

}  // namespace

std::optional<ShowCommand> afterSwitchCommand(const Form1Controls& ui, bool weekly) {
  if (ui.Option4.value()) return weekly ? ShowCommand::Restore : ShowCommand::Normal;
  if (ui.Option5.value()) return ShowCommand::Maximized;
  if (ui.Option6.value()) return ShowCommand::Minimize;
  if (ui.Option8.value()) return ShowCommand::Show;
  return std::nullopt;
}

bool SwitchTimer::monitoringOn() const {
  return cx_.ui.PushButton2.caption() == kTurnOff;
}

void SwitchTimer::Timer1_Timer() {
  Guard g(cx_.report, "Form1.Timer1_Timer");
  auto& queue = cx_.ui.ListView2;
  auto& c = countdown;
  if (g.test(102, [&] { return queue.count() == 0; })) return;
  // The user's rules for numbers, read once for the whole tick.
  const NumberFormat format = cx_.sys.locale.numberFormat();
  if (g.test(104, [&] { return c.QueueIndex < 1; })) g.step(106, [&] { c.QueueIndex = 1; });
  if (g.test(108, [&] { return c.QueueIndex > queue.count(); })) {
    g.step(110, [&] { c.QueueIndex = queue.count(); });
  }
  g.step(112, [&] { c.ElapsedSeconds = checked(std::int64_t{c.ElapsedSeconds} + 1); });

  if (g.test(120, [&] { return cx_.ui.Option1.value(); })) {
    weeklyOrDaily(g, true, format);
  } else if (g.test(182, [&] { return cx_.ui.Option2.value(); })) {
    weeklyOrDaily(g, false, format);
  } else if (g.test(244, [&] { return cx_.ui.Option3.value(); })) {
    // Boxes that do not read as numbers are put right, and stored so.
    const struct {
      Ctl box;
      const char* repair;
      int label;
    } boxes[] = {{Ctl::Text1, "0", 246}, {Ctl::Text2, "0", 250}, {Ctl::Text3, "5", 254}};
    for (const auto& b : boxes) {
      if (g.test(b.label,
                 [&] { return !readsAsNumber(textBox(cx_.ui, b.box).caption(), format); })) {
        g.step(b.label + 2, [&] { schedule_.setText(b.box, b.repair); });
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
    intervalCountdown(g, 260, format);
  } else if (g.test(318, [&] { return cx_.ui.Option7.value(); })) {
    // The row's own time before switch is the wait before it is activated.
    std::optional<double> time;
    const bool numeric = g.test(320, [&] {
      time = readNumber(queue.text(c.QueueIndex, kTime), format);
      return time.has_value();
    });
    if (numeric) {
      g.step(322, [&] {
        if (!time) throw AppError::typeMismatch();
        c.SwitchSeconds = roundToLong(*time);
      });
      intervalCountdown(g, 324, format);
    } else {
      // A row without a time is passed over without a switch.
      advance(g, 382);
      g.step(388, [&] { queue.select(c.QueueIndex); });
    }
  }
}

void SwitchTimer::weeklyOrDaily(Guard& g, bool weekly, const NumberFormat& format) {
  auto& c = countdown;
  auto& bar = cx_.ui.ProgressBar1;
  const int base = weekly ? 122 : 184;
  g.step(base, [&] { bar.setMax(c.SwitchSeconds); });
  std::int32_t s = 0;
  g.step(base + 2, [&] {
    s = SecondsToSwitchTime(cx_.sys.clock, cx_.ui.dtpWeekly);
    c.ElapsedSeconds = checked(std::int64_t{c.SwitchSeconds} - s);
  });
  if (g.test(base + 4, [&] { return c.ElapsedSeconds > c.SwitchSeconds; })) {
    // Today's moment has passed.
    g.step(base + 6, [&] { bar.setValue(0); });
    g.step(base + 8, [&] { cx_.ui.Frame4.setCaption(kStatusOn); });
  } else {
    g.step(base + 10, [&] { bar.setValue(c.ElapsedSeconds); });
    g.step(base + 12, [&] {
      std::string status = std::string(kStatusOn) + FormatSeconds(s);
      if (weekly) status += " [" + cx_.ui.cboWeekly.caption() + "]";
      cx_.ui.Frame4.setCaption(status);
    });
  }
  g.step(base + 14, [&] { cx_.sys.loop.doEvents(); });
  // Turned off while the messages ran: nothing more, and no re-arming.
  if (!monitoringOn()) return;
  if (!g.test(base + 16, [&] { return momentHasCome(weekly); })) return;
  const SequenceLabels weeklyLabels{140, 144, 160, 166, 168, 168, 178};
  const SequenceLabels dailyLabels{202, 206, 222, 228, 230, 230, 240};
  switchSequence(g, weekly ? weeklyLabels : dailyLabels, weekly, format);
}

void SwitchTimer::intervalCountdown(Guard& g, int b, const NumberFormat& format) {
  auto& c = countdown;
  auto& bar = cx_.ui.ProgressBar1;
  g.step(b, [&] { bar.setMax(c.SwitchSeconds); });
  if (g.test(b + 2, [&] { return c.ElapsedSeconds <= c.SwitchSeconds; })) {
    g.step(b + 4, [&] { bar.setValue(c.ElapsedSeconds); });
  }
  g.step(b + 6, [&] {
    const auto left = checked(std::int64_t{c.SwitchSeconds} - c.ElapsedSeconds);
    cx_.ui.Frame4.setCaption(std::string(kStatusOn) + FormatSeconds(left));
  });
  g.step(b + 8, [&] { cx_.sys.loop.doEvents(); });
  if (!monitoringOn()) return;
  if (g.test(b + 10, [&] { return c.ElapsedSeconds < c.SwitchSeconds; })) return;
  g.step(b + 12, [&] { c.ElapsedSeconds = 0; });
  switchSequence(g, {b + 14, b + 18, b + 34, b + 40, b + 42, b + 44, b + 54}, false, format);
}

void SwitchTimer::advance(Guard& g, int label) {
  auto& c = countdown;
  g.step(label, [&] { ++c.QueueIndex; });
  if (g.test(label + 2, [&] { return c.QueueIndex > cx_.ui.ListView2.count(); })) {
    g.step(label + 4, [&] { c.QueueIndex = 1; });
  }
}

void SwitchTimer::switchSequence(Guard& g, const SequenceLabels& l, bool weekly,
                                 const NumberFormat& format) {
  auto& c = countdown;
  auto& queue = cx_.ui.ListView2;
  g.step(l.disable, [&] { cx_.ui.Timer1.setEnabled(false); });
  g.step(l.disable + 2, [&] { cx_.ui.Timer1.setInterval(0); });

  auto activate = [&](ShowCommand command) {
    const Hwnd32 handle = textToLong(queue.text(c.QueueIndex, kHandleText), format);
    SwitchTo(cx_.report, cx_.sys.windows, handle, command);
  };
  const auto& ui = cx_.ui;
  const int t = l.firstTest;
  if (g.test(t, [&] { return ui.Option4.value(); })) {
    g.step(t + 2, [&] { activate(weekly ? ShowCommand::Restore : ShowCommand::Normal); });
  } else if (g.test(t + 4, [&] { return ui.Option5.value(); })) {
    g.step(t + 6, [&] { activate(ShowCommand::Maximized); });
  } else if (g.test(t + 8, [&] { return ui.Option6.value(); })) {
    g.step(t + 10, [&] { activate(ShowCommand::Minimize); });
  } else if (g.test(t + 12, [&] { return ui.Option8.value(); })) {
    g.step(t + 14, [&] { activate(ShowCommand::Show); });
  }

  advance(g, l.advance);
  // The selected row is always the one the next switch activates.
  g.step(l.select, [&] { queue.select(c.QueueIndex); });
  if (g.test(l.focusTest, [&] { return queue.visible() && queue.enabled(); })) {
    g.step(l.focus, [&] { queue.setFocus(); });
  }
  g.step(l.enable, [&] { cx_.ui.Timer1.setEnabled(true); });
  g.step(l.enable + 2, [&] { cx_.ui.Timer1.setInterval(kTickMilliseconds); });
}

bool SwitchTimer::momentHasCome(bool weekly) {
  auto& c = countdown;
  const LocalDateTime now = cx_.sys.clock.now();
  const std::int64_t thisTick = localSeconds(now);
  // Without a previous tick, only this very second counts.
  const std::int64_t previous = c.previousTick.value_or(thisTick - 1);
  c.previousTick = thisTick;
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
