// Small utilities shared across the program.
#pragma once

#include <cstdint>
#include <string>
#include <string_view>

#include "platform/System.h"

namespace tarnavel {

// The product's display name: the window caption, the tray tip and the
// balloon's title.
inline constexpr std::string_view kDisplayName = "Tarnavel";

// The application title for a display name: the name cut before its last
// blank, at least once, until it is at most 40 characters long. A name
// without a blank is kept whole, or its first 40 characters.
std::string appTitleFor(std::string_view displayName);

// "hh:mm:ss" of a count of seconds, hours wrapping at a day; a negative count
// is written by its absolute value.
std::string FormatSeconds(std::int32_t seconds);

// Puts a window into the topmost band or takes it out, keeping its place and
// size. The system's answer is not examined.
void SetTopmost(platform::IWindowSystem& windows, Hwnd32 window, bool onTop);

// True when the file's modification time can be read. Never fails.
bool FileExists(platform::IFileSystem& files, std::string_view path);

}  // namespace tarnavel
