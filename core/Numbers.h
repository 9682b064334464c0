// Numeric text as the user types it: the locale's decimal and group
// separators and signs, an optional exponent, blanks around.
#pragma once

#include <cstdint>
#include <optional>
#include <string_view>

#include "platform/Types.h"

namespace tarnavel {

// The value of a text that reads as a number, or nothing. The empty text and
// blanks alone do not read as a number.
std::optional<double> readNumber(std::string_view text, const NumberFormat& format);

inline bool readsAsNumber(std::string_view text, const NumberFormat& format) {
  return readNumber(text, format).has_value();
}

// The nearest 32-bit whole number, halves to even. Out of range throws
// AppError::overflow().
std::int32_t roundToLong(double value);
// Whether roundToLong takes the value without an overflow (an infinity or
// NaN does not fit).
bool fitsLong(double value);

// Whether a text is a time in seconds the switch timer can count: it reads
// as a number whose nearest whole number fits 32 bits ("1e10" does not).
bool readsAsSeconds(std::string_view text, const NumberFormat& format);

// A text converted to a 32-bit whole number: AppError::typeMismatch() when it
// does not read as a number, AppError::overflow() when it is out of range.
std::int32_t textToLong(std::string_view text, const NumberFormat& format);

}  // namespace tarnavel
