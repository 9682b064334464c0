// An option setting read as a boolean: any text under any of the locales
// either reads or is refused with "Type mismatch", never another failure;
// what reads agrees with the number it reads as, and the text stored for the
// value reads back as the same value.
#include <cstdint>
#include <string>

#include "FuzzInput.h"
#include "core/Numbers.h"
#include "core/Settings.h"
#include "platform/Errors.h"

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  const tarnavel::fuzz::Input in(data, size);
  const auto& format = tarnavel::fuzz::numberFormat(in.pick);
  bool value = false;
  try {
    value = tarnavel::textToBoolean(in.text, format);
  } catch (const tarnavel::AppError& e) {
    if (e.number() != tarnavel::AppError::typeMismatch().number())
      tarnavel::fuzz::fail("refused with another failure", in.text, e.description());
    if (tarnavel::readsAsNumber(in.text, format))
      tarnavel::fuzz::fail("a number refused", in.text, "");
    return 0;
  }
  if (const auto number = tarnavel::readNumber(in.text, format); number && value != (*number != 0))
    tarnavel::fuzz::fail("the boolean disagrees with the number", in.text,
                         value ? "True" : "False");
  const auto stored = tarnavel::Settings::booleanText(value);
  if (tarnavel::textToBoolean(stored, format) != value)
    tarnavel::fuzz::fail("stored and read back, the boolean differs", in.text, stored);
  return 0;
}
