// Reading a full index sheet: 65,536 rows of term, reading and page (the largest sheet the
// program writes), from bytes with the engine's own reader and, where installed, from the
// file with libfreexl for comparison.

#include <benchmark/benchmark.h>

#include <string>

#include "automation/excel_engine/memory_workbook.h"
#include "automation/excel_engine/xls/xls_reader.h"
#include "base/file.h"

#ifdef MIRUNE_HAVE_FREEXL
#include <freexl.h>
#endif

namespace {

std::string FullSheetBytes() {
  mirune::MemoryWorkbook book;
  for (int r = 1; r <= mirune::kExcelMaxRows; ++r) {
    (void)book.SetCell(1, r, 1, mirune::CellValue::Text("索引語" + std::to_string(r % 22000)));
    (void)book.SetCell(1, r, 2, mirune::CellValue::Text("さくいん" + std::to_string(r)));
    (void)book.SetCell(1, r, 3, mirune::CellValue::Number(r % 400 + 1));
  }
  return *book.ToXlsBytes();
}

void BM_OwnReader65536Rows(benchmark::State& state) {
  const std::string bytes = FullSheetBytes();
  for (auto _ : state) {
    auto model = mirune::xls::ParseXlsBytes(bytes);
    if (!model.ok()) state.SkipWithError(model.message().c_str());
    benchmark::DoNotOptimize(model);
  }
  state.counters["file_MB"] = static_cast<double>(bytes.size()) / 1e6;
}
BENCHMARK(BM_OwnReader65536Rows)->Unit(benchmark::kMillisecond);

#ifdef MIRUNE_HAVE_FREEXL
void BM_Freexl65536Rows(benchmark::State& state) {
  const std::string path = "/tmp/mirune_xls_reader_bench.xls";
  if (!mirune::WriteFileAtomic(path, FullSheetBytes()).ok()) state.SkipWithError("write failed");
  for (auto _ : state) {
    const void* xls = nullptr;
    if (freexl_open(path.c_str(), &xls) != FREEXL_OK || xls == nullptr) {
      state.SkipWithError("freexl_open failed");
      break;
    }
    freexl_select_active_worksheet(xls, 0);
    unsigned int rows = 0;
    unsigned short columns = 0;
    freexl_worksheet_dimensions(xls, &rows, &columns);
    for (unsigned int r = 0; r < rows; ++r) {
      for (unsigned short c = 0; c < columns; ++c) {
        FreeXL_CellValue value;
        freexl_get_cell_value(xls, r, c, &value);
        benchmark::DoNotOptimize(value);
      }
    }
    freexl_close(xls);
  }
  (void)mirune::RemoveFile(path);
}
BENCHMARK(BM_Freexl65536Rows)->Unit(benchmark::kMillisecond);
#endif

}  // namespace

BENCHMARK_MAIN();
