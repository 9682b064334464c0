#include "core/Settings.h"

#include "core/Chars.h"
#include "core/Numbers.h"
#include "platform/Errors.h"

namespace tarnavel {

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
