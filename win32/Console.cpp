#include "win32/Console.h"

#include <windows.h>

#include "win32/Handles.h"
#include "win32/Text.h"

namespace tarnavel::win32 {

namespace {

// Whether anything follows the program's name, which is read as
// CommandLineToArgvW reads it: up to the closing quote when it starts with
// one, else up to the first blank.
bool hasArguments(const wchar_t* line) {
  if (*line == L'"') {
    ++line;
    while (*line != L'\0' && *line != L'"')
      ++line;
    if (*line == L'"') ++line;
  } else {
    while (*line != L'\0' && *line != L' ' && *line != L'\t')
      ++line;
  }
  while (*line == L' ' || *line == L'\t')
    ++line;
  return *line != L'\0';
}

}  // namespace

// The shell's DLL is loaded only for a command line with arguments: most
// starts have none, and need neither the DLL nor what it pulls in.
std::vector<std::string> commandLineArguments() {
  std::vector<std::string> args;
  const wchar_t* line = GetCommandLineW();
  if (!hasArguments(line)) return args;
  const Library shell(LoadLibraryW(L"shell32.dll"));
  if (!shell) return args;
  using Split = LPWSTR*(WINAPI*)(LPCWSTR, int*);
  // Through a pointer to a function without arguments, which any entry
  // point may be cast from.
  const auto split = reinterpret_cast<Split>(
      reinterpret_cast<void (*)()>(GetProcAddress(shell.get(), "CommandLineToArgvW")));
  if (split == nullptr) return args;
  int count = 0;
  LPWSTR* argv = split(line, &count);
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
