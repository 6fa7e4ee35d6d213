// The `mirune extract` and `mirune mark` commands on IDML packages, run as the user runs them
// (the built program, as a child process), so that everything the commands do is measured:
// reading, composition, page marking, export, analysis and the files written; for mark also
// the save and the read-back. Counters: the child's peak resident memory (ru_maxrss).
//
// Packages: one paragraph of 60,000 character ranges (every other one marked, each of the
// others holding the keyword "索引語"), and the 500-page book of idml_bench.

#include <benchmark/benchmark.h>
#include <fcntl.h>
#include <spawn.h>
#include <sys/resource.h>
#include <sys/wait.h>

#include <cstdio>
#include <filesystem>
#include <string>
#include <vector>

#include "automation/idml/idml_writer.h"
#include "automation/indesign_engine/builder.h"
#include "automation/indesign_engine/testing/generated_book.h"
#include "base/file.h"

extern char** environ;

namespace {

using mirune::layout::DocumentBuilder;

constexpr char kProgram[] = MIRUNE_BINARY_DIR "/bin/mirune";
constexpr char kKeywords[] = MIRUNE_SOURCE_DIR "/tests/data/marking/Keyword.xls";

std::string Folder() {
  const std::string folder =
      (std::filesystem::temp_directory_path() / "mirune_idml_commands_bench").string();
  std::filesystem::create_directories(folder);
  return folder;
}

void WritePackage(const mirune::Result<mirune::layout::Document>& document,
                  const std::string& path) {
  if (!document.ok()) {
    std::fprintf(stderr, "%s\n", document.message().c_str());
    std::abort();
  }
  auto bytes = mirune::idml::WriteNewIdmlPackage(*document);
  if (!bytes.ok() || !mirune::WriteFileAtomic(path, *bytes).ok()) {
    std::fprintf(stderr, "cannot write %s\n", path.c_str());
    std::abort();
  }
}

// One paragraph of `ranges` character ranges on one page.
std::string MakeManyRanges(int ranges) {
  const std::string path = Folder() + "/ranges" + std::to_string(ranges) + ".idml";
  DocumentBuilder b(path);
  const int32_t mark =
      b.AddSwatch("RazozaMark1", {mirune::layout::ColorSpace::kCmyk, {0, 100, 0, 0}});
  const int32_t story = b.AddStory();
  for (int i = 0; i < ranges; ++i) {
    if (i % 2 == 0) {
      b.Append(story, "語" + std::to_string(i % 97), {.fill_color = mark});
    } else {
      b.Append(story, "は索引語の本文");
    }
  }
  b.Append(story, "\r");
  b.AddFrame(b.AddPage("1"), story);
  WritePackage(b.Build(), path);
  return path;
}

// The shared benchmark book, written as a package.
std::string MakeBook(int pages) {
  const std::string path = Folder() + "/book" + std::to_string(pages) + ".idml";
  WritePackage(mirune::indesign_test::MakeGeneratedBook(path, pages), path);
  return path;
}

// Runs the program with `arguments` (output discarded); false when it does not exit 0.
// `peak_kib` gets the child's peak resident memory.
bool Run(const std::vector<std::string>& arguments, long& peak_kib) {
  std::vector<char*> argv;
  std::string program = kProgram;
  argv.push_back(program.data());
  std::vector<std::string> copies = arguments;
  for (std::string& a : copies) argv.push_back(a.data());
  argv.push_back(nullptr);
  posix_spawn_file_actions_t actions;
  posix_spawn_file_actions_init(&actions);
  posix_spawn_file_actions_addopen(&actions, 1, "/dev/null", O_WRONLY, 0);
  posix_spawn_file_actions_addopen(&actions, 2, "/dev/null", O_WRONLY, 0);
  pid_t pid = 0;
  const int spawned = posix_spawn(&pid, kProgram, &actions, nullptr, argv.data(), environ);
  posix_spawn_file_actions_destroy(&actions);
  if (spawned != 0) return false;
  int status = 0;
  rusage usage{};
  if (wait4(pid, &status, 0, &usage) != pid) return false;
  peak_kib = usage.ru_maxrss;
  return WIFEXITED(status) && WEXITSTATUS(status) == 0;
}

void RunCommand(benchmark::State& state, const std::string& package, bool mark) {
  const std::string data = Folder() + "/data";
  const std::string output = Folder() + "/marked.idml";
  long peak = 0;
  for (auto _ : state) {
    std::vector<std::string> arguments =
        mark ? std::vector<std::string>{"mark",  "--keywords", kKeywords, "--swatch", "RazozaMark2",
                                        "--yes", "-o",         output,    package}
             : std::vector<std::string>{"extract", "--yes", "--data-dir", data, package};
    if (!Run(arguments, peak)) {
      state.SkipWithError("the command failed");
      return;
    }
  }
  state.counters["peak_MiB"] = static_cast<double>(peak) / 1024;
  state.counters["package_kB"] = static_cast<double>(std::filesystem::file_size(package)) / 1024;
}

void BM_ExtractParagraphOf60000Ranges(benchmark::State& state) {
  RunCommand(state, MakeManyRanges(60000), false);
}
BENCHMARK(BM_ExtractParagraphOf60000Ranges)->Unit(benchmark::kMillisecond)->Iterations(3);

void BM_MarkParagraphOf60000Ranges(benchmark::State& state) {
  RunCommand(state, MakeManyRanges(60000), true);
}
BENCHMARK(BM_MarkParagraphOf60000Ranges)->Unit(benchmark::kMillisecond)->Iterations(3);

void BM_Extract500Pages(benchmark::State& state) { RunCommand(state, MakeBook(500), false); }
BENCHMARK(BM_Extract500Pages)->Unit(benchmark::kMillisecond)->Iterations(3);

}  // namespace

BENCHMARK_MAIN();
