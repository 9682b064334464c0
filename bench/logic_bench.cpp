// Figures for docs/PERFORMANCE.md: the work behind "Refresh List" and the
// queue's stored form, at sizes well beyond what a wall display uses.
#include <benchmark/benchmark.h>

#include "app/Form1.h"
#include "core/Numbers.h"
#include "queue/SwitchQueue.h"
#include "tests/fakes/FakeForm.h"

namespace tarnavel {
namespace {

// A full refresh: walking the windows into the table and rebuilding the
// available list, then re-marking the queue.
void BM_RefreshList(benchmark::State& state) {
  fake::FakeForm f;
  const int windows = static_cast<int>(state.range(0));
  const int queued = static_cast<int>(state.range(1));
  for (int i = 0; i < windows; ++i)
    f.windows.openBelow("Window number " + std::to_string(i));
  std::string stored;
  for (int i = 0; i < queued; ++i) {
    // Stale handles: every row goes through the title test.
    stored += std::to_string(900000 + i) + std::string(kFieldSeparator) + "Window number " +
              std::to_string(windows - 1 - i) + std::string(kFieldSeparator) +
              std::string(kRowTerminator);
  }
  f.settings.values["Queued Windows"] = stored;
  Form1 form(f.controls, f.services);
  form.Form_Load();
  for (auto _ : state) {
    form.PushButton1_Click();
    benchmark::DoNotOptimize(f.ListView2.rows.data());
  }
  state.counters["windows"] = windows;
  state.counters["queued"] = queued;
}
BENCHMARK(BM_RefreshList)
    ->Args({20, 5})
    ->Args({200, 50})
    ->Args({1001, 100})
    ->Unit(benchmark::kMicrosecond);

// The walk behind "Refresh List" alone: every window into the table and
// the available list rebuilt.
void BM_LoadWindows(benchmark::State& state) {
  fake::FakeForm f;
  for (int i = 0; i < state.range(0); ++i)
    f.windows.openBelow("Window number " + std::to_string(i));
  Form1 form(f.controls, f.services);
  form.Form_Load();
  for (auto _ : state) {
    form.loadWindows();
    benchmark::DoNotOptimize(f.ListView1.rows.data());
  }
}
BENCHMARK(BM_LoadWindows)->Arg(1001)->Unit(benchmark::kMicrosecond);

// The marking of a queue whose rows all have the title of a listed window:
// with range(1) 0 each row names its window, with 1 each names a window that
// is gone and is found by its title, rebound and stored.
void BM_CheckHandle(benchmark::State& state) {
  fake::FakeForm f;
  f.settings.values["StartStopState"] = "Off";
  const int windows = static_cast<int>(state.range(0));
  for (int i = 0; i < windows; ++i)
    f.windows.openBelow("Window number " + std::to_string(i));
  std::string stored;
  for (int i = 0; i < windows - 1; ++i) {
    stored += std::to_string(900000 + i) + std::string(kFieldSeparator) + "Window number " +
              std::to_string(i) + std::string(kFieldSeparator) + std::string(kRowTerminator);
  }
  f.settings.values["Queued Windows"] = stored;
  Form1 form(f.controls, f.services);
  form.Form_Load();
  const bool stale = state.range(1) != 0;
  for (auto _ : state) {
    if (stale) {
      state.PauseTiming();
      for (int i = 1; i <= f.ListView2.count(); ++i)
        f.ListView2.setText(i, kHandleText, std::to_string(900000 + i));
      state.ResumeTiming();
    }
    form.CheckHandle();
    benchmark::DoNotOptimize(f.ListView2.rows.data());
  }
}
BENCHMARK(BM_CheckHandle)->Args({1001, 0})->Args({1001, 1})->Unit(benchmark::kMicrosecond);

// One tick of the switch timer, the work done every second while on: the
// countdown, the status line and the bar, and every fifth tick a switch.
void BM_Tick(benchmark::State& state) {
  fake::FakeForm f;
  f.settings.values["StartStopState"] = "Off";
  std::string stored;
  for (int i = 0; i < state.range(0); ++i) {
    const Hwnd32 w = f.windows.openBelow("Dashboard " + std::to_string(i));
    stored += std::to_string(w) + std::string(kFieldSeparator) + "Dashboard " + std::to_string(i) +
              std::string(kFieldSeparator) + std::string(kRowTerminator);
  }
  f.settings.values["Queued Windows"] = stored;
  Form1 form(f.controls, f.services);
  form.Form_Load();
  form.PushButton2_Click();  // on, every five seconds
  for (auto _ : state) {
    f.clock.advance(1);
    form.Timer1_Timer();
    f.windows.calls.clear();
  }
}
BENCHMARK(BM_Tick)->Arg(3)->Arg(100)->Unit(benchmark::kMicrosecond);

void BM_StoredFormRoundTrip(benchmark::State& state) {
  std::vector<StoredRow> rows;
  for (int i = 0; i < state.range(0); ++i) {
    rows.push_back({std::to_string(65536 + i), "Dashboard " + std::to_string(i), "60"});
  }
  for (auto _ : state) {
    auto parsed = parseStoredForm(storedForm(rows));
    benchmark::DoNotOptimize(parsed.data());
  }
}
BENCHMARK(BM_StoredFormRoundTrip)->Arg(10)->Arg(100)->Arg(1000)->Unit(benchmark::kMicrosecond);

// The largest queue stored: made, written to the settings, read back and
// parsed.
void BM_StoredQueueThroughSettings(benchmark::State& state) {
  fake::FakeSettings settings;
  std::vector<StoredRow> rows;
  for (int i = 0; i < state.range(0); ++i) {
    rows.push_back({std::to_string(65536 + i), "Dashboard " + std::to_string(i), "60"});
  }
  for (auto _ : state) {
    settings.write(kQueuedWindowsKey, storedForm(rows));
    auto parsed = parseStoredForm(*settings.read(kQueuedWindowsKey).text);
    benchmark::DoNotOptimize(parsed.data());
  }
}
BENCHMARK(BM_StoredQueueThroughSettings)->Arg(32767)->Unit(benchmark::kMillisecond);

// Reading an interval box of n digits, as every tick does: linear in n.
void BM_ReadNumber(benchmark::State& state) {
  const std::string digits(static_cast<std::size_t>(state.range(0)), '9');
  const NumberFormat format;
  for (auto _ : state)
    benchmark::DoNotOptimize(readNumber(digits, format));
  state.SetComplexityN(state.range(0));
}
BENCHMARK(BM_ReadNumber)
    ->RangeMultiplier(8)
    ->Range(1 << 8, 1 << 20)
    ->Complexity(benchmark::oN)
    ->Unit(benchmark::kMicrosecond);

// Start-up with n stale rows stored, every 50th under the title of a window
// that the last row queues under its own handle: restoring and marking.
void BM_StartUpWithStoredRows(benchmark::State& state) {
  for (auto _ : state) {
    state.PauseTiming();
    fake::FakeForm f;
    f.settings.values["StartStopState"] = "Off";
    const Hwnd32 live = f.windows.open("Console");
    std::string stored;
    for (int i = 1; i < state.range(0); ++i) {
      stored += std::to_string(900000 + i) + std::string(kFieldSeparator) +
                (i % 50 == 0 ? "Console" : "Row " + std::to_string(i)) +
                std::string(kFieldSeparator) + std::string(kRowTerminator);
    }
    stored += std::to_string(live) + std::string(kFieldSeparator) + "Console" +
              std::string(kFieldSeparator) + std::string(kRowTerminator);
    f.settings.values["Queued Windows"] = stored;
    Form1 form(f.controls, f.services);
    state.ResumeTiming();
    form.Form_Load();
    benchmark::DoNotOptimize(f.ListView2.rows.data());
  }
  state.SetComplexityN(state.range(0));
}
BENCHMARK(BM_StartUpWithStoredRows)
    ->Arg(500)
    ->Arg(5000)
    ->Complexity(benchmark::oN)
    ->Unit(benchmark::kMillisecond);

}  // namespace
}  // namespace tarnavel

BENCHMARK_MAIN();
