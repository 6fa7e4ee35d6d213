#include "app/extraction_run.h"

#include <memory>
#include <utility>

#include "analysis/entry_list.h"
#include "analysis/phonetic.h"
#include "analysis/reading_memory.h"
#include "automation/indesign_engine/engine_application.h"
#include "base/path.h"
#include "extraction/extraction_documents.h"
#include "extraction/messages.h"
#include "extraction/razoza_xls_writer.h"
#include "extraction/story_analyzer.h"

namespace mirune {
namespace {

LaunchSelection SelectionOf(const std::string& absolute_path) {
  return {ParentFolder(absolute_path), FileName(absolute_path)};
}

std::vector<std::string> NotesAfter(const LaunchResult& result, const JobReadings& readings,
                                    const std::vector<std::string>& estimated) {
  std::vector<std::string> notes = result.recovered;
  if (result.outcome != LaunchOutcome::kRan) return notes;
  const ExtractionOutcome outcome = result.job.outcome;
  for (const std::string& warning : result.job.warnings) notes.push_back(warning);
  for (const std::string& notice : readings.notices) notes.push_back(notice);
  if (outcome == ExtractionOutcome::kCompleted && result.job.reading_check_count > 0) {
    notes.push_back(ReadingCheckSummary(result.job.reading_check_count));
  }
  if (!result.job.text_pages.empty()) {
    std::string pages;
    for (const std::string& page : result.job.text_pages) {
      pages += (pages.empty() ? "" : "、") + page;
    }
    notes.push_back(
        "ノンブルが数字でないページがありました（項目には書かれたとおりに入れました）: " + pages);
  }
  if (outcome == ExtractionOutcome::kCompleted || outcome == ExtractionOutcome::kEmpty) {
    if (std::string warning = EstimatedCompositionWarning(estimated); !warning.empty()) {
      notes.push_back(std::move(warning));
    }
  }
  return notes;
}

}  // namespace

Result<ExtractionRun> RunExtractionJob(const ExtractionRunRequest& request,
                                       ExtractionRunHosts& hosts) {
  ExtractionRun run;
  // Readings: the machine's dictionary; without one, terms keep their written form and kanji
  // terms carry the re-check mark. The readings the user corrected and re-sorted come first.
  ReadingServiceOptions reading_options;
  reading_options.dictionary_folder = request.dictionary_folder;
  reading_options.user_dictionary = request.user_dictionary;
  reading_options.reading_memory = JoinPath(request.data_folder, kReadingMemoryFileName);
  MIRUNE_ASSIGN_OR_RETURN(JobReadings readings, OpenJobReadings(reading_options));
  std::string written_form;
  if (readings.written_form) {
    if (hosts.notice_before_job) {
      hosts.notice_before_job(std::string(kWrittenFormReadingsNotice));
    } else {
      written_form = kWrittenFormReadingsNotice;
    }
  }

  // The embedded engine with the IDML documents.
  auto engine = std::make_shared<indesign_engine::EngineApplication>();
  ExtractionDocuments documents = MakeExtractionDocuments();
  engine->AddLoader(documents.loader);
  LaunchSelection selection;
  if (request.paths.size() == 1) {
    selection = SelectionOf(request.paths[0]);
  } else {
    // The chapters given together make a book named after their folder.
    MIRUNE_ASSIGN_OR_RETURN(layout::Book book, documents.book_of_files(request.paths));
    selection = SelectionOf(book.full_name);
    engine->RegisterBook(book);
  }

  TaggedStoryAnalyzer analyzer(*readings.service, *readings.service, readings.service.get());
  MemoryRazozaXlsWriter workbook;
  EntryList entries;
  LaunchServices services{hosts.desktop, hosts.flags, hosts.progress,     analyzer,
                          workbook,      entries,     request.data_folder};
  UseInDesign(services, request.com, SelectedFilePath(selection), engine);
  services.close_utility_window = hosts.close_utility_window;
  run.launch = LaunchExtraction(services, selection);
  run.notes = NotesAfter(run.launch, readings, *documents.estimated);
  if (!written_form.empty()) run.notes.insert(run.notes.begin(), written_form);
  return run;
}

}  // namespace mirune
