// Reading memory benchmarks: the parse of a memory file of N terms (with a comment every 100
// lines and a damaged line every 1,000), and the learning of N corrections into it followed by
// the bytes Save writes. Both should grow linearly with N.

#include <benchmark/benchmark.h>

#include <string>

#include "analysis/reading_memory.h"

namespace mirune {
namespace {

std::string Term(int64_t i) { return "索引語" + std::to_string(i); }

std::string MemoryFile(int64_t terms) {
  std::string bytes = "\xEF\xBB\xBF# 読みの記憶\r\n";
  for (int64_t i = 0; i < terms; ++i) {
    if (i % 100 == 0) bytes += "# 第" + std::to_string(i / 100) + "章\r\n";
    if (i % 1000 == 0) bytes += "壊れた行\r\n";
    bytes += Term(i) + "\tさくいんご" + std::to_string(i) + "\r\n";
  }
  return bytes;
}

void BM_ParseMemory(benchmark::State& state) {
  const std::string bytes = MemoryFile(state.range(0));
  for (auto _ : state) {
    auto memory = ReadingMemory::Parse("ReadingMemory.txt", bytes);
    benchmark::DoNotOptimize(memory);
  }
  state.SetBytesProcessed(state.iterations() * static_cast<int64_t>(bytes.size()));
  state.SetItemsProcessed(state.iterations() * state.range(0));
}
BENCHMARK(BM_ParseMemory)->Arg(10'000)->Arg(100'000)->Arg(1'000'000)->Unit(benchmark::kMillisecond);

// Half the terms re-learned in place, as many new ones appended, then the file's bytes.
void BM_LearnAndWrite(benchmark::State& state) {
  const int64_t n = state.range(0);
  const std::string bytes = MemoryFile(n);
  for (auto _ : state) {
    state.PauseTiming();
    ReadingMemory memory = *ReadingMemory::Parse("ReadingMemory.txt", bytes);
    state.ResumeTiming();
    for (int64_t i = 0; i < n; i += 2) memory.Learn(Term(i), "よみ");
    for (int64_t i = n; i < n + n / 2; ++i) memory.Learn(Term(i), "よみ");
    benchmark::DoNotOptimize(memory.ToBytes());
  }
  state.SetItemsProcessed(state.iterations() * n);
}
BENCHMARK(BM_LearnAndWrite)
    ->Arg(10'000)
    ->Arg(100'000)
    ->Arg(1'000'000)
    ->Unit(benchmark::kMillisecond);

}  // namespace
}  // namespace mirune

BENCHMARK_MAIN();
