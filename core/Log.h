// The program's log: %LOCALAPPDATA%\Tarnavel\Tarnavel.log, UTF-8, one line
// per entry, each beginning with the local date and time. At 1 MB the file
// becomes Tarnavel.1.log, replacing the one before, and a new one begins.
// A log that cannot be written is given up on quietly: it never stops the
// program, and never shows a box of its own.
#pragma once

#include <cstdint>
#include <string>
#include <string_view>

#include "platform/System.h"

namespace tarnavel {

inline constexpr std::string_view kLogFileName = "Tarnavel.log";
inline constexpr std::string_view kOldLogFileName = "Tarnavel.1.log";
inline constexpr std::uint64_t kLogLimitBytes = 1024 * 1024;

// The entry's line as written: "2026-12-09T10:15:03 text" and a line break;
// line breaks inside the text become spaces.
std::string logLine(const LocalDateTime& at, std::string_view text);

class Log {
 public:
  Log(platform::ILogFiles& files, platform::IClock& clock) : files_(files), clock_(clock) {}
  // Appends the entry; false when it could not be written.
  bool write(std::string_view text) noexcept;
  // Opens the log's folder, creating it first. Throws when the system
  // refuses.
  void openFolder();

 private:
  platform::ILogFiles& files_;
  platform::IClock& clock_;
};

}  // namespace tarnavel
