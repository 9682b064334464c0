#include "core/Numbers.h"

#include <charconv>
#include <cmath>
#include <limits>
#include <string>

#include "core/Chars.h"
#include "platform/Errors.h"

namespace tarnavel {
namespace {

// A narrow or ordinary no-break space as the group separator also accepts
// the plain blank that people type in its place.
bool isSpaceLike(std::string_view sep) {
  return sep == "\xC2\xA0" || sep == "\xE2\x80\xAF" || sep == " ";
}

class Cursor {
 public:
  explicit Cursor(std::string_view text) : rest_(text) {}
  bool done() const { return rest_.empty(); }
  char peek() const { return rest_.empty() ? '\0' : rest_.front(); }
  void advance(std::size_t n = 1) { rest_.remove_prefix(n); }
  bool take(std::string_view token) {
    if (token.empty() || !rest_.starts_with(token)) return false;
    rest_.remove_prefix(token.size());
    return true;
  }

 private:
  std::string_view rest_;
};

}  // namespace

std::optional<double> readNumber(std::string_view text, const NumberFormat& format) {
  text = trimBlanks(text);
  if (text.empty()) return std::nullopt;

  std::string ascii;  // the number rewritten for from_chars
  Cursor in(text);
  if (in.take(format.minus) || in.take("-")) {
    ascii += '-';
  } else if (!in.take(format.plus)) {
    in.take("+");
  }

  const bool groupUsable = !format.group.empty() && format.group != format.decimal;
  const bool blankGroup = groupUsable && isSpaceLike(format.group);
  int digits = 0;
  // Integer part: digits, with group separators only between digits.
  while (!in.done()) {
    if (isDigit(in.peek())) {
      ascii += in.peek();
      in.advance();
      ++digits;
      continue;
    }
    if (digits > 0 && groupUsable) {
      Cursor probe = in;
      if ((probe.take(format.group) || (blankGroup && probe.take(" "))) && isDigit(probe.peek())) {
        in = probe;
        continue;
      }
    }
    break;
  }
  if (in.take(format.decimal)) {
    ascii += '.';
    while (isDigit(in.peek())) {
      ascii += in.peek();
      in.advance();
      ++digits;
    }
  }
  if (digits == 0) return std::nullopt;

  const char e = in.peek();
  if (e == 'e' || e == 'E' || e == 'd' || e == 'D') {
    in.advance();
    std::string exponent = "e";
    if (in.take("-") || in.take(format.minus)) {
      exponent += '-';
    } else if (!in.take("+")) {
      in.take(format.plus);
    }
    int expDigits = 0;
    while (isDigit(in.peek())) {
      exponent += in.peek();
      in.advance();
      ++expDigits;
    }
    if (expDigits == 0) return std::nullopt;
    ascii += exponent;
  }
  if (!in.done()) return std::nullopt;

  double value = 0;
  const auto [end, ec] = std::from_chars(ascii.data(), ascii.data() + ascii.size(), value);
  if (ec != std::errc() || end != ascii.data() + ascii.size() || !std::isfinite(value)) {
    return std::nullopt;
  }
  return value;
}

namespace {

// Halves to even, whatever the rounding mode, without touching it: reading
// and setting the mode is slow where the runtime asks the processor what it
// has each time (about 10 us a row under Wine, more than the rest of a
// queue row's marking). Both steps are exact: x - floor(x) is representable.
double nearestEven(double value) {
  const double below = std::floor(value);
  const double fraction = value - below;
  if (fraction < 0.5) return below;
  if (fraction > 0.5) return below + 1;
  // A half, or not a finite number (then every step stays NaN or infinite).
  return std::fmod(below, 2.0) == 0 ? below : below + 1;
}

bool inLongRange(double rounded) {
  return rounded >= static_cast<double>(std::numeric_limits<std::int32_t>::min()) &&
         rounded <= static_cast<double>(std::numeric_limits<std::int32_t>::max());
}

}  // namespace

std::int32_t roundToLong(double value) {
  const double rounded = nearestEven(value);
  if (!inLongRange(rounded)) throw AppError::overflow();
  return static_cast<std::int32_t>(rounded);
}

bool fitsLong(double value) {
  return inLongRange(nearestEven(value));
}

bool readsAsSeconds(std::string_view text, const NumberFormat& format) {
  const auto value = readNumber(text, format);
  return value && fitsLong(*value);
}

std::int32_t textToLong(std::string_view text, const NumberFormat& format) {
  const auto value = readNumber(text, format);
  if (!value) throw AppError::typeMismatch();
  return roundToLong(*value);
}

}  // namespace tarnavel
