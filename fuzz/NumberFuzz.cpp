// "Reads as a number": any text under any of the locales reads without a
// fault; blanks around it change nothing; a value read, written back in the
// locale's own signs (the shortest form that holds it), reads as the same
// value; and the whole-number conversion refuses exactly what does not fit.
#include <charconv>
#include <cmath>
#include <cstdint>
#include <string>

#include "FuzzInput.h"
#include "core/Numbers.h"
#include "platform/Errors.h"

namespace {

std::string inLocale(double value, const tarnavel::NumberFormat& format) {
  char buffer[64];
  const auto result = std::to_chars(buffer, buffer + sizeof buffer, value);
  std::string out;
  for (const char* p = buffer; p != result.ptr; ++p) {
    if (*p == '.') {
      out += format.decimal;
    } else if (*p == '-' && p == buffer) {
      out += format.minus;
    } else {
      out += *p;
    }
  }
  return out;
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  const tarnavel::fuzz::Input in(data, size);
  const auto& format = tarnavel::fuzz::numberFormat(in.pick);
  const auto value = tarnavel::readNumber(in.text, format);
  const std::string padded = " \t" + std::string(in.text) + "\t ";
  const auto paddedValue = tarnavel::readNumber(padded, format);
  if (value.has_value() != paddedValue.has_value() || (value && *value != *paddedValue))
    tarnavel::fuzz::fail("blanks around change the number", in.text, padded);
  if (!value) return 0;
  if (!std::isfinite(*value)) tarnavel::fuzz::fail("not a finite number", in.text, "");

  const std::string written = inLocale(*value, format);
  const auto again = tarnavel::readNumber(written, format);
  if (!again || *again != *value)
    tarnavel::fuzz::fail("written back, the number reads differently", in.text, written);

  bool fits = true;
  try {
    const auto whole = tarnavel::roundToLong(*value);
    // The fuzzer runs in the default rounding mode: to nearest, halves to even.
    if (whole != std::nearbyint(*value))
      tarnavel::fuzz::fail("not rounded half to even", in.text, "");
  } catch (const tarnavel::AppError&) {
    fits = false;
  }
  if (fits != tarnavel::fitsLong(*value))
    tarnavel::fuzz::fail("fitsLong disagrees with roundToLong", in.text, "");
  return 0;
}
