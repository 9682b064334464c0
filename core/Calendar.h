// Calendar arithmetic on the local clock's readings, and the time of day as
// the user's locale writes it.
#pragma once

#include <array>
#include <cstdint>
#include <optional>
#include <string>
#include <string_view>

#include "platform/Types.h"

namespace tarnavel {

// Days since 1970-01-01 of a calendar date (proleptic Gregorian).
std::int64_t daysFromCivil(int year, int month, int day);
// The calendar date and weekday of a day count.
LocalDateTime civilFromDays(std::int64_t days);
// A reading as seconds since 1970-01-01 00:00:00 local time.
std::int64_t localSeconds(const LocalDateTime& t);
inline std::int64_t dayOf(const LocalDateTime& t) {
  return daysFromCivil(t.year, t.month, t.day);
}

inline constexpr std::array<std::string_view, 7> kWeekdayNames = {
    "Sunday", "Monday", "Tuesday", "Wednesday", "Thursday", "Friday", "Saturday"};

// "Sunday" .. "Saturday".
std::string_view weekdayName(int weekday);

// The time of day in the locale's time format. Seconds are always written,
// even where the format leaves them out, so the text reads back to the same
// second.
std::string formatTimeOfDay(TimeOfDay time, const TimeFormat& format);
// Reads a time of day written in any 12- or 24-hour form: hours, minutes and
// optional seconds separated by non-digits, with an optional day-half marker
// (the locale's or AM/PM). Nothing when it is not a time of day.
std::optional<TimeOfDay> parseTimeOfDay(std::string_view text, const TimeFormat& format);

}  // namespace tarnavel
