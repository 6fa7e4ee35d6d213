// Opening a 500-page IDML document: unzip, parse every part, compose the threaded main story
// (grid-fit estimate over 500 frames) and map it to the layout model.

#include <benchmark/benchmark.h>

#include <cstdio>
#include <string>

#include "automation/idml/idml_compose.h"
#include "automation/idml/idml_document.h"
#include "automation/idml/idml_reader.h"
#include "automation/idml/idml_writer.h"
#include "automation/indesign_engine/testing/generated_book.h"

namespace {

// The shared benchmark book as an IDML package.
std::string MakePackage(int pages) {
  const mirune::layout::Document document =
      mirune::indesign_test::MakeGeneratedBook("/bench/book.idml", pages);
  auto bytes = mirune::idml::WriteNewIdmlPackage(document);
  if (!bytes.ok()) {
    std::fprintf(stderr, "%s\n", bytes.message().c_str());
    std::abort();
  }
  return std::move(bytes).value();
}

void BM_OpenAndCompose500Pages(benchmark::State& state) {
  const std::string bytes = MakePackage(500);
  size_t characters = 0;
  for (auto _ : state) {
    auto package = mirune::idml::ReadIdmlPackage(bytes);
    if (!package.ok()) {
      state.SkipWithError(package.message().c_str());
      return;
    }
    const mirune::idml::Composition composition = mirune::idml::Compose(*package);
    const mirune::layout::Document document =
        mirune::idml::ToLayoutDocument(*package, composition, "/bench/book.idml");
    characters = document.stories[0].text.size();
    benchmark::DoNotOptimize(document);
  }
  state.counters["package_kB"] = static_cast<double>(bytes.size()) / 1024;
  state.counters["characters"] = static_cast<double>(characters);
}
BENCHMARK(BM_OpenAndCompose500Pages)->Unit(benchmark::kMillisecond);

}  // namespace

BENCHMARK_MAIN();
