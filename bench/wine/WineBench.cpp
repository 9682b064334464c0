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

#include <fcntl.h>
#include <io.h>

#include <algorithm>
#include <cmath>
#include <cstdio>
#include <memory>
#include <random>
#include <string>
#include <thread>
#include <vector>

#include "Probe.h"
#include "tests/e2e/driver/CaseSupport.h"

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
      {"soak", "switching every second among windows that come and go, to the tray and back",
       soakCase},
  };
  return runCases(cases, only, options) == 0 ? 0 : 1;
}
