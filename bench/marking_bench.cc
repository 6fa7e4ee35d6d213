// Keyword bulk marking: 1,000 keywords over a generated 300-page document in the embedded
// engine (one main story threaded through a frame per page, plus a running head per page).

#include <benchmark/benchmark.h>

#include <random>
#include <string>
#include <vector>

#include "automation/indesign_engine/builder.h"
#include "automation/indesign_engine/engine_application.h"
#include "base/utf.h"
#include "desktop/desktop.h"
#include "desktop/testing/answering_desktop.h"
#include "marking/keyword_marking.h"
#include "marking/testing/sheet_workbook.h"
#include "progress/progress_model.h"
#include "progress/terminal_progress_view.h"

namespace mirune {
namespace {

class NullProgress : public ProgressReporter {
 public:
  float StartProgress(std::string_view) override { return 3375; }
  Status UpdateProgress(int32_t, int32_t, float, std::string_view) override { return Status::Ok(); }
  void FinishProgress(std::string_view) override {}
  void SetField(ProgressField, std::string_view) override {}
  void YieldToMessageLoop() override {}
};

class NoSleep : public Sleeper {
 public:
  void SleepMilliseconds(int32_t) override {}
};

class Source : public KeywordWorkbookSource {
 public:
  explicit Source(ExcelWorkbook* workbook) : workbook_(workbook) {}
  Status CheckKeywordWorkbookShown() override { return Status::Ok(); }
  Result<ExcelWorkbook*> AttachActiveWorkbook() override { return workbook_; }

 private:
  ExcelWorkbook* workbook_;
};

// Terms of two to four characters from a fixed pool of kanji and katakana.
std::vector<std::string> MakeTerms(size_t count, std::mt19937& rng) {
  static const char* const kPieces[] = {"索", "引", "語", "用", "編", "集", "組", "版", "頁",
                                        "章", "節", "項", "目", "次", "本", "文", "図", "表",
                                        "注", "記", "号", "ル", "ビ", "カ", "ナ", "タ", "グ"};
  std::uniform_int_distribution<size_t> piece(0, std::size(kPieces) - 1);
  std::uniform_int_distribution<int> length(2, 4);
  std::vector<std::string> terms;
  while (terms.size() < count) {
    std::string term;
    for (int i = length(rng); i > 0; --i) term += kPieces[piece(rng)];
    terms.push_back(term);
  }
  return terms;
}

constexpr int kPages = 300;
constexpr int kCharactersPerPage = 800;
constexpr int kKeywords = 1000;

layout::Document MakeBookDocument(const std::vector<std::string>& terms, std::mt19937& rng) {
  layout::DocumentBuilder b("/bench/book.indd");
  b.AddSwatch("RazozaMark1", {layout::ColorSpace::kCmyk, {0, 100, 0, 0}});
  const int32_t main = b.AddStory();
  std::uniform_int_distribution<size_t> term(0, terms.size() - 1);
  static const char* const kFiller[] = {"は", "の", "を", "に", "として、", "である。\r", "と"};
  std::uniform_int_distribution<size_t> filler(0, std::size(kFiller) - 1);
  std::vector<int32_t> page_lengths;
  for (int p = 0; p < kPages; ++p) {
    std::string text;
    int32_t characters = 0;
    while (characters < kCharactersPerPage) {
      const std::string piece = std::string(terms[term(rng)]) + kFiller[filler(rng)];
      text += piece;
      characters += static_cast<int32_t>(Utf8ToUtf32(piece).size());
    }
    b.Append(main, text);
    page_lengths.push_back(characters);
  }
  for (int p = 0; p < kPages; ++p) {
    const int32_t page = b.AddPage(std::to_string(p + 1));
    b.AddFrame(page, main, p + 1 < kPages ? page_lengths[p] : layout::kRestOfStory);
    const int32_t head = b.AddStory();
    b.Append(head, "第" + std::to_string(p / 30 + 1) + "章　索引の作り方");
    b.AddFrame(page, head);
  }
  return std::move(b.Build().value());
}

// `with_terminal_progress`: the command line's progress model and terminal view (not drawing,
// as when standard error is not a terminal) instead of a reporter that does nothing.
void RunBenchmark(benchmark::State& state, bool with_terminal_progress) {
  std::mt19937 rng(7);
  const std::vector<std::string> terms = MakeTerms(1500, rng);
  const layout::Document document = MakeBookDocument(terms, rng);
  testing_util::SheetWorkbook workbook;
  for (int k = 0; k < kKeywords; ++k) {
    (void)workbook.SetCell(1, k + 1, 2, CellValue::Text(terms[k]));
  }
  int64_t places = 0;
  for (auto _ : state) {
    state.PauseTiming();
    indesign_engine::EngineApplication engine;
    engine.RegisterDocument(document);
    (void)engine.Open("/bench/book.indd");
    (void)engine.SetChangeFormatting({"", "RazozaMark1"});
    Source source(&workbook);
    AnsweringDesktop desktop;
    NullProgress null_progress;
    TerminalProgressView view(false, [](std::string_view) {});
    ProgressWindowModel model(view);
    ProgressReporter& progress =
        with_terminal_progress ? static_cast<ProgressReporter&>(model) : null_progress;
    NoSleep sleeper;
    JobFlags flags;
    KeywordMarkingHosts hosts{engine, source, desktop, progress, sleeper, flags, {}};
    state.ResumeTiming();
    const KeywordMarkingResult result = RunKeywordMarking(hosts);
    state.PauseTiming();
    if (result.outcome != MarkingOutcome::kFinished) state.SkipWithError(result.detail.c_str());
    places = 0;
    for (const auto& t : result.tallies) places += t.places;
    state.ResumeTiming();
  }
  state.counters["places"] = static_cast<double>(places);
  state.counters["stories"] = kPages + 1;
}
void BM_MarkThousandKeywordsIn300Pages(benchmark::State& state) { RunBenchmark(state, false); }
void BM_MarkThousandKeywordsIn300PagesTerminalProgress(benchmark::State& state) {
  RunBenchmark(state, true);
}
BENCHMARK(BM_MarkThousandKeywordsIn300Pages)->Unit(benchmark::kMillisecond)->Iterations(3);
BENCHMARK(BM_MarkThousandKeywordsIn300PagesTerminalProgress)
    ->Unit(benchmark::kMillisecond)
    ->Iterations(3);

}  // namespace
}  // namespace mirune

BENCHMARK_MAIN();
