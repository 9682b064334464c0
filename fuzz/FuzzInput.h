// What the fuzz targets share: the locales they read under, picked by the
// input's first byte, and a failure that stops the run with the texts that
// differ.
#pragma once

#include <array>
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <string>
#include <string_view>

#include "platform/Types.h"

namespace tarnavel::fuzz {

// The input as the first byte and the text after it.
struct Input {
  std::uint8_t pick = 0;
  std::string_view text;
  Input(const std::uint8_t* data, std::size_t size) {
    if (size > 0) {
      pick = data[0];
      text = {reinterpret_cast<const char*>(data) + 1, size - 1};
    }
  }
};

// Number rules of real locales, and a few that only a hand-made locale has.
inline const std::array<NumberFormat, 8> kNumberFormats = {{
    {".", ",", "-", "+"},             // English
    {",", ".", "-", "+"},             // German
    {",", "\xE2\x80\xAF", "-", "+"},  // French: narrow no-break space
    {",", "\xC2\xA0", "-", "+"},      // no-break space
    {".", "'", "-", "+"},             // Swiss
    {",", " ", "\xE2\x88\x92", "+"},  // Swedish: minus sign
    {".", "", "-", "+"},              // no group separator
    {".", ".", "-", "+"},             // group as the decimal
}};

inline const NumberFormat& numberFormat(std::uint8_t pick) {
  return kNumberFormats[pick % kNumberFormats.size()];
}

[[noreturn]] inline void fail(const char* what, std::string_view a, std::string_view b) {
  std::fprintf(stderr, "%s\n  first:  \"%.*s\"\n  second: \"%.*s\"\n", what,
               static_cast<int>(a.size()), a.data(), static_cast<int>(b.size()), b.data());
  std::abort();
}

}  // namespace tarnavel::fuzz
