// Opening a 500-page IDML document: unzip, parse every part, compose the threaded main story
// (grid-fit estimate over 500 frames) and map it to the layout model.

#include <benchmark/benchmark.h>

#include <cstdio>
#include <string>

#include "automation/idml/idml_compose.h"
#include "automation/idml/idml_document.h"
#include "automation/idml/idml_reader.h"
#include "automation/idml/idml_writer.h"
#include "automation/indesign_engine/builder.h"

namespace {

using mirune::layout::DocumentBuilder;

// 500 pages; one main story threaded through a frame on every page (about 900 characters per
// page, a marked term in every paragraph) and a running head of its own on every page.
std::string MakePackage(int pages) {
  DocumentBuilder b("/bench/book.idml");
  const int32_t mark =
      b.AddSwatch("RazozaMark1", {mirune::layout::ColorSpace::kCmyk, {0, 100, 0, 0}});
  const int32_t main = b.AddStory();
  for (int p = 0; p < pages; ++p) {
    for (int paragraph = 0; paragraph < 6; ++paragraph) {
      b.Append(main, "日本語の組版では文字を正方形の枠に並べて一行の字数と行数を決める。");
      b.Append(main, "索引語", {.fill_color = mark});
      b.Append(main,
               "に色を付けておくと、抽出の際にその語とページ番号が拾われる。"
               "Latin text and numbers 12345 mix in.\r");
    }
  }
  for (int p = 0; p < pages; ++p) {
    const int32_t page = b.AddPage(std::to_string(p + 1));
    b.AddFrame(page, main, p + 1 < pages ? 0 : mirune::layout::kRestOfStory);
    const int32_t head = b.AddStory();
    b.Append(head, "第" + std::to_string(p / 20 + 1) + "章　柱");
    b.AddFrame(page, head);
  }
  auto document = b.Build();
  if (!document.ok()) {
    std::fprintf(stderr, "%s\n", document.message().c_str());
    std::abort();
  }
  auto bytes = mirune::idml::WriteNewIdmlPackage(*document);
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
