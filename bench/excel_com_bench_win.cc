// The Excel client across processes (Windows build, under Wine): one property read from
// test-excel-server.exe, and the re-sort of a 3,000-row Razoza.xls (about 1,000 terms folded
// from three occurrences each) through COM and with the embedded engine.

#include <benchmark/benchmark.h>

#include <functional>
#include <memory>
#include <string>

#include "automation/com/excel_client_win.h"
#include "automation/com/testing/server_process_win.h"
#include "automation/excel_engine/memory_workbook.h"
#include "bench/bench_entries.h"
#include "workbook/entry_rows.h"
#include "workbook/razoza_workbook.h"

namespace {

using mirune::com::ExcelClient;

constexpr char kProgId[] = "Mirune.TestExcel";

// 3,000 entries: terms of the shared generated entries, each appearing three times.
std::vector<mirune::EntryRow> Rows3000() {
  std::string text;
  const std::vector<mirune::bench::BenchEntry> entries = mirune::bench::MakeBenchEntries();
  for (int i = 0; i < 3000; ++i) {
    const mirune::bench::BenchEntry& e = entries[i % 1000];
    text += "索引語" + std::to_string(e.term) + "\t" + e.reading + "\t" +
            std::to_string(e.page + i / 1000) + "\n";
  }
  return mirune::ParseEntryRows(text).value();
}

void BM_CrossProcessPropertyRead(benchmark::State& state) {
  auto client = ExcelClient::Create(kProgId);
  if (!client.ok()) {
    state.SkipWithError(client.message().c_str());
    return;
  }
  for (auto _ : state) {
    auto alerts = (*client)->application().GetBool("DisplayAlerts");
    if (!alerts.ok()) state.SkipWithError("DisplayAlerts failed");
  }
}
BENCHMARK(BM_CrossProcessPropertyRead)->Unit(benchmark::kMicrosecond);

// `calls` counts the server's calls so far (null for the embedded engine).
void Resort(benchmark::State& state, mirune::ExcelApplication& excel,
            const std::function<int32_t()>& calls = {}) {
  auto book = excel.AddWorkbook();
  if (!book.ok() || !mirune::BuildRazozaWorkbook(**book, Rows3000()).ok()) {
    state.SkipWithError("the workbook was not built");
    return;
  }
  const int32_t before = calls ? calls() : 0;
  for (auto _ : state) {
    mirune::Status sorted = mirune::ResortRazozaWorkbook(**book);
    if (!sorted.ok()) state.SkipWithError(sorted.message().c_str());
  }
  if (calls) {
    state.counters["calls_per_resort"] =
        static_cast<double>(calls() - before) / static_cast<double>(state.iterations());
  }
}

int32_t ServerCalls(ExcelClient& client) {
  auto calls = client.application().Call("TestCalls");
  return calls.ok() ? mirune::com::VariantToInt32(calls->get()).value() : 0;
}

void BM_Resort3000ThroughCom(benchmark::State& state) {
  auto client = ExcelClient::Create(kProgId);
  if (!client.ok()) {
    state.SkipWithError(client.message().c_str());
    return;
  }
  ExcelClient& excel = **client;
  Resort(state, excel, [&excel] { return ServerCalls(excel); });
}
BENCHMARK(BM_Resort3000ThroughCom)->Unit(benchmark::kMillisecond);

void BM_Resort3000Embedded(benchmark::State& state) {
  mirune::MemoryExcel excel;
  Resort(state, excel);
}
BENCHMARK(BM_Resort3000Embedded)->Unit(benchmark::kMillisecond);

}  // namespace

int main(int argc, char** argv) {
  if (mirune::com::testing::RunServerExecutable(MIRUNE_TEST_EXCEL_SERVER, L"/RegServer") != 0) {
    return 1;
  }
  int result = 0;
  {
    mirune::com::ComApartment apartment;
    benchmark::Initialize(&argc, argv);
    benchmark::RunSpecifiedBenchmarks();
    benchmark::Shutdown();
    if (auto running = ExcelClient::AttachOnce(kProgId); running.ok()) {
      (void)(*running)->application().Call("Quit");
    }
  }
  mirune::com::testing::RunServerExecutable(MIRUNE_TEST_EXCEL_SERVER, L"/UnregServer");
  return result;
}
