// Small text helpers of the driver: UTF-8 for what it prints, UTF-16 for what
// it hands to Windows, and a readable form of texts with control characters.
#pragma once

#include <windows.h>

#include <cstdint>
#include <string>
#include <string_view>

namespace e2e {

inline std::string utf8(std::wstring_view w) {
  if (w.empty()) return {};
  int n = WideCharToMultiByte(CP_UTF8, 0, w.data(), static_cast<int>(w.size()), nullptr, 0, nullptr,
                              nullptr);
  std::string s(static_cast<size_t>(n), '\0');
  WideCharToMultiByte(CP_UTF8, 0, w.data(), static_cast<int>(w.size()), s.data(), n, nullptr,
                      nullptr);
  return s;
}

inline std::wstring wide(std::string_view s) {
  if (s.empty()) return {};
  int n = MultiByteToWideChar(CP_UTF8, 0, s.data(), static_cast<int>(s.size()), nullptr, 0);
  std::wstring w(static_cast<size_t>(n), L'\0');
  MultiByteToWideChar(CP_UTF8, 0, s.data(), static_cast<int>(s.size()), w.data(), n);
  return w;
}

// The text in double quotes, with CR, LF, TAB and other control characters
// written as escapes so that line breaks can be told apart in a message.
inline std::string quoted(std::wstring_view w) {
  std::wstring out = L"\"";
  for (wchar_t c : w) {
    switch (c) {
      case L'\r': out += L"\\r"; break;
      case L'\n': out += L"\\n"; break;
      case L'\t': out += L"\\t"; break;
      case L'"': out += L"\\\""; break;
      case L'\\': out += L"\\\\"; break;
      default:
        if (c < 0x20) {
          wchar_t buf[8];
          swprintf(buf, 8, L"\\x%02x", static_cast<unsigned>(c));
          out += buf;
        } else {
          out += c;
        }
    }
  }
  out += L"\"";
  return utf8(out);
}

// A window handle as the program writes it: 32-bit signed decimal.
inline std::wstring handleText(HWND h) {
  return std::to_wstring(static_cast<int32_t>(reinterpret_cast<intptr_t>(h)));
}

inline std::string hex(HWND h) {
  char buf[32];
  snprintf(buf, sizeof buf, "0x%llx",
           static_cast<unsigned long long>(reinterpret_cast<uintptr_t>(h)));
  return buf;
}

}  // namespace e2e
