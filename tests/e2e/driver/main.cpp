// tarnavel_e2e: drives tarnavel.exe from outside, under Wine or Windows.
//
//   tarnavel_e2e [--app PATH] [--case NAME]... [--list] [--verbose]
//                [--selftest] [--screenshot-signal PATH] [--xdotool-dir PATH]
//   tarnavel_e2e --picture|--demo [--app PATH] [--screenshot-signal PATH]
//   tarnavel_e2e --close
//   tarnavel_e2e --samples
//
// Without --app the program is looked for next to the driver. --case runs
// only the named cases, in the order and as often as named. --selftest runs
// the checks of the driver's own tools instead of the program's cases.
// --xdotool-dir names the runner's folder that takes xdotool calls (the keys
// of the hotkey case). --picture sets the window up for the README's screenshot, --demo
// plays the README's moving picture (scripts/run --demo records it). --close asks
// every running Tarnavel to close, the way its close box does, and waits for
// it. --samples opens the demo's three dashboards and keeps them until a
// Tarnavel has come and gone (scripts/run on a bare display).
#include <windows.h>

#include <fcntl.h>
#include <io.h>

#include <cstdio>
#include <string>
#include <vector>

#include "Cases.h"
#include "Harness.h"
#include "SelfTest.h"
#include "Targets.h"
#include "Text.h"

namespace {

std::wstring modulePath() {
  std::wstring path(32768, L'\0');
  DWORD n = GetModuleFileNameW(nullptr, path.data(), static_cast<DWORD>(path.size()));
  path.resize(n);
  return path;
}

// Posts WM_CLOSE to every Tarnavel main window, shown or hidden, and waits up
// to ten seconds for their processes to end.
int closeAll() {
  std::vector<HANDLE> processes;
  HWND w = nullptr;
  while ((w = FindWindowExW(nullptr, w, L"Tarnavel.Form1", nullptr)) != nullptr) {
    DWORD pid = 0;
    GetWindowThreadProcessId(w, &pid);
    if (HANDLE p = OpenProcess(SYNCHRONIZE, FALSE, pid)) processes.push_back(p);
    PostMessageW(w, WM_CLOSE, 0, 0);
  }
  int left = 0;
  for (HANDLE p : processes) {
    if (WaitForSingleObject(p, 10000) != WAIT_OBJECT_0) ++left;
    CloseHandle(p);
  }
  return left == 0 ? 0 : 1;
}

// The demo's three sample dashboards, "Production line 1" to "3", for a
// bare virtual display (scripts/run): open until they are closed, or until
// a Tarnavel window has come and gone again.
int showSamples() {
  e2e::TargetHost host;
  if (!host.ok()) return 1;
  for (int i = 1; i <= 3; ++i) {
    if (!host.create(L"Production line " + std::to_wstring(i), e2e::TargetKind::Banner)) return 1;
  }
  bool seen = false;
  while (!host.windows().empty()) {
    const bool up = FindWindowW(L"Tarnavel.Form1", nullptr) != nullptr;
    if (seen && !up) break;
    seen = seen || up;
    Sleep(200);
  }
  return 0;
}

int usage() {
  e2e::printLine(
      "usage: tarnavel_e2e [--app PATH] [--case NAME]... [--list] [--verbose] [--selftest] "
      "[--screenshot-signal PATH] [--xdotool-dir PATH]");
  return 2;
}

}  // namespace

int wmain(int argc, wchar_t** argv) {
  using namespace e2e;
  // Lines end with LF alone, as the runner on Linux expects.
  _setmode(_fileno(stdout), _O_BINARY);
  // Aware of the display's scaling, as the program is: the driver then
  // reads the program's DPI and places as they are (E2E_DPI).
  SetProcessDpiAwarenessContext(DPI_AWARENESS_CONTEXT_PER_MONITOR_AWARE_V2);
  Options options;
  options.selfPath = modulePath();
  std::vector<std::string> only;
  bool list = false;
  bool selftest = false;
  bool picture = false;
  for (int i = 1; i < argc; ++i) {
    std::wstring arg = argv[i];
    auto value = [&]() -> std::wstring { return i + 1 < argc ? argv[++i] : std::wstring(); };
    if (arg == L"--fixture") return runFixture();
    if (arg == L"--close") return closeAll();
    if (arg == L"--samples") return showSamples();
    if (arg == L"--app") {
      options.appPath = value();
    } else if (arg == L"--setup") {
      // The installer (Tarnavel-Setup-<version>.exe) of the install cases.
      options.setupPath = value();
    } else if (arg == L"--case") {
      only.push_back(utf8(value()));
    } else if (arg == L"--list") {
      list = true;
    } else if (arg == L"--verbose") {
      options.verbose = true;
    } else if (arg == L"--picture" || arg == L"--demo") {
      picture = true;
      only.push_back(arg == L"--demo" ? "demo" : "picture");
    } else if (arg == L"--selftest") {
      selftest = true;
    } else if (arg == L"--screenshot-signal") {
      options.screenshotSignal = value();
    } else if (arg == L"--xdotool-dir") {
      options.xdotoolDir = value();
    } else {
      return usage();
    }
  }
  if (options.appPath.empty()) {
    auto dir = options.selfPath.substr(0, options.selfPath.find_last_of(L"\\/") + 1);
    options.appPath = dir + L"tarnavel.exe";
  }
  auto cases = selftest ? selfTestCases() : picture ? pictureCases() : tarnavelCases();
  if (list) {
    // The install cases are marked: they need the installer (--setup).
    for (const auto& c : cases)
      printLine(c.name + " - " + c.summary);
    if (!selftest && !picture) {
      for (const auto& c : installCases())
        printLine(c.name + " [installer] - " + c.summary);
      for (const auto& c : displayCases())
        printLine(c.name + " [two displays] - " + c.summary);
    }
    return 0;
  }
  if (!selftest && !picture && (!options.setupPath.empty() || !only.empty())) {
    for (auto& c : installCases())
      cases.push_back(std::move(c));
  }
  if (!selftest && !picture && !only.empty()) {
    for (auto& c : displayCases())
      cases.push_back(std::move(c));
  }
  if (!selftest && GetFileAttributesW(options.appPath.c_str()) == INVALID_FILE_ATTRIBUTES) {
    printLine("no program at " + utf8(options.appPath));
    printLine("0 passed, 1 failed");
    return 1;
  }
  return runCases(cases, only, options) == 0 ? 0 : 1;
}
