#include "win32/Console.h"

#include <windows.h>

#include <shellapi.h>

#include "win32/Text.h"

namespace tarnavel::win32 {

std::vector<std::string> commandLineArguments() {
  std::vector<std::string> args;
  int count = 0;
  LPWSTR* argv = CommandLineToArgvW(GetCommandLineW(), &count);
  if (argv == nullptr) return args;
  for (int i = 1; i < count; ++i)
    args.push_back(narrow(argv[i]));
  LocalFree(argv);
  return args;
}

void writeOut(std::string_view utf8, bool error) {
  if (utf8.empty()) return;
  // Lines end with CR LF, as a Windows program's do (a script's "set /p"
  // reads up to them).
  std::string text;
  for (const char c : utf8) {
    if (c == '\n') text += '\r';
    text += c;
  }
  const DWORD which = error ? STD_ERROR_HANDLE : STD_OUTPUT_HANDLE;
  HANDLE handle = GetStdHandle(which);
  if (handle == nullptr || handle == INVALID_HANDLE_VALUE) {
    // Started from a console window without redirection: its console.
    static const bool attached = AttachConsole(ATTACH_PARENT_PROCESS) != FALSE;
    if (!attached) return;
    handle = GetStdHandle(which);
    if (handle == nullptr || handle == INVALID_HANDLE_VALUE) return;
  }
  DWORD mode = 0;
  DWORD written = 0;
  if (GetConsoleMode(handle, &mode)) {
    const std::wstring wide = widen(text);
    WriteConsoleW(handle, wide.data(), static_cast<DWORD>(wide.size()), &written, nullptr);
  } else {
    WriteFile(handle, text.data(), static_cast<DWORD>(text.size()), &written, nullptr);
  }
}

}  // namespace tarnavel::win32
