// The settings store: text values under the application name "Kestrine" and
// the section "Tarnavel". The backend decides where they live (the registry
// on Windows, memory in the tests).
//
// A key may hold a value of another kind than text, left by a hand edit or
// another program. It reads as absent (the default applies), the read says
// so once through the error report, and the value stays in the store until
// the user changes that very setting: writes that only store again what the
// program read or defaulted to (the handling of restored controls, the queue
// at closing) keep their text in memory instead, where later reads find it.
#pragma once

#include <map>
#include <set>
#include <string>
#include <string_view>

#include "core/ErrorReport.h"
#include "platform/System.h"

namespace tarnavel {

class Settings {
 public:
  Settings(platform::ISettingsBackend& backend, platform::ILocale& locale, ErrorReport& report)
      : backend_(backend), locale_(locale), report_(report) {}

  // The stored text, or the default when the key is absent.
  std::string read(std::string_view key, std::string_view fallback);
  // A change: stores the text, replacing whatever was there. While the saved
  // state is being restored, a write only stores again (writeBack).
  void write(std::string_view key, std::string_view value);
  // Stores again a value the program read or defaulted to: over text only.
  void writeBack(std::string_view key, std::string_view value);
  // Set while start-up restores the saved state.
  void setRestoring(bool on) { restoring_ = on; }

  // An option setting: "True"/"False" in any letter case, or a number (0 is
  // false). Any other text throws AppError::typeMismatch().
  bool readBoolean(std::string_view key, bool fallback);
  // A yes/no setting: "On" exactly, anything else is off.
  bool readOn(std::string_view key, std::string_view fallback);

  static std::string booleanText(bool value) { return value ? "True" : "False"; }

 private:
  platform::ISettingsBackend& backend_;
  platform::ILocale& locale_;
  ErrorReport& report_;
  // Forgets the text held back for a key, once the store has it.
  void dropHeld(std::string_view key);

  bool restoring_ = false;
  // Texts written back over a value of another kind, by key.
  std::map<std::string, std::string, std::less<>> heldBack_;
  // Keys whose value of another kind has been reported.
  std::set<std::string, std::less<>> reported_;
};

// Converts a stored text to a boolean as the option settings are read.
bool textToBoolean(std::string_view text, const NumberFormat& format);

// The notice of a key holding a value of another kind than text.
std::string otherKindNotice(std::string_view key);

}  // namespace tarnavel
