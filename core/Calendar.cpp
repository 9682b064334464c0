#include "core/Calendar.h"

#include <array>

#include "core/Chars.h"

namespace tarnavel {

std::int64_t daysFromCivil(int year, int month, int day) {
  // Howard Hinnant's days_from_civil.
  const std::int64_t y = static_cast<std::int64_t>(year) - (month <= 2 ? 1 : 0);
  const std::int64_t era = (y >= 0 ? y : y - 399) / 400;
  const std::int64_t yoe = y - era * 400;
  const std::int64_t mp = (month + 9) % 12;
  const std::int64_t doy = (153 * mp + 2) / 5 + day - 1;
  const std::int64_t doe = yoe * 365 + yoe / 4 - yoe / 100 + doy;
  return era * 146097 + doe - 719468;
}

LocalDateTime civilFromDays(std::int64_t days) {
  const std::int64_t z = days + 719468;
  const std::int64_t era = (z >= 0 ? z : z - 146096) / 146097;
  const std::int64_t doe = z - era * 146097;
  const std::int64_t yoe = (doe - doe / 1460 + doe / 36524 - doe / 146096) / 365;
  const std::int64_t doy = doe - (365 * yoe + yoe / 4 - yoe / 100);
  const std::int64_t mp = (5 * doy + 2) / 153;
  LocalDateTime t;
  t.day = static_cast<int>(doy - (153 * mp + 2) / 5 + 1);
  t.month = static_cast<int>(mp < 10 ? mp + 3 : mp - 9);
  t.year = static_cast<int>(yoe + era * 400 + (t.month <= 2 ? 1 : 0));
  // 1970-01-01 was a Thursday.
  t.weekday = static_cast<int>(((days % 7) + 7 + 4) % 7);
  return t;
}

std::int64_t localSeconds(const LocalDateTime& t) {
  return dayOf(t) * 86400 + t.time.seconds();
}

std::string_view weekdayName(int weekday) {
  return kWeekdayNames[static_cast<std::size_t>(((weekday % 7) + 7) % 7)];
}

namespace {

std::string twoDigits(int n) {
  std::string s = std::to_string(n);
  return s.size() < 2 ? "0" + s : s;
}

// Whether the pattern holds the letter outside its quoted texts.
bool patternHas(std::string_view p, char letter) {
  bool quoted = false;
  for (const char c : p) {
    if (c == '\'') {
      quoted = !quoted;
    } else if (c == letter && !quoted) {
      return true;
    }
  }
  return false;
}

}  // namespace

std::string formatTimeOfDay(TimeOfDay time, const TimeFormat& format) {
  std::string out;
  bool wroteSeconds = false;
  const std::string_view p = format.pattern;
  // A 12-hour hour without its day-half marker (none in the pattern, or the
  // locale's is empty) would read back as the wrong half of the day: such an
  // hour is written on the 24-hour clock.
  const std::string& marker = time.hour < 12 ? format.am : format.pm;
  const bool twelveHour = patternHas(p, 't') && !marker.empty();
  const bool hasSeconds = patternHas(p, 's');
  for (std::size_t i = 0; i < p.size();) {
    const char c = p[i];
    std::size_t run = 1;
    while (i + run < p.size() && p[i + run] == c)
      ++run;
    switch (c) {
      case 'h': {
        const int h12 = !twelveHour ? time.hour : time.hour % 12 == 0 ? 12 : time.hour % 12;
        out += run >= 2 ? twoDigits(h12) : std::to_string(h12);
        break;
      }
      case 'H': out += run >= 2 ? twoDigits(time.hour) : std::to_string(time.hour); break;
      case 'm':
        out += run >= 2 ? twoDigits(time.minute) : std::to_string(time.minute);
        // A format without seconds still writes them, right after the minutes.
        if (!hasSeconds) {
          out += ':' + twoDigits(time.second);
          wroteSeconds = true;
        }
        break;
      case 's':
        out += run >= 2 ? twoDigits(time.second) : std::to_string(time.second);
        wroteSeconds = true;
        break;
      // The whole marker even for one "t": a first letter does not always
      // tell the halves apart (Japanese "午前", "午後") and may be a part
      // of a character.
      case 't': out += marker; break;
      case '\'': {
        const auto close = p.find('\'', i + 1);
        const auto end = close == std::string_view::npos ? p.size() : close;
        out += p.substr(i + 1, end - i - 1);
        run = end - i + 1;
        break;
      }
      default: out.append(run, c); break;
    }
    i += run;
  }
  if (!wroteSeconds) out += ':' + twoDigits(time.second);
  return out;
}

std::optional<TimeOfDay> parseTimeOfDay(std::string_view text, const TimeFormat& format) {
  std::array<int, 3> fields{};
  int count = 0;
  int half = 0;  // 0: none, 1: morning, 2: afternoon
  for (std::size_t i = 0; i < text.size();) {
    if (isDigit(text[i])) {
      if (count == 3) return std::nullopt;
      int value = 0;
      std::size_t digits = 0;
      while (i < text.size() && isDigit(text[i]) && digits < 3) {
        value = value * 10 + (text[i] - '0');
        ++i;
        ++digits;
      }
      if (i < text.size() && isDigit(text[i])) return std::nullopt;
      fields[static_cast<std::size_t>(count++)] = value;
      continue;
    }
    const std::string_view rest = text.substr(i);
    // The longer designator first, in case one begins with the other.
    const std::pair<std::string_view, int> markers[] = {{format.am, 1}, {format.pm, 2}, {"AM", 1},
                                                        {"PM", 2},      {"A", 1},       {"P", 2}};
    bool matched = false;
    for (const auto& [marker, which] : markers) {
      if (startsWithNoCase(rest, marker)) {
        half = which;
        i += marker.size();
        matched = true;
        break;
      }
    }
    if (!matched) ++i;
  }
  if (count < 2) return std::nullopt;
  TimeOfDay t{fields[0], fields[1], count == 3 ? fields[2] : 0};
  if (half != 0) {
    if (t.hour < 1 || t.hour > 12) return std::nullopt;
    t.hour = t.hour % 12 + (half == 2 ? 12 : 0);
  }
  if (t.hour > 23 || t.minute > 59 || t.second > 59) return std::nullopt;
  return t;
}

}  // namespace tarnavel
