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

std::string otherKindNotice(std::string_view key) {
  return "The stored \"" + std::string(key) +
         "\" is not text: its default is used, and the stored value is kept until the setting "
         "is changed.";
}

std::string Settings::read(std::string_view key, std::string_view fallback) {
  auto stored = backend_.read(key);
  if (stored.text) return std::move(*stored.text);
  if (!stored.otherKind) return std::string(fallback);
  if (reported_.insert(std::string(key)).second) report_.notice(otherKindNotice(key));
  if (const auto held = heldBack_.find(key); held != heldBack_.end()) return held->second;
  return std::string(fallback);
}

void Settings::write(std::string_view key, std::string_view value) {
  if (restoring_) return writeBack(key, value);
  backend_.write(key, value);
  dropHeld(key);
}

void Settings::writeBack(std::string_view key, std::string_view value) {
  // What already reads as this text stays byte for byte as it is.
  if (const auto stored = backend_.read(key); stored.text && *stored.text == value) {
    dropHeld(key);
    return;
  }
  if (backend_.writeOverText(key, value)) {
    dropHeld(key);
  } else {
    heldBack_.insert_or_assign(std::string(key), std::string(value));
  }
}

void Settings::dropHeld(std::string_view key) {
  if (const auto held = heldBack_.find(key); held != heldBack_.end()) heldBack_.erase(held);
}

bool Settings::readBoolean(std::string_view key, bool fallback) {
  // An absent key reads as the number 1 or 0.
  return textToBoolean(read(key, fallback ? "1" : "0"), locale_.numberFormat());
}

bool Settings::readOn(std::string_view key, std::string_view fallback) {
  return read(key, fallback) == "On";
}

}  // namespace tarnavel
