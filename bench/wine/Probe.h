// What the Wine bench reads about a running program from outside: its
// memory and times as Windows reports them, the same from the Unix side
// (/proc of the Wine process that runs it, through drive Z:), and start-up
// to a shown main window timed to the millisecond.
#pragma once

#include <windows.h>

#include <optional>
#include <string>

namespace bench {

// Milliseconds on the performance counter.
double nowMs();

struct WindowsFigures {
  double workingSetMb = 0;
  double privateMb = 0;
  double cpuMs = 0;  // GetProcessTimes: user + kernel
  DWORD handles = 0;
  DWORD gdiObjects = 0;   // GetGuiResources (a stub under Wine)
  DWORD userObjects = 0;  // GetGuiResources (a stub under Wine)
};
std::optional<WindowsFigures> windowsFigures(DWORD pid);

// The Unix process that runs a Windows process of this prefix, found by the
// file name of its program in its command line.
struct UnixFigures {
  int pid = 0;
  double rssMb = 0;  // VmRSS
  double cpuMs = 0;  // utime + stime
  int fds = -1;      // open descriptors; -1 when they cannot be counted
};
std::optional<int> unixPidOf(const std::wstring& exeFileName);
std::optional<UnixFigures> unixFigures(int pid);

// A program started and timed from CreateProcess to its main window (a
// top-level window of its process titled title) being visible, polled every
// millisecond. The process ends with the object (WM_CLOSE, then killed).
class Launched {
 public:
  Launched(const std::wstring& exe, const std::wstring& title, int timeoutMs,
           const std::wstring& args = L"");
  ~Launched();
  Launched(const Launched&) = delete;
  Launched& operator=(const Launched&) = delete;

  bool ok() const { return main_ != nullptr; }
  HWND main() const { return main_; }
  DWORD pid() const { return pid_; }
  double startMs() const { return startMs_; }
  void close();

 private:
  HANDLE process_ = nullptr;
  DWORD pid_ = 0;
  HWND main_ = nullptr;
  double startMs_ = 0;
};

std::wstring besideThisProgram(const std::wstring& fileName);

}  // namespace bench
