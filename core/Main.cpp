#include "core/Main.h"

#include <cstdio>
#include <cstdlib>

namespace tarnavel {
namespace {

// Characters, not bytes: a UTF-8 continuation byte does not start one.
std::size_t characterCount(std::string_view s) {
  std::size_t n = 0;
  for (const char c : s) {
    if ((static_cast<unsigned char>(c) & 0xC0) != 0x80) ++n;
  }
  return n;
}

std::string_view firstCharacters(std::string_view s, std::size_t count) {
  std::size_t seen = 0;
  for (std::size_t i = 0; i < s.size(); ++i) {
    if ((static_cast<unsigned char>(s[i]) & 0xC0) != 0x80) {
      if (seen == count) return s.substr(0, i);
      ++seen;
    }
  }
  return s;
}

}  // namespace

std::string appTitleFor(std::string_view displayName) {
  constexpr std::size_t kMaxTitle = 40;
  std::string_view t = displayName;
  do {
    const auto blank = t.rfind(' ');
    if (blank == std::string_view::npos) {
      t = firstCharacters(t, kMaxTitle);
      break;
    }
    t = t.substr(0, blank);
  } while (characterCount(t) > kMaxTitle);
  return std::string(t);
}

std::string FormatSeconds(std::int32_t seconds) {
  const std::int64_t n = std::llabs(static_cast<std::int64_t>(seconds));
  char text[16];
  std::snprintf(text, sizeof text, "%02d:%02d:%02d", static_cast<int>((n / 3600) % 24),
                static_cast<int>((n / 60) % 60), static_cast<int>(n % 60));
  return text;
}

void SetTopmost(platform::IWindowSystem& windows, Hwnd32 window, bool onTop) {
  windows.setBand(window, onTop ? ZBand::Topmost : ZBand::NotTopmost);
}

bool FileExists(platform::IFileSystem& files, std::string_view path) {
  try {
    return files.hasModificationTime(path);
  } catch (...) {
    return false;
  }
}

}  // namespace tarnavel
