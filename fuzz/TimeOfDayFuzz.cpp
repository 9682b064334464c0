// The time of day: any text under any of the time formats reads without a
// fault and, when it reads, as a time in range; the time written in the
// format ("Weekly Time") reads back as the same time, for every second of the
// day the input names.
#include <array>
#include <cstdint>
#include <string>

#include "FuzzInput.h"
#include "core/Calendar.h"

namespace {

using tarnavel::TimeFormat;

// Patterns of LOCALE_STIMEFORMAT as locales and users set them.
constexpr std::array<const char*, 14> kPatterns = {
    "HH:mm:ss",      "h:mm:ss tt",  "tt h:mm:ss",  "H:mm",        "hh:mm tt",
    "HH.mm.ss",      "H' h 'mm",    "HH:mm' Uhr'", "tt hh:mm:ss", "h.mm.ss tt",
    "'klo 'H.mm.ss", "H:mm:ss' ч'", "h:mm:ss t",   "h:mm:ss",
};
// Day-half markers (LOCALE_S1159, LOCALE_S2359).
constexpr std::array<std::array<const char*, 2>, 6> kMarkers = {{
    {"AM", "PM"},
    {"", ""},
    {"a.m.", "p.m."},
    {"\xE5\x8D\x88\xE5\x89\x8D", "\xE5\x8D\x88\xE5\xBE\x8C"},  // Japanese
    {"vorm.", "nachm."},
    {"\xCF\x80\xCE\xBC", "\xCE\xBC\xCE\xBC"},  // Greek
}};

TimeFormat formatOf(std::uint8_t pick) {
  const auto& markers = kMarkers[(pick / kPatterns.size()) % kMarkers.size()];
  return {kPatterns[pick % kPatterns.size()], markers[0], markers[1]};
}

std::string describe(tarnavel::TimeOfDay t) {
  return std::to_string(t.hour) + ":" + std::to_string(t.minute) + ":" + std::to_string(t.second);
}

void roundTrip(tarnavel::TimeOfDay t, const TimeFormat& format) {
  const auto written = tarnavel::formatTimeOfDay(t, format);
  const auto again = tarnavel::parseTimeOfDay(written, format);
  if (!again || !(*again == t))
    tarnavel::fuzz::fail("written and read back, the time differs", describe(t),
                         format.pattern + " -> " + written);
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  const tarnavel::fuzz::Input in(data, size);
  const TimeFormat format = formatOf(in.pick);
  const auto read = tarnavel::parseTimeOfDay(in.text, format);
  if (read) {
    if (read->hour < 0 || read->hour > 23 || read->minute < 0 || read->minute > 59 ||
        read->second < 0 || read->second > 59)
      tarnavel::fuzz::fail("read out of range", in.text, describe(*read));
    roundTrip(*read, format);
  }
  if (in.text.size() >= 3) {
    const auto b = reinterpret_cast<const std::uint8_t*>(in.text.data());
    roundTrip({b[0] % 24, b[1] % 60, b[2] % 60}, format);
  }
  return 0;
}
