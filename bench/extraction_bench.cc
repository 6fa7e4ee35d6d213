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
#include "automation/indesign_engine/testing/generated_chapter_book.h"
#include "base/file.h"
#include "base/path.h"
#include "base/utf.h"
#include "desktop/testing/answering_desktop.h"
#include "extraction/page_marking.h"
#include "extraction/razoza_xls_writer.h"
#include "extraction/story_analyzer.h"

namespace mirune {
namespace {

using indesign_test::chapter_book::kMembers;
using indesign_test::chapter_book::kPagesPerMember;
using indesign_test::chapter_book::RegisterBook;

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

void RunBook(benchmark::State& state, bool with_readings, int ruby_every = 0) {
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
    RegisterBook(*engine, "/bench", ruby_every);
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
// Ruby over the first word of every tenth term.
void BM_ExtractBookWithReadingsRuby(benchmark::State& state) { RunBook(state, true, 10); }

BENCHMARK(BM_ExtractBookWithReadings)->Unit(benchmark::kMillisecond)->Iterations(3);
BENCHMARK(BM_ExtractBookWithoutReadings)->Unit(benchmark::kMillisecond)->Iterations(3);
BENCHMARK(BM_ExtractBookWithReadingsRuby)->Unit(benchmark::kMillisecond)->Iterations(3);

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
