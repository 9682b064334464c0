// The program's text is UTF-8 throughout; Windows speaks UTF-16. Every string
// crosses here, at the edge, and only the W entry points are used, so titles in
// any script survive the trip.
#pragma once

#include <windows.h>

#include <cstdint>
#include <string>
#include <string_view>

#include "platform/Types.h"

namespace tarnavel::win32 {

std::wstring widen(std::string_view utf8);
std::string narrow(std::wstring_view utf16);

// A window handle as the program keeps it (32 significant bits) and back. On
// 64-bit Windows handles fit in 32 bits and are sign-extended.
inline HWND toHwnd(Hwnd32 handle) {
  return reinterpret_cast<HWND>(static_cast<std::intptr_t>(handle));
}
inline Hwnd32 toHwnd32(HWND handle) {
  return static_cast<Hwnd32>(reinterpret_cast<std::intptr_t>(handle));
}

// The system's own words for an error code, without the closing line break.
std::string systemMessage(DWORD code);

// The text of a window of this process (a caption or a control's text).
std::string windowText(HWND window);
void setWindowText(HWND window, std::string_view text);

}  // namespace tarnavel::win32
