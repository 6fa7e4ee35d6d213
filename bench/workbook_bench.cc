// Razoza.xls from 65,536 entries: parse, three sheets (copy, sort by reading, fold, page
// lists), the .xls bytes and the atomic save; and the same for one term on 5,000 pages.

#include <benchmark/benchmark.h>

#include <cstdio>
#include <string>

#include "base/file.h"
#include "bench/bench_entries.h"
#include "workbook/razoza_workbook.h"

namespace {

// The shared generated entries as an entry list (term TAB reading TAB page).
std::string EntryText() {
  std::string text;
  for (const mirune::bench::BenchEntry& e : mirune::bench::MakeBenchEntries()) {
    text +=
        "索引語" + std::to_string(e.term) + "\t" + e.reading + "\t" + std::to_string(e.page) + "\n";
  }
  return text;
}

void BM_WriteRazozaXls65536(benchmark::State& state) {
  const std::string text = EntryText();
  const std::string path = "/tmp/mirune_workbook_bench_Razoza.xls";
  for (auto _ : state) {
    auto n = mirune::WriteRazozaXls(text, path);
    if (!n.ok() || *n != 65536) state.SkipWithError("WriteRazozaXls failed");
  }
  auto bytes = mirune::ReadFileBytes(path);
  if (bytes.ok()) state.counters["file_MB"] = static_cast<double>(bytes->size()) / 1e6;
  (void)mirune::RemoveFile(path);
}
BENCHMARK(BM_WriteRazozaXls65536)->Unit(benchmark::kMillisecond)->MinTime(3);

// 65,536 occurrences of one keyword, as bulk marking of a frequent word in a long book
// gives them: pages 1 to 5,000 in order, each on about 13 occurrences, and every tenth page
// named as text ("A-12"). The fold collects 5,000 pages for one row.
void BM_OneTermOn5000Pages(benchmark::State& state) {
  std::string text;
  for (int i = 0; i < 65536; ++i) {
    const int page = 1 + i * 5000 / 65536;
    text.append("和紙\tわし\t").append(page % 10 == 0 ? "A-" : "");
    text.append(std::to_string(page)).append("\n");
  }
  const std::string path = "/tmp/mirune_workbook_bench_one_term.xls";
  for (auto _ : state) {
    auto n = mirune::WriteRazozaXls(text, path);
    if (!n.ok() || *n != 65536) state.SkipWithError("WriteRazozaXls failed");
  }
  (void)mirune::RemoveFile(path);
}
BENCHMARK(BM_OneTermOn5000Pages)->Unit(benchmark::kMillisecond)->MinTime(2);

}  // namespace

BENCHMARK_MAIN();
