// Cost of the durable writes: one file written and flushed under a temporary name, renamed and
// its folder flushed; the three results of an extraction replaced as one set; and a read
// checked for its kind first. Files go to the system's temporary folder (on a RAM-backed
// /tmp the flushes cost little; point TMPDIR at a disk to see what they cost there).

#include <benchmark/benchmark.h>

#include <filesystem>
#include <string>

#include "base/file.h"
#include "base/file_set.h"

namespace mirune {
namespace {

std::string BenchFolder() {
  const std::string folder =
      (std::filesystem::temp_directory_path() / "mirune_file_bench").string();
  (void)CreateFolder(folder);
  return folder;
}

void BM_WriteFileAtomic(benchmark::State& state) {
  const std::string path = JoinPath(BenchFolder(), "Razoza.xls");
  const std::string bytes(static_cast<size_t>(state.range(0)), 'x');
  for (auto _ : state) {
    if (!WriteFileAtomic(path, bytes).ok()) state.SkipWithError("write failed");
  }
  state.SetBytesProcessed(state.iterations() * state.range(0));
}
BENCHMARK(BM_WriteFileAtomic)->Arg(4 << 10)->Arg(1 << 20)->Unit(benchmark::kMicrosecond);

void BM_OutputFileSetOfThree(benchmark::State& state) {
  const std::string folder = BenchFolder();
  const std::string bytes(static_cast<size_t>(state.range(0)), 'x');
  for (auto _ : state) {
    OutputFileSet set;
    for (const char* name : {"Razoza.doc", "Razoza.txt", "Razoza.xls"}) {
      if (!set.Add(JoinPath(folder, name), bytes).ok()) state.SkipWithError("add failed");
    }
    if (!set.Commit().ok()) state.SkipWithError("commit failed");
  }
  state.SetBytesProcessed(state.iterations() * state.range(0) * 3);
}
BENCHMARK(BM_OutputFileSetOfThree)->Arg(64 << 10)->Unit(benchmark::kMicrosecond);

void BM_ReadFileBytes(benchmark::State& state) {
  const std::string path = JoinPath(BenchFolder(), "input.idml");
  (void)WriteFileAtomic(path, std::string(static_cast<size_t>(state.range(0)), 'x'));
  for (auto _ : state) {
    auto bytes = ReadFileBytes(path, 64ull << 20);
    benchmark::DoNotOptimize(bytes);
  }
  state.SetBytesProcessed(state.iterations() * state.range(0));
}
BENCHMARK(BM_ReadFileBytes)->Arg(1 << 20)->Unit(benchmark::kMicrosecond);

}  // namespace
}  // namespace mirune

BENCHMARK_MAIN();
