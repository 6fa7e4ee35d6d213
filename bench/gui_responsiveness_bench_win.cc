// How soon the real program repaints Form2 after an expose while it extracts a generated
// 300-page IDML document started from its main window. The benchmark starts mirune-gui.exe,
// chooses the document through the stored settings, presses "実行", answers the start
// confirmation and, while Form2 is shown, invalidates the whole window (what an expose does)
// and waits until the program has painted it (no update region left). Each iteration's time
// is one such delay; "median_ms" and "max_ms" are taken over the samples taken while Form2 was
// shown, "job_s" is the whole job from the click.
// Run on a display: sh scripts/with_display.sh wine64 gui_responsiveness_bench.exe

#include <benchmark/benchmark.h>
#include <windows.h>

#include <algorithm>
#include <cstdio>
#include <string>
#include <vector>

#include "automation/idml/idml_writer.h"
#include "automation/indesign_engine/testing/generated_book.h"
#include "base/file.h"
#include "base/wide_text.h"
#include "gui/file_pattern.h"
#include "gui/progress_layout.h"
#include "gui/progress_window_win.h"
#include "gui/testing/gui_program_driver_win.h"

namespace mirune {
namespace {

using namespace gui_driver;  // NOLINT: the driver of the program under test

constexpr int kPages = 300;

double Seconds(LARGE_INTEGER from, LARGE_INTEGER to) {
  LARGE_INTEGER frequency;
  QueryPerformanceFrequency(&frequency);
  return static_cast<double>(to.QuadPart - from.QuadPart) / static_cast<double>(frequency.QuadPart);
}

void BM_RealProgramRepaintsForm2During300PageExtraction(benchmark::State& state) {
  const std::string unix_folder = std::string(MIRUNE_SOURCE_DIR) + "/build/gui-bench-book";
  const std::wstring folder = HostPath(unix_folder);
  (void)CreateFolder(std::string(MIRUNE_SOURCE_DIR) + "/build");
  (void)CreateFolder(Narrow(folder));
  auto package =
      idml::WriteNewIdmlPackage(indesign_test::MakeGeneratedBook("book300.idml", kPages));
  if (!package.ok() || !WriteFileAtomic(Narrow(folder + L"\\book300.idml"), *package).ok()) {
    state.SkipWithError("the generated book could not be written");
    return;
  }
  if (!SeedSettings(L"1", L"Z:", folder, Wide(kFilterItemIdml))) {
    state.SkipWithError("the settings could not be stored");
    return;
  }
  GuiProgram gui;
  HWND main = gui.WaitMain();
  if (main == nullptr) {
    state.SkipWithError("no main window (run on a display)");
    return;
  }
  LARGE_INTEGER clicked, ended, start, end;
  QueryPerformanceCounter(&clicked);
  gui.Click(main_form::kIdRunButton);
  gui.Answer(IDOK);  // the start confirmation
  HWND progress = gui.WaitWindow(Narrow(ProgressWindowWin::kClassName));
  if (progress == nullptr) {
    state.SkipWithError("Form2 was not shown");
    return;
  }
  std::vector<double> delays;
  for (auto _ : state) {
    // Samples only while Form2 is shown; the rest of the iterations count nothing.
    if (!IsWindowVisible(progress)) {
      state.SetIterationTime(0);
      continue;
    }
    QueryPerformanceCounter(&start);
    InvalidateRect(progress, nullptr, TRUE);
    // Polled once a millisecond: a tighter poll would keep the program's own server calls
    // waiting.
    while (GetUpdateRect(progress, nullptr, FALSE)) Sleep(1);
    QueryPerformanceCounter(&end);
    const double seconds = Seconds(start, end);
    delays.push_back(seconds);
    if (getenv("MIRUNE_BENCH_TRACE") || seconds > 0.05) {
      std::fprintf(stderr, "slow %.0f ms at %.1f s: %ls\n", seconds * 1000, Seconds(clicked, end),
                   StoredText(GetDlgItem(progress, kIdActivityText)).c_str());
    }
    state.SetIterationTime(seconds);
    // Spread over the whole job (20 to 40 s under Wine): the slowest stretch may be anywhere.
    Sleep(200);
    if (delays.size() == 10) Screenshot(progress, "form2_300_pages");
  }
  // The end of the job: its messages answered until the main window is usable again.
  while (!IsWindowEnabled(gui.control(main_form::kIdFileList))) {
    if (!gui.Answer(IDOK).hwnd) break;
  }
  QueryPerformanceCounter(&ended);
  std::sort(delays.begin(), delays.end());
  if (!delays.empty()) {
    state.counters["median_ms"] = delays[delays.size() / 2] * 1000;
    state.counters["max_ms"] = delays.back() * 1000;
  }
  state.counters["samples"] = static_cast<double>(delays.size());
  state.counters["job_s"] = Seconds(clicked, ended);
  gui.Quit();
}

BENCHMARK(BM_RealProgramRepaintsForm2During300PageExtraction)
    ->UseManualTime()
    ->Iterations(400)
    ->Unit(benchmark::kMillisecond);

}  // namespace
}  // namespace mirune

BENCHMARK_MAIN();
