// tarnavel_wbench: the figures of docs/PERFORMANCE.md that only the real
// program under the real system can give. It runs beside tarnavel.exe the
// way the end-to-end driver does (tests/e2e/run.sh --exe ... --app ...) and
// prints one "figure:" line per measurement, which scripts/bench collects.
//
//   tarnavel_wbench --app PATH [--case NAME]... [--seconds N]
//
// --seconds sets the length of the long cases (precision, memory, idle,
// soak); each has its own short default.
#include <windows.h>

#include <commctrl.h>
#include <fcntl.h>
#include <io.h>

#include <algorithm>
#include <atomic>
#include <cmath>
#include <cstdio>
#include <memory>
#include <mutex>
#include <random>
#include <string>
#include <thread>
#include <utility>
#include <vector>

#include "Probe.h"
#include "core/ErrorReport.h"
#include "core/Settings.h"
#include "platform/Errors.h"
#include "queue/SwitchQueue.h"
#include "queue/WindowList.h"
#include "tests/e2e/driver/CaseSupport.h"
#include "win32/Dialogs.h"
#include "win32/Handles.h"
#include "win32/KeyboardHook.h"
#include "win32/MainWindow.h"
#include "win32/Messages.h"
#include "win32/Services.h"
#include "win32/Text.h"

namespace {

using namespace e2e;
using bench::nowMs;

int gSeconds = 0;  // 0: each case's default

int seconds(int fallback) {
  return gSeconds > 0 ? gSeconds : fallback;
}

void figure(const char* format, ...) {
  char line[512];
  va_list args;
  va_start(args, format);
  std::vsnprintf(line, sizeof line, format, args);
  va_end(args);
  printLine(std::string("figure: ") + line);
}

constexpr wchar_t kTwinTitle[] = L"Tarnavel twin";
constexpr wchar_t kBareTitle[] = L"Tarnavel bare";
constexpr UINT kTrayCallback = WM_USER + 101;

// Settings for a start with monitoring off, the interval given, and these
// windows queued.
void prepare(Ctx& ctx, const std::wstring& h, const std::wstring& m, const std::wstring& s,
             const std::vector<std::pair<HWND, std::wstring>>& queued) {
  freshSettings(ctx);
  std::vector<QueueRow> rows;
  for (const auto& [w, title] : queued)
    rows.push_back(stored(w, title));
  ctx.require(writeSetting(kStartStop, L"Off") && writeSetting(L"Text1", h) &&
                  writeSetting(L"Text2", m) && writeSetting(L"Text3", s) &&
                  writeSetting(kQueuedWindows, storedQueue(rows)),
              "could not write the settings");
}

// Turns monitoring on with the button; the moment the caption changed, on
// GetTickCount64, the clock of the targets' band entries.
ULONGLONG turnOn(Ctx& ctx, Session& s) {
  const HWND button = requireButton(ctx, s, kTurnOn);
  takeBandEntries();
  ctx.require(s.app->press(button), "could not press \"Turn On\"");
  ULONGLONG at = 0;
  ctx.require(waitUntil(
                  [&] {
                    at = GetTickCount64();
                    return remoteText(button) == kTurnOff;
                  },
                  kChangeTimeoutMs, 0),
              "the button did not turn to \"Turn Off\"");
  return at;
}

void hideToTray(Ctx& ctx, Session& s) {
  PostMessageW(s.main(), WM_SYSCOMMAND, SC_MINIMIZE, 0);
  ctx.check(waitUntil([&] { return !IsWindowVisible(s.main()); }, kChangeTimeoutMs),
            "minimising left the window on screen");
}

void showFromTray(Ctx& ctx, Session& s) {
  // What a release of the left button on the icon sends.
  PostMessageW(s.main(), kTrayCallback, 1, WM_LBUTTONUP);
  ctx.check(
      waitUntil([&] { return IsWindowVisible(s.main()) && !IsIconic(s.main()); }, kChangeTimeoutMs),
      "the tray icon's click did not bring the window back");
}

std::string describe(const bench::WindowsFigures& w, const std::optional<bench::UnixFigures>& u) {
  char line[256];
  std::snprintf(line, sizeof line,
                "working set %.2f MB, private %.2f MB, handles %lu, GDI %lu, USER %lu; "
                "unix RSS %.2f MB, fds %d",
                w.workingSetMb, w.privateMb, w.handles, w.gdiObjects, w.userObjects,
                u ? u->rssMb : -1.0, u ? u->fds : -1);
  return line;
}

std::wstring fileName(const std::wstring& path) {
  return path.substr(path.find_last_of(L"\\/") + 1);
}

struct Sample {
  double seconds;
  bench::WindowsFigures win;
  std::optional<bench::UnixFigures> unix;
};

Sample sample(DWORD pid, int unixPid, double since) {
  Sample s{(nowMs() - since) / 1000.0, bench::windowsFigures(pid).value_or(bench::WindowsFigures{}),
           unixPid > 0 ? bench::unixFigures(unixPid) : std::nullopt};
  return s;
}

double median(std::vector<double> v) {
  std::sort(v.begin(), v.end());
  return v[v.size() / 2];
}

double percent(double from, double to) {
  return from > 0 ? (to - from) / from * 100.0 : 0;
}

// --- start-up -----------------------------------------------------------------

// Launch to main window shown, for the program, its twin and a bare window
// in turn, several rounds; the median of each.
void startupCase(Ctx& ctx) {
  const int rounds = 5;
  freshSettings(ctx);
  ctx.require(writeSetting(kStartStop, L"Off"), "could not write the settings");
  std::vector<double> times[3];
  const std::wstring exes[3] = {ctx.options().appPath,
                                bench::besideThisProgram(L"tarnavel_twin.exe"),
                                bench::besideThisProgram(L"tarnavel_bare.exe")};
  const std::wstring titles[3] = {kTitle, kTwinTitle, kBareTitle};
  for (int r = 0; r < rounds; ++r) {
    for (int k = 0; k < 3; ++k) {
      bench::Launched app(exes[k], titles[k], kStartTimeoutMs);
      ctx.require(app.ok(), "no main window of " + utf8(exes[k]));
      times[k].push_back(app.startMs());
      Sleep(300);
    }
  }
  double median[3];
  for (int k = 0; k < 3; ++k) {
    std::sort(times[k].begin(), times[k].end());
    median[k] = times[k][times[k].size() / 2];
  }
  figure(
      "startup tarnavel_ms=%.0f twin_ms=%.0f bare_ms=%.0f ratio_twin=%.2f "
      "(median of %d; tarnavel %.0f-%.0f, twin %.0f-%.0f)",
      median[0], median[1], median[2], median[0] / median[1], rounds, times[0].front(),
      times[0].back(), times[1].front(), times[1].back());
}

// --- memory ---------------------------------------------------------------------

// The program switching every second among three windows, beside its twin
// and a bare window; samples every minute, the window hidden in the tray and
// shown in turn.
void memoryCase(Ctx& ctx) {
  const int duration = seconds(120);
  auto host = targetHost(ctx);
  std::vector<std::pair<HWND, std::wstring>> queued;
  for (int i = 1; i <= 3; ++i) {
    const std::wstring title = L"Memory target " + std::to_wstring(i);
    queued.push_back({target(ctx, *host, title), title});
  }
  settle();
  prepare(ctx, L"0", L"0", L"1", queued);
  auto s = startProgram(ctx);
  bench::Launched twin(bench::besideThisProgram(L"tarnavel_twin.exe"), kTwinTitle, kStartTimeoutMs);
  bench::Launched bare(bench::besideThisProgram(L"tarnavel_bare.exe"), kBareTitle, kStartTimeoutMs);
  ctx.require(twin.ok() && bare.ok(), "the twin or the bare window did not start");
  Sleep(3000);
  const int uApp = bench::unixPidOf(fileName(ctx.options().appPath)).value_or(0);
  const int uTwin = bench::unixPidOf(L"tarnavel_twin.exe").value_or(0);
  const int uBare = bench::unixPidOf(L"tarnavel_bare.exe").value_or(0);
  const double t0 = nowMs();
  const Sample app0 = sample(s->app->pid(), uApp, t0);
  const Sample twin0 = sample(twin.pid(), uTwin, t0);
  const Sample bare0 = sample(bare.pid(), uBare, t0);
  figure(
      "memory_start tarnavel_mb=%.2f twin_mb=%.2f bare_mb=%.2f ratio_twin=%.3f "
      "ratio_bare=%.3f (working sets, all three shown)",
      app0.win.workingSetMb, twin0.win.workingSetMb, bare0.win.workingSetMb,
      app0.win.workingSetMb / twin0.win.workingSetMb,
      app0.win.workingSetMb / bare0.win.workingSetMb);
  printLine("  tarnavel: " + describe(app0.win, app0.unix));
  printLine("  twin:     " + describe(twin0.win, twin0.unix));
  printLine("  bare:     " + describe(bare0.win, bare0.unix));

  turnOn(ctx, *s);  // hides the window into the tray
  waitUntil([&] { return !IsWindowVisible(s->main()); }, kChangeTimeoutMs);
  const double on = nowMs();
  std::size_t switches = 0;
  bool shown = false;
  double nextToggle = on + 30000, nextSample = on + 60000;
  Sample firstShown = app0, lastShown = app0, lastHidden = app0;
  bool haveHidden = false;
  while (nowMs() - on < duration * 1000.0) {
    switches += takeBandEntries().size();
    if (nowMs() >= nextSample) {
      const Sample now = sample(s->app->pid(), uApp, on);
      printLine("  " + std::to_string(static_cast<int>(now.seconds)) + " s, " +
                (shown ? "shown" : "hidden") + ": " + describe(now.win, now.unix));
      nextSample += 60000;
    }
    if (nowMs() >= nextToggle) {
      // Each state is sampled as it is left, once it has settled.
      const Sample now = sample(s->app->pid(), uApp, on);
      if (shown) {
        lastShown = now;
        hideToTray(ctx, *s);
      } else {
        lastHidden = now;
        haveHidden = true;
        showFromTray(ctx, *s);
      }
      shown = !shown;
      nextToggle += 30000;
    }
    Sleep(50);
  }
  const Sample end = sample(s->app->pid(), uApp, on);
  (shown ? lastShown : lastHidden) = end;
  if (!haveHidden) lastHidden = end;
  figure(
      "memory_run seconds=%d switches=%zu shown_mb=%.2f (start %.2f, %+.2f %%) hidden_mb=%.2f "
      "ratio_twin=%.3f ratio_bare=%.3f twin_now_mb=%.2f",
      duration, switches, lastShown.win.workingSetMb, firstShown.win.workingSetMb,
      percent(firstShown.win.workingSetMb, lastShown.win.workingSetMb), lastHidden.win.workingSetMb,
      lastShown.win.workingSetMb / bench::windowsFigures(twin.pid())->workingSetMb,
      lastShown.win.workingSetMb / bench::windowsFigures(bare.pid())->workingSetMb,
      bench::windowsFigures(twin.pid())->workingSetMb);
  ctx.check(s->app->messageBoxes().empty(), "a message box is open");
  closeProgram(ctx, *s, "after the memory run");
}

// What the program holds beyond its twin, piece by piece: the twin with the
// DLLs only the program's behaviour loads, beside the program and the twin.
void accountCase(Ctx& ctx) {
  freshSettings(ctx);
  ctx.require(writeSetting(kStartStop, L"Off"), "could not write the settings");
  auto s = startProgram(ctx);
  const std::wstring twinExe = bench::besideThisProgram(L"tarnavel_twin.exe");
  const std::vector<std::wstring> variants = {L"", L"--load shell32.dll"};
  std::vector<std::unique_ptr<bench::Launched>> twins;
  for (const auto& args : variants) {
    twins.push_back(std::make_unique<bench::Launched>(twinExe, kTwinTitle, kStartTimeoutMs, args));
    ctx.require(twins.back()->ok(), "a twin did not start");
  }
  Sleep(3000);
  figure("memory_account tarnavel_mb=%.2f", bench::windowsFigures(s->app->pid())->workingSetMb);
  for (std::size_t k = 0; k < variants.size(); ++k) {
    figure("memory_account twin%s_mb=%.2f", utf8(variants[k]).c_str(),
           bench::windowsFigures(twins[k]->pid())->workingSetMb);
  }
  closeProgram(ctx, *s, "after the accounting");
}

// --- idle -------------------------------------------------------------------------

// CPU of the program with monitoring on, hidden in the tray, then shown; the
// twin beside it over the same time. With no interval, nothing to switch (an
// interval of an hour: the tick still runs every second); with one, the
// program switches between two windows every interval seconds.
void idleCase(Ctx& ctx, int interval) {
  const int phase = seconds(60);
  auto host = targetHost(ctx);
  std::vector<std::pair<HWND, std::wstring>> queued;
  for (int i = 1; i <= (interval > 0 ? 2 : 1); ++i) {
    const std::wstring title = L"Idle target " + std::to_wstring(i);
    queued.push_back({target(ctx, *host, title), title});
  }
  settle();
  if (interval > 0) {
    prepare(ctx, L"0", L"0", std::to_wstring(interval), queued);
  } else {
    prepare(ctx, L"1", L"0", L"0", queued);
  }
  // The wine server's own time with none of ours running: its floor.
  int uServer = bench::unixPidOf(L"wineserver64").value_or(0);
  if (uServer == 0) uServer = bench::unixPidOf(L"wineserver").value_or(0);
  const int floorSeconds = std::min(phase, 30);
  double floor = -1;
  if (uServer > 0) {
    Sleep(2000);
    const auto f0 = bench::unixFigures(uServer);
    const double t0 = nowMs();
    Sleep(static_cast<DWORD>(floorSeconds) * 1000);
    const auto f1 = bench::unixFigures(uServer);
    if (f0 && f1) floor = (f1->cpuMs - f0->cpuMs) / (nowMs() - t0) * 100.0;
  }
  auto s = startProgram(ctx);
  bench::Launched twin(bench::besideThisProgram(L"tarnavel_twin.exe"), kTwinTitle, kStartTimeoutMs);
  ctx.require(twin.ok(), "the twin did not start");
  turnOn(ctx, *s);
  ctx.check(waitUntil([&] { return !IsWindowVisible(s->main()); }, kChangeTimeoutMs),
            "turning on left the window on screen");
  const int uApp = bench::unixPidOf(fileName(ctx.options().appPath)).value_or(0);
  const int uTwin = bench::unixPidOf(L"tarnavel_twin.exe").value_or(0);
  ctx.require(uApp > 0 && uTwin > 0, "the Unix processes were not found");
  // Most of what a Windows call costs under Wine is the wine server's: its
  // time over the phase is that of every process of this prefix (the driver
  // and the targets sleep meanwhile, the twin waits for messages).
  const std::string name = interval > 0 ? "idle_" + std::to_string(interval) + "s" : "idle";
  for (const char* state : {"hidden", "shown"}) {
    if (std::string(state) == "shown") showFromTray(ctx, *s);
    Sleep(3000);
    takeBandEntries();
    const double t0 = nowMs();
    const auto a0 = bench::unixFigures(uApp), b0 = bench::unixFigures(uTwin);
    const auto w0 = bench::windowsFigures(s->app->pid());
    const auto v0 = uServer > 0 ? bench::unixFigures(uServer) : std::nullopt;
    Sleep(static_cast<DWORD>(phase) * 1000);
    const auto a1 = bench::unixFigures(uApp), b1 = bench::unixFigures(uTwin);
    const auto w1 = bench::windowsFigures(s->app->pid());
    const auto v1 = uServer > 0 ? bench::unixFigures(uServer) : std::nullopt;
    const double server = v0 && v1 ? v1->cpuMs - v0->cpuMs : -1;
    const double span = nowMs() - t0;
    const std::size_t switches = takeBandEntries().size();
    ctx.require(a0 && a1 && b0 && b1 && w0 && w1, "the times could not be read");
    figure(
        "%s_%s seconds=%.0f unix_cpu_ms=%.0f unix_pct=%.4f getprocesstimes_ms=%.1f "
        "gpt_pct=%.4f twin_unix_cpu_ms=%.0f switches=%zu server_cpu_ms=%.0f server_pct=%.4f "
        "server_floor_pct=%.4f",
        name.c_str(), state, span / 1000.0, a1->cpuMs - a0->cpuMs,
        (a1->cpuMs - a0->cpuMs) / span * 100.0, w1->cpuMs - w0->cpuMs,
        (w1->cpuMs - w0->cpuMs) / span * 100.0, b1->cpuMs - b0->cpuMs, switches, server,
        server / span * 100.0, floor);
    if (interval == 0) ctx.check(switches == 0, "a switch came while idle");
  }
  closeProgram(ctx, *s, "after the idle run");
}

// --- switch precision ---------------------------------------------------------------

double loadAverage() {
  HANDLE f = CreateFileW(L"Z:\\proc\\loadavg", GENERIC_READ, FILE_SHARE_READ, nullptr,
                         OPEN_EXISTING, 0, nullptr);
  if (f == INVALID_HANDLE_VALUE) return -1;
  char text[128] = {};
  DWORD got = 0;
  ReadFile(f, text, sizeof text - 1, &got, nullptr);
  CloseHandle(f);
  return std::atof(text);
}

// A window class of this program, registered.
WNDCLASSW windowClass(const wchar_t* name, WNDPROC procedure) {
  WNDCLASSW wc{};
  wc.lpfnWndProc = procedure;
  wc.hInstance = GetModuleHandleW(nullptr);
  wc.lpszClassName = name;
  RegisterClassW(&wc);
  return wc;
}

// Target windows of their own thread that stamp, on the performance counter
// (the program paces its ticks on it too), their activation and their entry
// into the topmost band: the two steps of a switch they can see.
class StampedTargets {
 public:
  struct Stamp {
    HWND window;
    bool band;  // entry into the topmost band; otherwise an activation
    double atMs;
  };
  explicit StampedTargets(int count) {
    thread_ = std::thread([this, count] {
      const WNDCLASSW wc = windowClass(L"TarnavelBench.Target", &StampedTargets::procedure);
      for (int i = 1; i <= count; ++i) {
        const std::wstring title = L"Precision target " + std::to_wstring(i);
        HWND w =
            CreateWindowExW(0, wc.lpszClassName, title.c_str(), WS_OVERLAPPEDWINDOW, 100 + 40 * i,
                            100 + 40 * i, 400, 300, nullptr, nullptr, wc.hInstance, nullptr);
        ShowWindow(w, SW_SHOWNORMAL);
        windows_.push_back({w, title});
      }
      ready_ = GetCurrentThreadId();
      MSG m;
      while (GetMessageW(&m, nullptr, 0, 0) > 0)
        DispatchMessageW(&m);
      for (const auto& [w, title] : windows_)
        DestroyWindow(w);
    });
    while (ready_ == 0)
      Sleep(10);
  }
  ~StampedTargets() {
    PostThreadMessageW(ready_, WM_QUIT, 0, 0);
    thread_.join();
  }
  const std::vector<std::pair<HWND, std::wstring>>& windows() const { return windows_; }
  static std::vector<Stamp> take() {
    std::lock_guard<std::mutex> lock(mutex_);
    return std::exchange(stamps_, {});
  }

 private:
  static LRESULT CALLBACK procedure(HWND w, UINT message, WPARAM wParam, LPARAM lParam) {
    if (message == WM_WINDOWPOSCHANGING) {
      const auto* pos = reinterpret_cast<const WINDOWPOS*>(lParam);
      if ((pos->flags & SWP_NOZORDER) == 0 && pos->hwndInsertAfter == HWND_TOPMOST) {
        std::lock_guard<std::mutex> lock(mutex_);
        stamps_.push_back({w, true, nowMs()});
      }
    }
    if (message == WM_ACTIVATE && LOWORD(wParam) != WA_INACTIVE) {
      std::lock_guard<std::mutex> lock(mutex_);
      stamps_.push_back({w, false, nowMs()});
    }
    return DefWindowProcW(w, message, wParam, lParam);
  }

  std::thread thread_;
  std::atomic<DWORD> ready_{0};
  std::vector<std::pair<HWND, std::wstring>> windows_;
  static inline std::mutex mutex_;
  static inline std::vector<Stamp> stamps_;
};

// Switching between two windows every interval seconds: each switch (the
// target entering the topmost band) against its place in the schedule,
// counted from the moment the button's caption turned to "Turn Off" (read
// from the system's copy of the text, polled without pause; the timer is
// armed right after). Beside it, a thread of the driver sleeps to the same
// schedule: when it is late too, the machine was.
void precisionCase(Ctx& ctx, int interval) {
  const int duration = seconds(interval == 1 ? 60 : 120);
  StampedTargets targets(2);
  settle();
  prepare(ctx, L"0", L"0", std::to_wstring(interval), targets.windows());
  auto s = startProgram(ctx);
  const double load0 = loadAverage();
  const HWND button = requireButton(ctx, *s, kTurnOn);
  StampedTargets::take();
  ctx.require(s->app->press(button), "could not press \"Turn On\"");
  double on = 0;
  ctx.require(waitUntil(
                  [&] {
                    wchar_t text[32];
                    const int n = InternalGetWindowText(button, text, 32);
                    on = nowMs();
                    return std::wstring(text, static_cast<size_t>(n)) == kTurnOff;
                  },
                  kChangeTimeoutMs, 0),
              "the button did not turn to \"Turn Off\"");
  std::vector<double> control;
  std::thread pacer([&] {
    for (int k = 1; k * interval <= duration; ++k) {
      const double due = on + 1000.0 * interval * k;
      const double wait = due - nowMs();
      if (wait > 0) Sleep(static_cast<DWORD>(wait));
      control.push_back(nowMs() - due);
    }
  });
  const std::size_t wanted = static_cast<std::size_t>(duration / interval);
  std::vector<StampedTargets::Stamp> band, activations;
  const double until = on + 1000.0 * (duration + interval) + 5000;
  while (band.size() < wanted && nowMs() < until) {
    Sleep(50);
    for (const auto& stamp : StampedTargets::take())
      (stamp.band ? band : activations).push_back(stamp);
  }
  pacer.join();
  const double load1 = loadAverage();
  ctx.require(band.size() == wanted,
              std::to_string(band.size()) + " switches of " + std::to_string(wanted));
  std::vector<double> off, activationOff;
  for (std::size_t k = 0; k < band.size(); ++k) {
    const double due = on + 1000.0 * interval * static_cast<double>(k + 1);
    off.push_back(band[k].atMs - due);
    for (const auto& a : activations) {
      if (a.window == band[k].window && a.atMs <= band[k].atMs && a.atMs > due - 500) {
        activationOff.push_back(a.atMs - due);
        break;
      }
    }
  }
  double sum = 0, worst = 0, controlWorst = 0, controlSum = 0, activationSum = 0;
  std::size_t worstAt = 0;
  for (std::size_t k = 0; k < off.size(); ++k) {
    sum += std::fabs(off[k]);
    if (std::fabs(off[k]) > worst) worst = std::fabs(off[k]), worstAt = k;
  }
  for (double late : control)
    controlSum += late, controlWorst = std::max(controlWorst, late);
  for (double a : activationOff)
    activationSum += a;
  // The mean of the last tenth against the mean of the first: the drift.
  const std::size_t tenth = std::max<std::size_t>(1, off.size() / 10);
  double head = 0, tail = 0;
  for (std::size_t k = 0; k < tenth; ++k)
    head += off[k], tail += off[off.size() - 1 - k];
  figure(
      "precision_%ds seconds=%d switches=%zu mean_ms=%.1f worst_ms=%.1f (switch %zu) "
      "first_ms=%.1f last_ms=%.1f drift_ms=%.1f activation_mean_ms=%.1f "
      "control_mean_ms=%.1f control_worst_ms=%.1f load=%.2f->%.2f",
      interval, duration, off.size(), sum / static_cast<double>(off.size()), worst, worstAt + 1,
      off.front(), off.back(), (tail - head) / static_cast<double>(tenth),
      activationOff.empty() ? -1.0 : activationSum / static_cast<double>(activationOff.size()),
      controlSum / static_cast<double>(control.size()), controlWorst, load0, load1);
  std::string spread = "  switches 20 ms or more off:";
  for (std::size_t k = 0; k < off.size(); ++k) {
    if (std::fabs(off[k]) >= 20)
      spread += " #" + std::to_string(k + 1) + "=" + std::to_string(static_cast<int>(off[k]));
  }
  printLine(spread);
  closeProgram(ctx, *s, "after the precision run");
}

// --- hotkey -------------------------------------------------------------------------

void sendKey(WORD key, bool down) {
  INPUT in{};
  in.type = INPUT_KEYBOARD;
  in.ki.wVk = key;
  in.ki.dwFlags = down ? 0 : KEYEVENTF_KEYUP;
  SendInput(1, &in, sizeof in);
}

// Ctrl+Shift+T pressed through the system's input: from the T key's press
// to the button's new caption, read as fast as the program answers.
void hotkeyCase(Ctx& ctx) {
  auto host = targetHost(ctx);
  const HWND w = target(ctx, *host, L"Hotkey target");
  settle();
  prepare(ctx, L"0", L"1", L"0", {{w, L"Hotkey target"}});
  auto s = startProgram(ctx);
  const HWND button = requireButton(ctx, *s, kTurnOn);
  std::vector<double> times;
  for (int i = 0; i < 10; ++i) {
    const std::wstring before = remoteText(button);
    sendKey(VK_CONTROL, true);
    sendKey(VK_SHIFT, true);
    Sleep(50);
    const double t0 = nowMs();
    sendKey('T', true);
    double t1 = 0;
    const bool changed = waitUntil(
        [&] {
          t1 = nowMs();
          return remoteText(button) != before;
        },
        kChangeTimeoutMs, 0);
    sendKey('T', false);
    sendKey(VK_SHIFT, false);
    sendKey(VK_CONTROL, false);
    ctx.require(changed,
                "the chord did not change the button (press " + std::to_string(i + 1) + ")");
    times.push_back(t1 - t0);
    Sleep(400);
    ctx.require(s->app->dismissAllBoxes().empty(), "a box after the chord");
  }
  std::sort(times.begin(), times.end());
  double sum = 0;
  for (double t : times)
    sum += t;
  figure("hotkey presses=%zu mean_ms=%.1f median_ms=%.1f worst_ms=%.1f", times.size(),
         sum / static_cast<double>(times.size()), times[times.size() / 2], times.back());
  closeProgram(ctx, *s, "after the chord");
}

// The program's keyboard hook itself, in this process (the program is not
// started): a second hook installed after it is called before it, and times
// on the performance counter the call that passes each T key on down the
// chain. Without the program's hook the same call reaches the end of the
// chain at once; the difference is the time spent in the program's callback.
class TimedHookChain {
 public:
  explicit TimedHookChain(bool withProgramHook) {
    thread_ = std::thread([this, withProgramHook] {
      const WNDCLASSW wc = windowClass(L"TarnavelBench.HookTarget", &TimedHookChain::procedure);
      const tarnavel::win32::Window target(CreateWindowExW(
          0, wc.lpszClassName, L"", 0, 0, 0, 0, 0, HWND_MESSAGE, nullptr, wc.hInstance, nullptr));
      tarnavel::win32::KeyboardHook hook(target.get());
      try {
        if (withProgramHook) hook.install();
      } catch (const tarnavel::AppError&) {
        // Not installed: ok() says so.
      }
      // Installed last, so called first.
      const tarnavel::win32::Hook timing(
          SetWindowsHookExW(WH_KEYBOARD_LL, &TimedHookChain::timing, wc.hInstance, 0));
      ok_ = target && timing && (!withProgramHook || hook.installed());
      ready_ = GetCurrentThreadId();
      MSG m;
      while (GetMessageW(&m, nullptr, 0, 0) > 0)
        DispatchMessageW(&m);
    });
    while (ready_ == 0)
      Sleep(10);
  }
  ~TimedHookChain() {
    PostThreadMessageW(ready_, WM_QUIT, 0, 0);
    thread_.join();
  }
  bool ok() const { return ok_; }
  static int toggles() { return toggles_; }
  // The times of the T keys passed on since the last call, in microseconds.
  static std::vector<double> take() {
    std::lock_guard<std::mutex> lock(mutex_);
    return std::exchange(times_, {});
  }
  // The times of asking for the state of Ctrl and Shift, in microseconds.
  static std::vector<double> takeModifiers() {
    std::lock_guard<std::mutex> lock(mutex_);
    return std::exchange(modifiers_, {});
  }

 private:
  static LRESULT CALLBACK timing(int code, WPARAM wParam, LPARAM lParam) {
    LARGE_INTEGER before{}, after{}, frequency{};
    QueryPerformanceCounter(&before);
    const LRESULT result = CallNextHookEx(nullptr, code, wParam, lParam);
    QueryPerformanceCounter(&after);
    QueryPerformanceFrequency(&frequency);
    if (code == HC_ACTION && reinterpret_cast<const KBDLLHOOKSTRUCT*>(lParam)->vkCode == 'T') {
      // What the callback asks of the system besides passing the key on,
      // once more here: the state of Ctrl and Shift.
      LARGE_INTEGER asked{};
      GetAsyncKeyState(VK_CONTROL);
      GetAsyncKeyState(VK_SHIFT);
      QueryPerformanceCounter(&asked);
      const auto us = [&](const LARGE_INTEGER& from, const LARGE_INTEGER& to) {
        return static_cast<double>(to.QuadPart - from.QuadPart) * 1e6 /
               static_cast<double>(frequency.QuadPart);
      };
      std::lock_guard<std::mutex> lock(mutex_);
      times_.push_back(us(before, after));
      modifiers_.push_back(us(after, asked));
    }
    return result;
  }
  static LRESULT CALLBACK procedure(HWND w, UINT message, WPARAM wParam, LPARAM lParam) {
    if (message == tarnavel::win32::kToggleMessage) ++toggles_;
    return DefWindowProcW(w, message, wParam, lParam);
  }

  std::thread thread_;
  std::atomic<DWORD> ready_{0};
  bool ok_ = false;
  static inline std::atomic<int> toggles_{0};
  static inline std::mutex mutex_;
  static inline std::vector<double> times_;
  static inline std::vector<double> modifiers_;
};

void hookCase(Ctx& ctx) {
  const int presses = 50;
  double medians[2] = {}, worst[2] = {};
  for (const bool withProgramHook : {false, true}) {
    TimedHookChain chain(withProgramHook);
    ctx.require(chain.ok(), "the hooks could not be installed");
    TimedHookChain::take();
    TimedHookChain::takeModifiers();
    const int toggles0 = TimedHookChain::toggles();
    for (int i = 0; i < presses; ++i) {
      sendKey(VK_CONTROL, true);
      sendKey(VK_SHIFT, true);
      sendKey('T', true);
      sendKey('T', false);
      sendKey(VK_SHIFT, false);
      sendKey(VK_CONTROL, false);
      Sleep(20);
    }
    std::vector<double> times;
    waitUntil(
        [&] {
          for (double t : TimedHookChain::take())
            times.push_back(t);
          return times.size() >= 2 * presses;
        },
        kChangeTimeoutMs);
    ctx.require(times.size() == 2 * presses, std::to_string(times.size()) + " T keys of " +
                                                 std::to_string(2 * presses) +
                                                 " went through the hooks");
    if (withProgramHook) {
      ctx.check(waitUntil([&] { return TimedHookChain::toggles() - toggles0 == 2 * presses; },
                          kChangeTimeoutMs),
                "the program's hook posted " +
                    std::to_string(TimedHookChain::toggles() - toggles0) + " events for " +
                    std::to_string(2 * presses) + " T keys");
    }
    if (!withProgramHook) {
      const auto asked = TimedHookChain::takeModifiers();
      char line[160];
      std::snprintf(
          line, sizeof line,
          "  GetAsyncKeyState of Ctrl and Shift from a hook, the chord held: median %.1f us",
          median(asked));
      printLine(line);
    }
    medians[withProgramHook] = median(times);
    worst[withProgramHook] = *std::max_element(times.begin(), times.end());
  }
  figure(
      "hook_callback us=%.1f (median with the program's hook %.1f us, worst %.1f us; "
      "the chain without it %.1f us, worst %.1f us; %d presses of Ctrl+Shift+T)",
      medians[1] - medians[0], medians[1], worst[1], medians[0], worst[0], presses);
}

// --- scale ----------------------------------------------------------------------------

// "Refresh List" clicked and waited for: the click is sent, so it returns
// when the handler has run, and the window's pending repaint is carried out
// before the clock stops.
double timedRefresh(Ctx& ctx, Session& s) {
  const HWND button = requireButton(ctx, s, kRefresh);
  const double t0 = nowMs();
  DWORD_PTR answer = 0;
  ctx.require(SendMessageTimeoutW(
                  GetParent(button), WM_COMMAND, MAKEWPARAM(GetDlgCtrlID(button), BN_CLICKED),
                  reinterpret_cast<LPARAM>(button), SMTO_NORMAL, 60000, &answer) != 0,
              "the program did not take the click of \"Refresh List\"");
  RedrawWindow(s.main(), nullptr, nullptr, RDW_UPDATENOW | RDW_ALLCHILDREN);
  return nowMs() - t0;
}

// The same titles under new windows: what closing and reopening every one
// of them leaves the queue with.
void reopen(Ctx& ctx, TargetHost& host, std::vector<std::pair<HWND, std::wstring>>& windows) {
  for (auto& [w, title] : windows) {
    host.destroy(w);
    w = target(ctx, host, title, TargetKind::Bare);
  }
}

// The walk asks every window for the length of its title, a message its
// thread answers: for a while after they were made, the windows' thread is
// busy with what the system tells it of them, and the answers come late.
// Waits until asking all of them takes as long twice in a row; the time.
double quietWindows(const std::vector<std::pair<HWND, std::wstring>>& windows) {
  double last = 1e9;
  for (int round = 0; round < 40; ++round) {
    const double t0 = nowMs();
    for (const auto& [w, title] : windows)
      SendMessageW(w, WM_GETTEXTLENGTH, 0, 0);
    const double took = nowMs() - t0;
    if (std::fabs(took - last) < 0.15 * last) return took;
    last = took;
    Sleep(200);
  }
  return last;
}

// 1001 real windows. "Refresh List" walks and lists them all; clicked with
// 1000 queued rows whose titles all match listed windows against the same
// clicks with an empty queue, the difference is the marking: once with the
// rows naming their windows (every click after the first), once after the
// windows were reopened under new handles (every row found by its title,
// rebound, and the queue stored). Sessions with and without the rows take
// turns, so that the machine's load falls on both alike.
void scaleCase(Ctx& ctx) {
  auto host = targetHost(ctx);
  std::vector<std::pair<HWND, std::wstring>> windows;
  double t0 = nowMs();
  for (int i = 0; i < 1001; ++i) {
    const std::wstring title = L"Scale window " + std::to_wstring(i);
    windows.push_back({target(ctx, *host, title, TargetKind::Bare), title});
  }
  printLine("  1001 windows made in " + std::to_string(static_cast<int>(nowMs() - t0)) + " ms");
  settle();
  std::vector<QueueRow> rows;
  for (int i = 0; i < 1000; ++i)
    rows.push_back({std::to_wstring(0x7ff00000 + i), windows[static_cast<size_t>(i)].second, L""});
  const std::wstring storedRows = storedQueue(rows);
  std::vector<double> empty, named, emptyReopened, reopened;
  for (int round = 0; round < 2; ++round) {
    for (const bool queued : {false, true}) {
      prepare(ctx, L"0", L"0", L"5", {});
      if (queued) {
        ctx.require(writeSetting(kQueuedWindows, storedRows), "could not store the rows");
      }
      auto s = startProgram(ctx);
      const auto rebound = [&](const std::string& when) {
        const Rows shown = queueRows(ctx, *s);
        int right = 0;
        for (std::size_t i = 0; i < shown.size() && i < 1000; ++i)
          right += shown[i] == row(windows[i].first, windows[i].second, kValid) ? 1 : 0;
        ctx.check(shown.size() == 1000 && right == 1000,
                  std::to_string(right) + " of " + std::to_string(shown.size()) +
                      " rows rebound to their windows " + when);
      };
      if (queued && round == 0) rebound("at the start");
      const double asking = quietWindows(windows);
      if (round == 0 && !queued) {
        printLine("  asking the 1001 windows their title's length from here: " +
                  std::to_string(static_cast<int>(asking)) + " ms");
        // The program's walk over every top-level window, run here, against
        // the same walk asking each window's thread for its title.
        tarnavel::win32::WindowSystem system;
        auto table = std::make_unique<tarnavel::WindowTable>();
        std::vector<double> walk, asked;
        int listed = 0, askedListed = 0;
        for (int k = 0; k < 5; ++k) {
          double t = nowMs();
          listed =
              tarnavel::ListTopWindows(*table, system, tarnavel::win32::toHwnd32(windows[0].first));
          walk.push_back(nowMs() - t);
          t = nowMs();
          askedListed = 0;
          for (HWND w = GetWindow(GetDesktopWindow(), GW_CHILD); w != nullptr;
               w = GetWindow(w, GW_HWNDNEXT)) {
            if (!tarnavel::IsAppWindow(system, tarnavel::win32::toHwnd32(w))) continue;
            const int length = GetWindowTextLengthW(w);
            std::wstring title(static_cast<std::size_t>(length) + 1, L'\0');
            askedListed += GetWindowTextW(w, title.data(), length + 1) > 0 ? 1 : 0;
          }
          asked.push_back(nowMs() - t);
        }
        figure("scale_walk_1001 ms=%.1f listed=%d asked_ms=%.1f asked_listed=%d (medians of 5)",
               median(walk), listed, median(asked), askedListed);
      }
      // The first click is not timed: it meets what the start left to do.
      timedRefresh(ctx, *s);
      for (int k = 0; k < 4; ++k)
        (queued ? named : empty).push_back(timedRefresh(ctx, *s));
      ctx.check(s->available->count() == 1001,
                "the list shows " + std::to_string(s->available->count()) + " windows");
      for (int k = 0; k < (queued ? 2 : 1); ++k) {
        t0 = nowMs();
        reopen(ctx, *host, windows);
        const double made = nowMs() - t0;
        const double quiet = quietWindows(windows);
        if (round == 0 && k == 0 && !queued) {
          printLine("  1001 windows reopened in " + std::to_string(static_cast<int>(made)) +
                    " ms, quiet after " + std::to_string(static_cast<int>(nowMs() - t0 - made)) +
                    " ms (" + std::to_string(static_cast<int>(quiet)) + " ms to ask them all)");
        }
        (queued ? reopened : emptyReopened).push_back(timedRefresh(ctx, *s));
      }
      if (queued && round == 1) rebound("after the windows were reopened");
      closeProgram(ctx, *s, "after the clicks");
    }
  }
  const auto list = [](const char* what, const std::vector<double>& v) {
    std::string line = "  ";
    line += what;
    line += " ms:";
    for (double t : v)
      line += ' ' + std::to_string(std::lround(t));
    printLine(line);
  };
  list("empty queue", empty);
  list("1000 rows naming their windows", named);
  list("empty queue, windows reopened", emptyReopened);
  list("1000 rows rebound after reopening", reopened);
  figure("scale_refresh_1001 ms=%.1f (median of %zu clicks: walk, list, re-mark, repaint)",
         median(empty), empty.size());
  figure(
      "scale_marking_1000_named ms=%.1f refresh_ms=%.1f empty_queue_ms=%.1f "
      "(medians of %zu clicks each, 1000 rows naming their listed windows)",
      median(named) - median(empty), median(named), median(empty), named.size());
  figure(
      "scale_marking_1000_rebound ms=%.1f refresh_ms=%.1f empty_queue_ms=%.1f "
      "(medians of %zu and %zu clicks, each after reopening the windows: every row found by its "
      "title, rebound and stored)",
      median(reopened) - median(emptyReopened), median(reopened), median(emptyReopened),
      reopened.size(), emptyReopened.size());
}

// The marking alone, in this process: the program's own SwitchQueue over the
// program's main window (its window class and controls, shown), 1001 listed
// titles and 1000 queued rows of those titles; the performance counter
// around each marking and the repaint it leaves. The click's walk, which
// asks every window for its title and depends on how soon their threads
// answer, is not in it.
// The common controls the program's main window is made of.
void initControls() {
  INITCOMMONCONTROLSEX classes{};
  classes.dwSize = sizeof classes;
  classes.dwICC = ICC_WIN95_CLASSES | ICC_DATE_CLASSES | ICC_LISTVIEW_CLASSES;
  InitCommonControlsEx(&classes);
}

// What a shown window pays each second while monitoring: the status line's
// new caption and the bar's new value, painted. In this process, timed by
// the thread's own CPU time over many updates.
void countdownCase(Ctx& ctx) {
  using namespace tarnavel;
  initControls();
  win32::MainWindow window(GetModuleHandleW(nullptr));
  window.setCaption("Tarnavel countdown");
  window.setVisible(true);
  const Form1Controls ui = window.controls();
  ui.ProgressBar1.setMax(600);
  const auto pump = [] {
    MSG m;
    while (PeekMessageW(&m, nullptr, 0, 0, PM_REMOVE))
      DispatchMessageW(&m);
  };
  const auto cpuMs = [] {
    FILETIME created, ended, kernel, user;
    GetThreadTimes(GetCurrentThread(), &created, &ended, &kernel, &user);
    const auto ms = [](const FILETIME& t) {
      return static_cast<double>((static_cast<unsigned long long>(t.dwHighDateTime) << 32) |
                                 t.dwLowDateTime) /
             10000.0;
    };
    return ms(kernel) + ms(user);
  };
  pump();
  Sleep(500);
  pump();
  constexpr int kUpdates = 600;
  const struct {
    const char* name;
    bool caption, bar;
  } parts[] = {{"caption", true, false}, {"bar", false, true}, {"both", true, true}};
  for (const auto& part : parts) {
    const double before = cpuMs();
    for (int i = 0; i < kUpdates; ++i) {
      if (part.caption) {
        char text[64];
        std::snprintf(text, sizeof text, "On. Next switch will occur in: 00:%02d:%02d",
                      (kUpdates - i) / 60, (kUpdates - i) % 60);
        ui.Frame4.setCaption(text);
      }
      if (part.bar) ui.ProgressBar1.setValue(i);
      UpdateWindow(window.window());
      RedrawWindow(window.window(), nullptr, nullptr, RDW_UPDATENOW | RDW_ALLCHILDREN);
      pump();
    }
    figure("countdown_%s updates=%d cpu_ms_per_update=%.3f", part.name, kUpdates,
           (cpuMs() - before) / kUpdates);
  }
  (void)ctx;
}

void markingCase(Ctx& ctx) {
  using namespace tarnavel;
  initControls();
  const HINSTANCE instance = GetModuleHandleW(nullptr);
  win32::MainWindow window(instance);
  window.setCaption("Tarnavel marking");
  window.setVisible(true);
  const Form1Controls ui = window.controls();
  ui.ListView1.addColumn("Available", 7000);
  for (const char* header : {"Handle", "Queue", "Status", "Time Before Switch"})
    ui.ListView2.addColumn(header, 2000);
  win32::Dialogs dialogs(instance, window);
  ErrorReport report(dialogs);
  win32::RegistrySettings backend(L"Software\\Kestrine\\TarnavelBench");
  win32::Locale locale;
  Settings settings(backend, locale, report);
  SwitchQueue queue(report, ui.ListView2, settings, locale);
  std::vector<Hwnd32> handles;
  for (int i = 0; i < 1001; ++i) {
    ui.ListView1.add("Scale window " + std::to_string(i));
    handles.push_back(0x20000 + 2 * i);
  }
  for (int i = 0; i < 1000; ++i) {
    const int row = ui.ListView2.add(std::to_string(0x7ff00000 + i));
    ui.ListView2.setText(row, tarnavel::kTitle, "Scale window " + std::to_string(i));
  }
  const auto pump = [] {
    MSG m;
    while (PeekMessageW(&m, nullptr, 0, 0, PM_REMOVE))
      DispatchMessageW(&m);
  };
  const auto marking = [&] {
    pump();
    LARGE_INTEGER before{}, after{}, frequency{};
    QueryPerformanceFrequency(&frequency);
    QueryPerformanceCounter(&before);
    queue.checkHandle(ui.ListView1, handles);
    RedrawWindow(window.window(), nullptr, nullptr, RDW_UPDATENOW | RDW_ALLCHILDREN);
    QueryPerformanceCounter(&after);
    return static_cast<double>(after.QuadPart - before.QuadPart) * 1000.0 /
           static_cast<double>(frequency.QuadPart);
  };
  const auto allRebound = [&] {
    for (int i = 1; i <= 1000; ++i) {
      if (ui.ListView2.text(i, kHandleText) !=
              std::to_string(handles[static_cast<size_t>(i - 1)]) ||
          ui.ListView2.text(i, kStatus) != tarnavel::kValid) {
        return false;
      }
    }
    return true;
  };
  std::vector<double> rebound, named;
  for (int round = 0; round < 7; ++round) {
    for (int i = 1; i <= 1000; ++i)
      ui.ListView2.setText(i, kHandleText, std::to_string(0x7ff00000 + i));
    rebound.push_back(marking());
    ctx.require(allRebound(), "the rows were not all rebound to their windows");
  }
  for (int round = 0; round < 7; ++round)
    named.push_back(marking());
  ctx.require(allRebound(), "the rows did not stay with their windows");
  window.destroy();
  RegDeleteTreeW(HKEY_CURRENT_USER, L"Software\\Kestrine\\TarnavelBench");
  figure(
      "marking_1000_rebound ms=%.1f (median of 7, worst %.1f: 1001 listed, 1000 queued rows of "
      "their titles under gone handles, each rebound, the queue stored)",
      median(rebound), *std::max_element(rebound.begin(), rebound.end()));
  figure("marking_1000_named ms=%.1f (median of 7, worst %.1f: the same rows naming their windows)",
         median(named), *std::max_element(named.begin(), named.end()));
}

// The queue's stored form of 32767 rows made, written to the registry, read
// back and parsed; the text's conversions to and from UTF-16, which writing
// and reading include, on their own beside it.
void storedCase(Ctx& ctx) {
  std::vector<tarnavel::StoredRow> stored;
  for (int i = 0; i < 32767; ++i)
    stored.push_back({std::to_string(65536 + i), "Dashboard " + std::to_string(i), "60"});
  tarnavel::win32::RegistrySettings registry(L"Software\\Kestrine\\TarnavelBench");
  std::vector<double> make, write, read, parse, widen, narrow;
  std::size_t bytes = 0;
  for (int round = 0; round < 5; ++round) {
    double t0 = nowMs();
    const std::string text = tarnavel::storedForm(stored);
    make.push_back(nowMs() - t0);
    bytes = text.size();
    t0 = nowMs();
    const std::wstring wide = tarnavel::win32::widen(text);
    widen.push_back(nowMs() - t0);
    t0 = nowMs();
    ctx.require(tarnavel::win32::narrow(wide) == text, "the text changed on its way to UTF-16");
    narrow.push_back(nowMs() - t0);
    t0 = nowMs();
    registry.write("Queued Windows", text);
    write.push_back(nowMs() - t0);
    t0 = nowMs();
    const auto back = registry.read("Queued Windows");
    read.push_back(nowMs() - t0);
    ctx.require(back.text && *back.text == text, "the registry gave back another text");
    t0 = nowMs();
    const auto parsed = tarnavel::parseStoredForm(*back.text);
    parse.push_back(nowMs() - t0);
    ctx.require(parsed == stored, "the parsed rows differ from the stored ones");
  }
  RegDeleteTreeW(HKEY_CURRENT_USER, L"Software\\Kestrine\\TarnavelBench");
  figure(
      "stored_32767 total_ms=%.1f form_ms=%.1f write_ms=%.1f read_ms=%.1f parse_ms=%.1f "
      "(medians of 5)",
      median(make) + median(write) + median(read) + median(parse), median(make), median(write),
      median(read), median(parse));
  char line[160];
  std::snprintf(line, sizeof line, "  %zu bytes of text; to UTF-16 %.1f ms, back %.1f ms", bytes,
                median(widen), median(narrow));
  printLine(line);
}

// --- soak -------------------------------------------------------------------------

// Switching every second for a long time among windows that open and close
// at random, the queue topped up and cleared of closed rows, the window sent
// to the tray and brought back now and then. No box may appear and nothing
// the program holds may grow.
void soakCase(Ctx& ctx) {
  const int duration = seconds(180);
  std::mt19937 random(20261208);
  auto host = targetHost(ctx);
  int made = 0;
  std::vector<std::pair<HWND, std::wstring>> open;
  const auto openOne = [&] {
    const std::wstring title = L"Soak window " + std::to_wstring(++made);
    open.push_back({target(ctx, *host, title), title});
    return title;
  };
  for (int i = 0; i < 4; ++i)
    openOne();
  settle();
  prepare(ctx, L"0", L"0", L"1", open);
  auto s = startProgram(ctx);
  turnOn(ctx, *s);
  waitUntil([&] { return !IsWindowVisible(s->main()); }, kChangeTimeoutMs);
  const int uApp = bench::unixPidOf(fileName(ctx.options().appPath)).value_or(0);
  const double on = nowMs();
  std::vector<Sample> samples{sample(s->app->pid(), uApp, on)};
  printLine("  0 s: " + describe(samples[0].win, samples[0].unix));
  std::size_t switches = 0, opened = 0, closed = 0, trips = 0, boxes = 0;
  double nextSample = on + 60000;
  while (nowMs() - on < duration * 1000.0) {
    Sleep(1000);
    switches += takeBandEntries().size();
    ctx.require(s->app->running(), "the program ended during the soak");
    for (const auto& box : s->app->dismissAllBoxes()) {
      ++boxes;
      ctx.fail("a box during the soak: " + box.describe());
    }
    const int roll = static_cast<int>(random() % 100);
    if (roll < 10 && open.size() > 2) {
      const auto gone = open.begin() + static_cast<long>(random() % open.size());
      host->destroy(gone->first);
      open.erase(gone);
      ++closed;
    } else if (roll < 20 && open.size() < 8) {
      const std::wstring title = openOne();
      press(ctx, *s, kRefresh);
      addByButton(ctx, *s, title);
      ++opened;
    } else if (roll < 24) {
      press(ctx, *s, kClearInvalid);
    } else if (roll < 27) {
      showFromTray(ctx, *s);
      Sleep(1500);
      hideToTray(ctx, *s);
      ++trips;
    }
    if (nowMs() >= nextSample) {
      samples.push_back(sample(s->app->pid(), uApp, on));
      printLine("  " + std::to_string(static_cast<int>(samples.back().seconds)) +
                " s: " + describe(samples.back().win, samples.back().unix) + ", " +
                std::to_string(switches) + " switches, queue " + std::to_string(s->queue->count()) +
                " rows");
      nextSample += 60000;
    }
  }
  samples.push_back(sample(s->app->pid(), uApp, on));
  // The first minute warms the caches of the system; growth is measured
  // from the first sample after it.
  const Sample& from = samples.size() > 2 ? samples[1] : samples[0];
  const Sample& to = samples.back();
  figure(
      "soak seconds=%d switches=%zu windows_opened=%zu closed=%zu tray_trips=%zu boxes=%zu "
      "ws_mb=%.2f->%.2f (%+.2f %%) private_mb=%.2f->%.2f handles=%lu->%lu fds=%d->%d "
      "rss_mb=%.2f->%.2f",
      duration, switches, opened, closed, trips, boxes, from.win.workingSetMb, to.win.workingSetMb,
      percent(from.win.workingSetMb, to.win.workingSetMb), from.win.privateMb, to.win.privateMb,
      from.win.handles, to.win.handles, from.unix ? from.unix->fds : -1,
      to.unix ? to.unix->fds : -1, from.unix ? from.unix->rssMb : -1.0,
      to.unix ? to.unix->rssMb : -1.0);
  closeProgram(ctx, *s, "after the soak");
}

}  // namespace

int wmain(int argc, wchar_t** argv) {
  _setmode(_fileno(stdout), _O_BINARY);
  Options options;
  std::vector<std::string> only;
  for (int i = 1; i < argc; ++i) {
    const std::wstring arg = argv[i];
    const std::wstring value = i + 1 < argc ? argv[i + 1] : L"";
    if (arg == L"--app") {
      options.appPath = value;
      ++i;
    } else if (arg == L"--case") {
      only.push_back(utf8(value));
      ++i;
    } else if (arg == L"--seconds") {
      gSeconds = _wtoi(value.c_str());
      ++i;
    } else if (arg == L"--xdotool-dir" || arg == L"--screenshot-signal") {
      ++i;  // the runner's, not needed here
    } else if (arg == L"--verbose") {
      options.verbose = true;
    } else {
      printLine("usage: tarnavel_wbench --app PATH [--case NAME]... [--seconds N]");
      return 2;
    }
  }
  const std::vector<Case> cases = {
      {"startup", "launch to main window shown: the program, its twin, a bare window", startupCase},
      {"memory", "working sets beside the twin and a bare window, switching every second",
       memoryCase},
      {"account", "the twin with the program's further DLLs, beside the program", accountCase},
      {"idle", "CPU with monitoring on and nothing to switch, in the tray and shown",
       [](Ctx& ctx) { idleCase(ctx, 0); }},
      {"idle_2s", "CPU switching every 2 seconds, in the tray and shown",
       [](Ctx& ctx) { idleCase(ctx, 2); }},
      {"idle_10s", "CPU switching every 10 seconds, in the tray and shown",
       [](Ctx& ctx) { idleCase(ctx, 10); }},
      {"precision_1s", "switching every second: each switch against its schedule",
       [](Ctx& ctx) { precisionCase(ctx, 1); }},
      {"precision_10s", "switching every 10 seconds: each switch against its schedule",
       [](Ctx& ctx) { precisionCase(ctx, 10); }},
      {"hotkey", "Ctrl+Shift+T to the button's new caption", hotkeyCase},
      {"hook", "the time spent in the program's keyboard hook for each T key", hookCase},
      {"scale", "1001 windows listed, 1000 queued rows of their titles marked", scaleCase},
      {"countdown", "the status line and the bar of a shown window, updated, in this process",
       countdownCase},
      {"marking", "the marking of 1000 queued rows against 1001 listed, in this process",
       markingCase},
      {"stored", "the queue's stored form of 32767 rows to the registry and back", storedCase},
      {"soak", "switching every second among windows that come and go, to the tray and back",
       soakCase},
  };
  return runCases(cases, only, options) == 0 ? 0 : 1;
}
