// The extraction end to end on a generated book: three members of 100 pages each, one text
// frame per page threading the member's main story, ten marked terms per page (3,000 in
// all), run through the launch on the embedded engine with Razoza.doc, .txt and .xls
// written. Counters: entries extracted, host calls per text frame.

#include <benchmark/benchmark.h>

#include <memory>
#include <string>
#include <vector>

#include "analysis/phonetic.h"
#include "app/extraction_launch.h"
#include "automation/indesign_engine/builder.h"
#include "automation/indesign_engine/engine_application.h"
#include "base/file.h"
#include "base/path.h"
#include "base/utf.h"
#include "bench/answering_desktop.h"
#include "extraction/page_marking.h"
#include "extraction/razoza_xls_writer.h"
#include "extraction/story_analyzer.h"

namespace mirune {
namespace {

constexpr int kMembers = 3;
constexpr int kPagesPerMember = 100;
constexpr int kTermsPerPage = 10;

const std::vector<std::string>& Terms() {
  static const std::vector<std::string> terms = {
      "索引",   "和紙",   "活版印刷", "組版", "校正",     "書体",     "明朝体", "ゴシック体",
      "ルビ",   "縦組み", "横組み",   "版面", "余白",     "ノンブル", "柱",     "見出し",
      "本文",   "奥付",   "目次",     "扉",   "装丁",     "製本",     "印刷所", "出版社",
      "編集者", "著者",   "原稿",     "写植", "電子書籍", "禁則処理", "約物",   "句読点"};
  return terms;
}

// A page's text: kTermsPerPage marked terms, each in an unmarked sentence, ending in a
// paragraph return. Terms vary with the page; many recur, so the workbook's folding has
// work to do.
void AppendPage(layout::DocumentBuilder& b, int32_t story, int page, int32_t mark,
                int32_t* characters) {
  const auto& terms = Terms();
  std::string plain;
  for (int t = 0; t < kTermsPerPage; ++t) {
    // Compounds of two words: about a thousand different terms over the book.
    const size_t n = terms.size();
    const std::string term = terms[static_cast<size_t>(page * 7 + t * 3) % n] +
                             terms[static_cast<size_t>(page / 3 + t * 5) % n];
    const std::string before = "この段落では";
    const std::string after = "について述べる。";
    b.Append(story, before);
    b.Append(story, term, {.fill_color = mark});
    b.Append(story, after);
    plain += before + term + after;
  }
  b.Append(story, "\r");
  plain += "\r";
  *characters = static_cast<int32_t>(Utf8ToUtf32(plain).size());
}

void RegisterBook(indesign_engine::EngineApplication& engine, const std::string& folder) {
  std::vector<std::string> members;
  for (int m = 1; m <= kMembers; ++m) {
    // Spelled as the launch spells what it opens (the platform's separator).
    const std::string path = JoinPath(folder, "member" + std::to_string(m) + ".indd");
    layout::DocumentBuilder b(path);
    const int32_t mark = b.AddSwatch("RazozaMark1", {layout::ColorSpace::kCmyk, {0, 100, 0, 0}});
    const int32_t story = b.AddStory();
    std::vector<int32_t> lengths;
    for (int p = 0; p < kPagesPerMember; ++p) {
      int32_t characters = 0;
      AppendPage(b, story, (m - 1) * kPagesPerMember + p, mark, &characters);
      lengths.push_back(characters);
    }
    for (int p = 0; p < kPagesPerMember; ++p) {
      const int32_t page = b.AddPage(std::to_string((m - 1) * kPagesPerMember + p + 1));
      b.AddFrame(page, story, p + 1 == kPagesPerMember ? layout::kRestOfStory : lengths[p]);
    }
    engine.RegisterDocument(*b.Build());
    members.push_back(path);
  }
  engine.RegisterBook(layout::MakeBook(JoinPath(folder, "book.indb"), members));
}

class NullProgress : public ProgressReporter {
 public:
  float StartProgress(std::string_view) override { return 3375; }
  Status UpdateProgress(int32_t, int32_t total, float, std::string_view) override {
    return total == 0 ? Status(ErrorCode::kInvalidArgument, "total 0") : Status::Ok();
  }
  void FinishProgress(std::string_view) override {}
  void SetField(ProgressField, std::string_view) override {}
  void YieldToMessageLoop() override {}
};

void RunBook(benchmark::State& state, bool with_readings) {
  const std::string data = std::string(MIRUNE_SOURCE_DIR) + "/build/extraction-bench-data";
  (void)CreateFolder(std::string(MIRUNE_SOURCE_DIR) + "/build");
  (void)CreateFolder(data);
  std::unique_ptr<ReadingService> readings;
  WrittenFormReadings written_form;
  WordDivider* divider = &written_form;
  PhoneticLookup* lookup = &written_form;
  if (with_readings) {
    auto opened = OpenSystemReadings({});
    if (!opened.ok()) {
      state.SkipWithError(opened.message().c_str());
      return;
    }
    readings = std::move(*opened);
    divider = readings.get();
    lookup = readings.get();
  }
  int64_t entries_total = 0;
  double calls_per_frame = 0;
  for (auto _ : state) {
    state.PauseTiming();
    auto engine = std::make_shared<indesign_engine::EngineApplication>();
    RegisterBook(*engine, "/bench");
    AnsweringDesktop desktop;
    JobFlags flags;
    NullProgress progress;
    TaggedStoryAnalyzer analyzer(*divider, *lookup);
    MemoryRazozaXlsWriter workbook;
    EntryList entries;
    LaunchServices services{desktop, flags, progress, analyzer, workbook, entries, data};
    services.create_indesign = [engine]() -> Result<std::shared_ptr<indesign::Application>> {
      return std::shared_ptr<indesign::Application>(engine);
    };
    engine->ResetCallCount();
    state.ResumeTiming();
    const LaunchResult result = LaunchExtraction(services, {"/bench", "book.indb"});
    state.PauseTiming();
    if (result.outcome != LaunchOutcome::kRan ||
        result.job.outcome != ExtractionOutcome::kCompleted) {
      state.SkipWithError(("extraction failed: " + result.job.error.ToString()).c_str());
      return;
    }
    entries_total = result.job.entry_count;
    calls_per_frame = static_cast<double>(engine->call_count()) / (kMembers * kPagesPerMember);
    state.ResumeTiming();
  }
  state.counters["entries"] = static_cast<double>(entries_total);
  state.counters["calls_per_frame"] = calls_per_frame;
}

void BM_ExtractBookWithReadings(benchmark::State& state) { RunBook(state, true); }
void BM_ExtractBookWithoutReadings(benchmark::State& state) { RunBook(state, false); }

BENCHMARK(BM_ExtractBookWithReadings)->Unit(benchmark::kMillisecond)->Iterations(3);
BENCHMARK(BM_ExtractBookWithoutReadings)->Unit(benchmark::kMillisecond)->Iterations(3);

// Host calls of the page marking alone, per text frame (each page holds one frame).
void BM_PageMarkingCallsPerFrame(benchmark::State& state) {
  double calls_per_frame = 0;
  for (auto _ : state) {
    state.PauseTiming();
    indesign_engine::EngineApplication engine;
    RegisterBook(engine, "/bench");
    auto opened = engine.Open(JoinPath("/bench", "member1.indd"));
    engine.ResetCallCount();
    state.ResumeTiming();
    const Status status = MarkDocumentPages(*opened->document, indesign::TextProperty::kContents,
                                            [](int64_t, int64_t) { return Status::Ok(); });
    benchmark::DoNotOptimize(status.ok());
    calls_per_frame = static_cast<double>(engine.call_count()) / kPagesPerMember;
  }
  state.counters["calls_per_frame"] = calls_per_frame;
}
BENCHMARK(BM_PageMarkingCallsPerFrame)->Unit(benchmark::kMillisecond);

}  // namespace
}  // namespace mirune

BENCHMARK_MAIN();
