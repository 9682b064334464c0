#include "core/Log.h"

#include <cstdio>

namespace tarnavel {

std::string logLine(const LocalDateTime& at, std::string_view text) {
  char stamp[32];
  std::snprintf(stamp, sizeof(stamp), "%04d-%02d-%02dT%02d:%02d:%02d ", at.year, at.month, at.day,
                at.time.hour, at.time.minute, at.time.second);
  std::string line(stamp);
  // The box's text parts its lines with breaks: a run of them is one space.
  bool inBreak = false;
  for (const char c : text) {
    const bool lineBreak = c == '\r' || c == '\n';
    if (!lineBreak) {
      line += c;
    } else if (!inBreak) {
      line += ' ';
    }
    inBreak = lineBreak;
  }
  line += "\r\n";
  return line;
}

bool Log::write(std::string_view text) noexcept {
  try {
    const std::string line = logLine(clock_.now(), text);
    const std::string folder = files_.folder();
    const std::string path = folder + "\\" + std::string(kLogFileName);
    const auto size = files_.size(path);
    if (size && *size > 0 && *size + line.size() > kLogLimitBytes) {
      files_.replace(path, folder + "\\" + std::string(kOldLogFileName));
    }
    files_.append(path, line);
    return true;
  } catch (...) {
    return false;
  }
}

void Log::openFolder() {
  files_.openFolder(files_.folder());
}

}  // namespace tarnavel
