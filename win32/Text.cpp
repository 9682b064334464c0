#include "win32/Text.h"

#include <algorithm>
#include <limits>
#include <type_traits>

#include "platform/Errors.h"

namespace tarnavel::win32 {
namespace {

int checkedLength(std::size_t size) {
  if (size > static_cast<std::size_t>(std::numeric_limits<int>::max())) {
    throw AppError::outOfMemory();
  }
  return static_cast<int>(size);
}

// Most texts (window titles, stored values, captions) are ASCII, which both
// conversions copy unit for unit: done here, that is a fraction of the
// system's converter, which is called twice (the size, then the text).
template <class Text>
bool isAscii(Text text) {
  return std::all_of(text.begin(), text.end(), [](auto unit) {
    return static_cast<std::make_unsigned_t<decltype(unit)>>(unit) < 0x80;
  });
}

}  // namespace

std::wstring widen(std::string_view utf8) {
  if (utf8.empty()) return {};
  const int inLength = checkedLength(utf8.size());
  if (isAscii(utf8)) return std::wstring(utf8.begin(), utf8.end());
  // No MB_ERR_INVALID_CHARS: a stray byte becomes U+FFFD instead of losing
  // the whole text.
  const int outLength = MultiByteToWideChar(CP_UTF8, 0, utf8.data(), inLength, nullptr, 0);
  std::wstring out(static_cast<std::size_t>(outLength), L'\0');
  MultiByteToWideChar(CP_UTF8, 0, utf8.data(), inLength, out.data(), outLength);
  return out;
}

std::string narrow(std::wstring_view utf16) {
  if (utf16.empty()) return {};
  const int inLength = checkedLength(utf16.size());
  if (isAscii(utf16)) {
    std::string out(utf16.size(), '\0');
    std::transform(utf16.begin(), utf16.end(), out.begin(),
                   [](wchar_t unit) { return static_cast<char>(unit); });
    return out;
  }
  const int outLength =
      WideCharToMultiByte(CP_UTF8, 0, utf16.data(), inLength, nullptr, 0, nullptr, nullptr);
  std::string out(static_cast<std::size_t>(outLength), '\0');
  WideCharToMultiByte(CP_UTF8, 0, utf16.data(), inLength, out.data(), outLength, nullptr, nullptr);
  return out;
}

std::string systemMessage(DWORD code) {
  wchar_t buffer[1024] = {};
  const DWORD length =
      FormatMessageW(FORMAT_MESSAGE_FROM_SYSTEM | FORMAT_MESSAGE_IGNORE_INSERTS, nullptr, code, 0,
                     buffer, static_cast<DWORD>(std::size(buffer)), nullptr);
  std::wstring_view text(buffer, length);
  while (!text.empty() && (text.back() == L'\r' || text.back() == L'\n' || text.back() == L' ')) {
    text.remove_suffix(1);
  }
  if (text.empty()) return "System error " + std::to_string(code);
  return narrow(text);
}

std::string windowText(HWND window) {
  // The length is an upper bound (it may count a DBCS text twice); the copy
  // says how much there really is.
  const int length = GetWindowTextLengthW(window);
  if (length <= 0) return {};
  std::wstring buffer(static_cast<std::size_t>(length) + 1, L'\0');
  const int copied = GetWindowTextW(window, buffer.data(), length + 1);
  buffer.resize(static_cast<std::size_t>(copied > 0 ? copied : 0));
  return narrow(buffer);
}

void setWindowText(HWND window, std::string_view text) {
  SetWindowTextW(window, widen(text).c_str());
}

}  // namespace tarnavel::win32
