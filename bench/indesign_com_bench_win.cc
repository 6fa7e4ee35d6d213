// The InDesign client against test-indesign-server.exe (the embedded engine in its own
// process, reached through COM): the page marking of the generated book's first member (100
// pages, one text frame each) with the calls per text frame counted in the server and the
// time per cross-process call; and the whole extraction of the generated 300-page book
// (without readings), to set beside extraction_bench's BM_ExtractBookWithoutReadings.
// Registers the server for the run and removes it afterwards.

#include <benchmark/benchmark.h>

#include <memory>
#include <string>

#include "analysis/phonetic.h"
#include "app/extraction_launch.h"
#include "automation/com/dispatcher_win.h"
#include "automation/com/indesign_client_win.h"
#include "automation/com/testing/test_indesign_server_control_win.h"
#include "automation/indesign_engine/testing/generated_chapter_book.h"
#include "base/file.h"
#include "base/path.h"
#include "desktop/testing/answering_desktop.h"
#include "extraction/page_marking.h"
#include "extraction/razoza_xls_writer.h"
#include "extraction/story_analyzer.h"

namespace mirune {
namespace {

constexpr char kFolder[] = "C:\\bench";

// The server reset, holding the generated book; nullptr (and the error) when unreachable.
com::ComPtr<IDispatch> ServerWithBook(benchmark::State& state) {
  Result<com::ComPtr<IDispatch>> server = com::testing::ResetTestInDesign("");
  if (!server.ok()) {
    state.SkipWithError(server.message().c_str());
    return nullptr;
  }
  com::Dispatcher control(*server, nullptr, "InDesign", "Application", "");
  Result<com::UniqueVariant> folder = com::UniqueVariant::Text(kFolder);
  if (!control.Call("RegisterBenchBook", std::span<const com::UniqueVariant>(&*folder, 1)).ok()) {
    state.SkipWithError("RegisterBenchBook failed");
    return nullptr;
  }
  return std::move(server).value();
}

void ResetCount(IDispatch* server) {
  com::Dispatcher(server, nullptr, "InDesign", "Application", "").Call("ResetCallCount").ok();
}

// The server's count of member calls (0 when it cannot be read).
double Calls(IDispatch* server) {
  Result<int32_t> calls = com::testing::TestInDesignCallCount(server);
  return calls.ok() ? static_cast<double>(*calls) : 0;
}

// The server's shapes the page marking is measured on: InDesign's lists as collection objects
// (the default), as arrays, and an InDesign without EveryItem (the plain members).
struct ServerShape {
  const char* label;
  const wchar_t* switches;
};
constexpr ServerShape kShapes[] = {{"objects", L"/Shape:objects"},
                                   {"arrays", L"/Shape:arrays"},
                                   {"plain members", L"/Without:EveryItem"}};

// Registers the server with `switches` and ends a running one, so the next start has them.
void RegisterServer(const wchar_t* switches) {
  com::testing::QuitTestInDesign();
  com::testing::RunTestInDesignServer(std::wstring(L"/RegServer ") + switches);
}

void BM_ComPageMarking(benchmark::State& state) {
  const ServerShape& shape = kShapes[state.range(0)];
  state.SetLabel(shape.label);
  RegisterServer(shape.switches);
  double calls_per_frame = 0;
  double calls = 0;
  for (auto _ : state) {
    state.PauseTiming();
    com::ComPtr<IDispatch> server = ServerWithBook(state);
    if (!server) return;
    auto client = com::MakeInDesignClient(server);
    auto opened = client->Open(JoinPath(kFolder, "member1.indd"));
    if (!opened.ok() || !opened->document) {
      state.SkipWithError(opened.message().c_str());
      return;
    }
    ResetCount(server.Get());
    state.ResumeTiming();
    const Status status = MarkDocumentPages(*opened->document, indesign::TextProperty::kContents,
                                            [](int64_t, int64_t) { return Status::Ok(); });
    state.PauseTiming();
    if (!status.ok()) {
      state.SkipWithError(status.message().c_str());
      return;
    }
    calls = Calls(server.Get());
    calls_per_frame = calls / indesign_test::chapter_book::kPagesPerMember;
    state.ResumeTiming();
  }
  state.counters["calls_per_frame"] = calls_per_frame;
  // Per cross-process call: the time of an iteration over its calls.
  state.counters["calls"] = calls;
  state.counters["per_call"] =
      benchmark::Counter(calls * static_cast<double>(state.iterations()),
                         benchmark::Counter::kIsRate | benchmark::Counter::kInvert);
  RegisterServer(L"");
}
BENCHMARK(BM_ComPageMarking)
    ->DenseRange(0, 2)
    ->Unit(benchmark::kMillisecond)
    ->Iterations(3)
    ->UseRealTime();

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

void BM_ComExtractBookWithoutReadings(benchmark::State& state) {
  const std::string data = std::string(MIRUNE_SOURCE_DIR) + "/build/extraction-bench-data";
  (void)CreateFolder(std::string(MIRUNE_SOURCE_DIR) + "/build");
  (void)CreateFolder(data);
  WrittenFormReadings written_form;
  double calls_per_frame = 0;
  int64_t entries_total = 0;
  for (auto _ : state) {
    state.PauseTiming();
    com::ComPtr<IDispatch> server = ServerWithBook(state);
    if (!server) return;
    std::shared_ptr<indesign::Application> client = com::MakeInDesignClient(server);
    AnsweringDesktop desktop;
    JobFlags flags;
    NullProgress progress;
    TaggedStoryAnalyzer analyzer(written_form, written_form);
    MemoryRazozaXlsWriter workbook;
    EntryList entries;
    LaunchServices services{desktop, flags, progress, analyzer, workbook, entries, data};
    services.create_indesign = [client]() -> Result<std::shared_ptr<indesign::Application>> {
      return client;
    };
    ResetCount(server.Get());
    state.ResumeTiming();
    const LaunchResult result = LaunchExtraction(services, {kFolder, "book.indb"});
    state.PauseTiming();
    if (result.outcome != LaunchOutcome::kRan ||
        result.job.outcome != ExtractionOutcome::kCompleted) {
      state.SkipWithError(
          ("extraction failed: " + result.job.error.ToString() + " " + result.error.ToString())
              .c_str());
      return;
    }
    entries_total = result.job.entry_count;
    calls_per_frame =
        Calls(server.Get()) / static_cast<double>(indesign_test::chapter_book::kMembers *
                                                  indesign_test::chapter_book::kPagesPerMember);
    state.ResumeTiming();
  }
  state.counters["entries"] = static_cast<double>(entries_total);
  state.counters["calls_per_frame"] = calls_per_frame;
}
BENCHMARK(BM_ComExtractBookWithoutReadings)
    ->Unit(benchmark::kMillisecond)
    ->Iterations(3)
    ->UseRealTime();

}  // namespace
}  // namespace mirune

int main(int argc, char** argv) {
  mirune::com::ComApartment apartment;
  if (mirune::com::testing::RunTestInDesignServer(L"/RegServer") != 0) return 1;
  benchmark::Initialize(&argc, argv);
  benchmark::RunSpecifiedBenchmarks();
  benchmark::Shutdown();
  mirune::com::testing::QuitTestInDesign();
  mirune::com::testing::RunTestInDesignServer(L"/UnregServer");
  return 0;
}
