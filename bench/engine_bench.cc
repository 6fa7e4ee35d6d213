// Page marking and tagged-text export of a built 500-page document whose one story is
// threaded through a frame on every page, as the extraction does it through the InDesign
// interface. Reports the interface calls per text frame of the page marking (each is a
// cross-process call with the real InDesign).

#include <benchmark/benchmark.h>

#include <string>

#include "automation/indesign.h"
#include "automation/indesign_engine/builder.h"
#include "automation/indesign_engine/engine_application.h"
#include "base/file.h"
#include "base/utf.h"
#include "extraction/page_marking.h"
#include "extraction/testing/mark_pages.h"

namespace mirune {
namespace {

constexpr int kPages = 500;
constexpr char kPath[] = "C:\\Bench\\book500.indd";

// About 640 characters per page: paragraphs of Japanese text with a colour-marked and a
// style-marked term in each.
layout::Document BuildDocument() {
  layout::DocumentBuilder b(kPath);
  const int32_t mark = b.AddSwatch("RazozaMark1", {layout::ColorSpace::kCmyk, {0, 100, 0, 0}});
  const int32_t style = b.AddCharacterStyle("RazozaMark2", mark);
  const int32_t body = b.AddParagraphStyle("本文");
  const int32_t story = b.AddStory();
  const layout::TextFormat plain{.paragraph_style = body};
  const std::string sentence = "日本語の組版では、索引語の読みと頁を正しく拾うことが大切です。";
  int32_t length = 0;
  std::vector<int32_t> page_lengths;
  for (int page = 0; page < kPages; ++page) {
    int32_t start = length;
    for (int paragraph = 0; paragraph < 4; ++paragraph) {
      std::string text;
      for (int s = 0; s < 4; ++s) text += sentence;
      b.Append(story, text, plain);
      b.Append(story, "索引", {.fill_color = mark, .paragraph_style = body});
      b.Append(story, "と", plain);
      b.Append(story, "用語", {.character_style = style, .paragraph_style = body});
      b.Append(story, "。\r", plain);
      length += static_cast<int32_t>(Utf8ToUtf32(text).size()) + 7;
    }
    page_lengths.push_back(length - start);
  }
  for (int page = 0; page < kPages; ++page) {
    b.AddFrame(b.AddPage(std::to_string(page + 1)), story, page_lengths[page]);
  }
  return std::move(b.Build()).value();
}

void MarkAndExport(benchmark::State& state, bool export_story) {
  indesign_engine::EngineApplication app;
  app.RegisterDocument(BuildDocument());
  const std::string out = "/tmp/mirune_engine_bench_export.txt";
  int64_t calls = 0;
  int64_t frames = 0;
  for (auto _ : state) {
    auto opened = app.Open(kPath);
    auto document = std::move(opened.value().document);
    app.ResetCallCount();
    const Status marked = indesign_test::MarkPages(app, *document);
    if (!marked.ok()) state.SkipWithError(marked.ToString().c_str());
    calls += app.call_count();
    frames += kPages;
    if (export_story) {
      Status exported = document->StoryItem(1).value()->Export(indesign::kTaggedTextFormat, out);
      if (!exported.ok()) state.SkipWithError(exported.ToString().c_str());
    }
    if (!document->Close(indesign::kSaveNo).ok()) state.SkipWithError("close failed");
  }
  state.counters["calls_per_frame"] =
      benchmark::Counter(static_cast<double>(calls) / static_cast<double>(frames));
  RemoveFile(out).ok();
}

void BM_PageMarking500Pages(benchmark::State& state) { MarkAndExport(state, false); }

// The extraction job's own page marking (src/extraction) over the same document.
void BM_ExtractionPageMarking500Pages(benchmark::State& state) {
  indesign_engine::EngineApplication app;
  app.RegisterDocument(BuildDocument());
  int64_t calls = 0;
  for (auto _ : state) {
    auto document = std::move(app.Open(kPath).value().document);
    app.ResetCallCount();
    Status marked = MarkDocumentPages(*document, indesign::TextProperty::kContents,
                                      [](int64_t, int64_t) { return Status::Ok(); });
    calls += app.call_count();
    if (!marked.ok()) state.SkipWithError(marked.ToString().c_str());
    if (!document->Close(indesign::kSaveNo).ok()) state.SkipWithError("close failed");
  }
  state.counters["calls_per_frame"] = benchmark::Counter(
      static_cast<double>(calls) / static_cast<double>(state.iterations() * kPages));
}
BENCHMARK(BM_ExtractionPageMarking500Pages)->Unit(benchmark::kMillisecond);
void BM_PageMarkingAndExport500Pages(benchmark::State& state) { MarkAndExport(state, true); }

BENCHMARK(BM_PageMarking500Pages)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_PageMarkingAndExport500Pages)->Unit(benchmark::kMillisecond);

}  // namespace
}  // namespace mirune

BENCHMARK_MAIN();
