// How soon Form2 repaints after an expose while a job updates it in a tight loop, yielding
// after each update as the jobs do. The window's thread runs UpdateProgress and
// YieldToMessageLoop without pause; the benchmark's thread invalidates the whole window (what
// an expose does) and waits until the window has no update region left. The time of each
// iteration is that delay; "max_ms" is the longest one seen.

#include <benchmark/benchmark.h>
#include <windows.h>

#include <algorithm>
#include <atomic>
#include <thread>

#include "gui/progress_window_win.h"
#include "gui/testing/window_test_driver_win.h"

namespace mirune {
namespace {

void BM_Form2RepaintAfterExposeDuringUpdates(benchmark::State& state) {
  std::atomic<bool> stop{false};
  std::atomic<HWND> form{nullptr};
  std::atomic<long long> updates{0};
  std::thread ui([&] {
    JobFlags flags;
    flags.job_running = true;
    auto window = ProgressWindowWin::Create(flags);
    if (!window.ok()) return;
    ProgressWindowModel progress(**window);
    const float full = progress.StartProgress(kExtractingActivity);
    form = (*window)->hwnd();
    for (int32_t i = 0; !stop.load(); i = (i + 1) % 101) {
      (void)progress.UpdateProgress(i, 100, full, kExtractingActivity);
      progress.SetField(ProgressField::kStoryCounter, std::to_string(i) + " / 100");
      progress.YieldToMessageLoop();
      ++updates;
    }
  });
  if (!testing::WaitUntil([&] { return form.load() != nullptr; })) {
    state.SkipWithError("no window");
    stop = true;
    ui.join();
    return;
  }
  HWND hwnd = form.load();
  double longest = 0;
  const long long updates_before = updates.load();
  LARGE_INTEGER frequency, start, end;
  QueryPerformanceFrequency(&frequency);
  for (auto _ : state) {
    QueryPerformanceCounter(&start);
    InvalidateRect(hwnd, nullptr, TRUE);
    // Polled once a millisecond: a tighter poll would keep the window thread's own server
    // calls waiting.
    while (GetUpdateRect(hwnd, nullptr, FALSE)) Sleep(1);
    QueryPerformanceCounter(&end);
    const double seconds = static_cast<double>(end.QuadPart - start.QuadPart) /
                           static_cast<double>(frequency.QuadPart);
    longest = std::max(longest, seconds);
    state.SetIterationTime(seconds);
  }
  state.counters["max_ms"] = longest * 1000.0;
  state.counters["updates"] = static_cast<double>(updates.load() - updates_before);
  stop = true;
  ui.join();
}
BENCHMARK(BM_Form2RepaintAfterExposeDuringUpdates)->UseManualTime()->Unit(benchmark::kMillisecond);

// The cost of one update as a job makes it: UpdateProgress (which repaints at once), a field,
// and the pass through the message loop.
void BM_Form2UpdateAndYield(benchmark::State& state) {
  JobFlags flags;
  flags.job_running = true;
  auto window = ProgressWindowWin::Create(flags);
  if (!window.ok()) {
    state.SkipWithError("no window");
    return;
  }
  ProgressWindowModel progress(**window);
  const float full = progress.StartProgress(kExtractingActivity);
  int32_t i = 0;
  for (auto _ : state) {
    (void)progress.UpdateProgress(i, 100, full, kExtractingActivity);
    progress.SetField(ProgressField::kStoryCounter, std::to_string(i) + " / 100");
    progress.YieldToMessageLoop();
    i = (i + 1) % 101;
  }
}
BENCHMARK(BM_Form2UpdateAndYield)->Unit(benchmark::kMillisecond);

}  // namespace
}  // namespace mirune

BENCHMARK_MAIN();
