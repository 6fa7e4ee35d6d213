// The finished index: 65,000 folded rows (terms with their page lists) to all three outputs —
// the plain text, the tagged text and the sheet "索引" in a workbook saved as .xls — and the
// whole launch on a saved Razoza.xls of 65,536 entries.

#include <benchmark/benchmark.h>

#include <filesystem>

#include "app/index_launch.h"
#include "automation/excel_engine/memory_workbook.h"
#include "base/file.h"
#include "base/path.h"
#include "bench/bench_entries.h"
#include "workbook/finished_index.h"
#include "workbook/index_output.h"
#include "workbook/razoza_workbook.h"

namespace {

// Outside the source tree, as the other benchmarks write (Wine maps /tmp too).
std::string Folder() {
  const std::string dir = "/tmp/mirune_index_bench";
  std::filesystem::create_directories(dir);
  return dir;
}

// 65,000 rows (a sheet holds 65,536 lines, headings included): the generated entries'
// readings, each row a term of its own with up to eight pages, some of them consecutive.
std::vector<mirune::IndexSourceRow> Rows() {
  std::vector<mirune::IndexSourceRow> rows;
  for (const mirune::bench::BenchEntry& e : mirune::bench::MakeBenchEntries()) {
    if (rows.size() == 65000) break;
    mirune::IndexSourceRow row{"索引語" + std::to_string(rows.size()), e.reading, {}};
    for (int k = 0; k < 1 + e.page % 8; ++k)
      row.pages.push_back(std::to_string(e.page + k * (k % 3)));
    rows.push_back(std::move(row));
  }
  return rows;
}

void BM_FinishedIndex65000Rows(benchmark::State& state) {
  const std::vector<mirune::IndexSourceRow> rows = Rows();
  const std::string base = mirune::JoinPath(Folder(), "rows");
  for (auto _ : state) {
    const std::vector<mirune::IndexLine> lines =
        mirune::BuildFinishedIndex(rows, mirune::FinishedIndexOptions());
    if (!mirune::WriteFileAtomic(base + ".txt", mirune::FinishedIndexText(lines)).ok() ||
        !mirune::WriteFileAtomic(base + "-tagged.txt", mirune::FinishedIndexTaggedText(lines))
             .ok()) {
      state.SkipWithError("write failed");
      return;
    }
    mirune::MemoryExcel excel;
    auto book = excel.AddWorkbook();
    if (!book.ok() || !mirune::AddIndexSheet(**book, lines).ok() ||
        !(*book)->SaveAs(base + ".xls").ok()) {
      state.SkipWithError("sheet failed");
      return;
    }
  }
  state.SetItemsProcessed(state.iterations() * static_cast<int64_t>(rows.size()));
}
BENCHMARK(BM_FinishedIndex65000Rows)->Unit(benchmark::kMillisecond)->MinTime(2);

void BM_IndexLaunch65536Entries(benchmark::State& state) {
  std::string text;
  for (const mirune::bench::BenchEntry& e : mirune::bench::MakeBenchEntries()) {
    text +=
        "索引語" + std::to_string(e.term) + "\t" + e.reading + "\t" + std::to_string(e.page) + "\n";
  }
  const std::string xls = mirune::JoinPath(Folder(), "Razoza.xls");
  if (!mirune::WriteRazozaXls(text, xls).ok()) {
    state.SkipWithError("workbook failed");
    return;
  }
  mirune::IndexRequest request;
  request.input = xls;
  // Argument 0: the three outputs (text, tagged text, workbook); 1: with the IDML as well.
  request.idml = state.range(0) == 1;
  for (auto _ : state) {
    mirune::MemoryExcel excel;
    const mirune::IndexLaunchResult result = mirune::LaunchIndex(excel, request);
    if (!result.cause.ok()) {
      state.SkipWithError(result.cause.message().c_str());
      return;
    }
  }
}
BENCHMARK(BM_IndexLaunch65536Entries)->Arg(0)->Arg(1)->Unit(benchmark::kMillisecond)->MinTime(2);

}  // namespace

BENCHMARK_MAIN();
