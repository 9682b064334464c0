// The few character tests the program's readers share: ASCII digits, the
// blanks people leave around a value, and comparisons that ignore ASCII case.
#pragma once

#include <algorithm>
#include <cctype>
#include <string_view>

namespace tarnavel {

constexpr bool isDigit(char c) {
  return c >= '0' && c <= '9';
}

constexpr bool isBlank(char c) {
  return c == ' ' || c == '\t';
}

constexpr std::string_view trimBlanks(std::string_view s) {
  while (!s.empty() && isBlank(s.front()))
    s.remove_prefix(1);
  while (!s.empty() && isBlank(s.back()))
    s.remove_suffix(1);
  return s;
}

inline bool sameLetterNoCase(char x, char y) {
  return std::tolower(static_cast<unsigned char>(x)) == std::tolower(static_cast<unsigned char>(y));
}

inline bool equalsNoCase(std::string_view a, std::string_view b) {
  return std::equal(a.begin(), a.end(), b.begin(), b.end(), sameLetterNoCase);
}

inline bool startsWithNoCase(std::string_view text, std::string_view prefix) {
  return !prefix.empty() && text.size() >= prefix.size() &&
         equalsNoCase(text.substr(0, prefix.size()), prefix);
}

}  // namespace tarnavel
