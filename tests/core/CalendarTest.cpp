#include <gtest/gtest.h>

#include "core/Calendar.h"
#include "core/TickPacer.h"

namespace tarnavel {
namespace {

TEST(Calendar, DayCountsRoundTripWithTheRightWeekday) {
  EXPECT_EQ(daysFromCivil(1970, 1, 1), 0);
  EXPECT_EQ(civilFromDays(0).weekday, 4);  // a Thursday
  const LocalDateTime monday = civilFromDays(daysFromCivil(2026, 12, 7));
  EXPECT_EQ(monday.weekday, 1);
  EXPECT_EQ(weekdayName(monday.weekday), "Monday");
  for (std::int64_t d = daysFromCivil(2023, 12, 25); d < daysFromCivil(2028, 3, 5); d += 13) {
    const auto t = civilFromDays(d);
    EXPECT_EQ(daysFromCivil(t.year, t.month, t.day), d);
  }
  EXPECT_EQ(civilFromDays(daysFromCivil(2028, 2, 28) + 1).day, 29);  // a leap year
}

TEST(TimeText, FollowsTheLocaleFormatAndAlwaysCarriesSeconds) {
  const TimeOfDay t{21, 5, 3};
  EXPECT_EQ(formatTimeOfDay(t, {"h:mm:ss tt", "AM", "PM"}), "9:05:03 PM");
  EXPECT_EQ(formatTimeOfDay({0, 0, 0}, {"h:mm:ss tt", "AM", "PM"}), "12:00:00 AM");
  EXPECT_EQ(formatTimeOfDay(t, {"HH:mm:ss", "", ""}), "21:05:03");
  EXPECT_EQ(formatTimeOfDay({7, 5, 3}, {"H:mm:ss", "", ""}), "7:05:03");
  EXPECT_EQ(formatTimeOfDay(t, {"tt h:mm:ss", "오전", "오후"}), "오후 9:05:03");
  EXPECT_EQ(formatTimeOfDay(t, {"H.mm", "", ""}), "21.05:03");  // no seconds in the format
  EXPECT_EQ(formatTimeOfDay(t, {"HH'h'mm", "", ""}), "21h05:03");
}

TEST(TimeText, ReadsBackEveryFormItWritesAndAcrossFormats) {
  const TimeFormat formats[] = {
      {"h:mm:ss tt", "AM", "PM"},
      {"HH:mm:ss", "", ""},
      {"tt h:mm:ss", "오전", "오후"},
      {"H.mm.ss", "", ""},
      {"H.mm", "", ""},
      {"hh:mm:ss tt", "a.m.", "p.m."},
      // 12-hour patterns that would lose the day half: no marker, or empty ones.
      {"h:mm:ss", "AM", "PM"},
      {"tt h:mm:ss", "", ""}};
  for (const auto& format : formats) {
    for (int s = 0; s < 86400; s += 3607) {
      const TimeOfDay t{s / 3600, s / 60 % 60, s % 60};
      const std::string text = formatTimeOfDay(t, format);
      EXPECT_EQ(parseTimeOfDay(text, format), t) << text;
      // Written under the 12-hour clock and read under the 24-hour one of
      // the same language, or the other way round.
      EXPECT_EQ(parseTimeOfDay(text, TimeFormat{"HH:mm:ss", format.am, format.pm}), t) << text;
    }
  }
  EXPECT_EQ(parseTimeOfDay("12:30:00 AM", {}), (TimeOfDay{0, 30, 0}));
  EXPECT_EQ(parseTimeOfDay("12:30:00 pm", {}), (TimeOfDay{12, 30, 0}));
  EXPECT_EQ(parseTimeOfDay("7:45", {}), (TimeOfDay{7, 45, 0}));
  for (const char* bad : {"", "noon", "25:00:00", "13:00:00 PM", "10:61:00", "1:2:3:4", "12345"}) {
    EXPECT_FALSE(parseTimeOfDay(bad, {}).has_value()) << bad;
  }
}

TEST(TickPacer, LateTicksDoNotAddUp) {
  TickPacer pacer;
  std::int64_t now = 10'000;
  pacer.arm(now, 1000, false);
  // Every tick runs 15 ms late, as a coarse system timer makes it.
  for (int n = 1; n <= 3600; ++n) {
    now += pacer.delay(now) + 15;
    pacer.ticked(now);
  }
  EXPECT_EQ(now, 10'000 + 3600 * 1000 + 15);
  EXPECT_EQ(pacer.delay(now), 985);
}

TEST(TickPacer, ReArmingInsideATickKeepsTheScheduleElseStartsAFullIntervalLater) {
  TickPacer pacer;
  pacer.arm(0, 1000, false);
  pacer.ticked(1020);           // the first tick ran 20 ms late
  pacer.arm(1030, 1000, true);  // the switch re-arms the timer within the tick
  EXPECT_EQ(pacer.due(), 2000);
  pacer.arm(1500, 1000, false);  // turned on again from a click
  EXPECT_EQ(pacer.due(), 2500);
}

TEST(TickPacer, AfterAStallTicksStayApartAndCatchUpWithoutABurst) {
  TickPacer pacer;
  pacer.arm(0, 1000, false);
  std::int64_t now = 3200;  // a box shown inside a tick held two ticks back
  pacer.ticked(now);
  std::int64_t behind = now - pacer.due();
  for (int n = 0; n < 40 && now > pacer.due() - 1000; ++n) {
    const std::int64_t gap = pacer.delay(now);
    EXPECT_GE(gap, 900) << "tick " << n;
    now += gap;
    pacer.ticked(now);
    EXPECT_LT(now - pacer.due(), behind) << "tick " << n;  // catching up
    behind = now - pacer.due();
  }
  EXPECT_EQ(pacer.delay(now), pacer.due() - now);  // back on the schedule
  EXPECT_LE(pacer.due() - now, 1000);

  pacer.ticked(3'600'000);  // the machine slept for an hour
  EXPECT_EQ(pacer.delay(3'600'000), 1000);
}

}  // namespace
}  // namespace tarnavel
