// The settings store: text values under the application name "Kestrine" and
// the section "Tarnavel". The backend decides where they live (the registry
// on Windows, memory in the tests).
#pragma once

#include <string>
#include <string_view>

#include "platform/System.h"

namespace tarnavel {

class Settings {
 public:
  Settings(platform::ISettingsBackend& backend, platform::ILocale& locale)
      : backend_(backend), locale_(locale) {}

  // The stored text, or the default when the key is absent.
  std::string read(std::string_view key, std::string_view fallback);
  void write(std::string_view key, std::string_view value);

  // An option setting: "True"/"False" in any letter case, or a number (0 is
  // false). Any other text throws AppError::typeMismatch().
  bool readBoolean(std::string_view key, bool fallback);
  // A yes/no setting: "On" exactly, anything else is off.
  bool readOn(std::string_view key, std::string_view fallback);

  static std::string booleanText(bool value) { return value ? "True" : "False"; }

 private:
  platform::ISettingsBackend& backend_;
  platform::ILocale& locale_;
};

// Converts a stored text to a boolean as the option settings are read.
bool textToBoolean(std::string_view text, const NumberFormat& format);

}  // namespace tarnavel
