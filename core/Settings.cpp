#include "core/Settings.h"

#include <algorithm>
#include <cctype>

#include "core/Numbers.h"
#include "platform/Errors.h"

namespace tarnavel {
namespace {

bool equalsNoCase(std::string_view a, std::string_view b) {
  return std::equal(a.begin(), a.end(), b.begin(), b.end(), [](char x, char y) {
    return std::tolower(static_cast<unsigned char>(x)) ==
           std::tolower(static_cast<unsigned char>(y));
  });
}

std::string_view trimBlanks(std::string_view s) {
  while (!s.empty() && (s.front() == ' ' || s.front() == '\t'))
    s.remove_prefix(1);
  while (!s.empty() && (s.back() == ' ' || s.back() == '\t'))
    s.remove_suffix(1);
  return s;
}

}  // namespace

bool textToBoolean(std::string_view text, const NumberFormat& format) {
  const std::string_view word = trimBlanks(text);
  if (equalsNoCase(word, "True")) return true;
  if (equalsNoCase(word, "False")) return false;
  if (const auto number = readNumber(text, format)) return *number != 0.0;
  throw AppError::typeMismatch();
}

std::string Settings::read(std::string_view key, std::string_view fallback) {
  if (auto stored = backend_.read(key)) return std::move(*stored);
  return std::string(fallback);
}

void Settings::write(std::string_view key, std::string_view value) {
  backend_.write(key, value);
}

bool Settings::readBoolean(std::string_view key, bool fallback) {
  // An absent key reads as the number 1 or 0.
  return textToBoolean(read(key, fallback ? "1" : "0"), locale_.numberFormat());
}

bool Settings::readOn(std::string_view key, std::string_view fallback) {
  return read(key, fallback) == "On";
}

}  // namespace tarnavel
