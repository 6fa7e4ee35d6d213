#include "gui/gui_launch_win.h"

#include <shellapi.h>

#include <memory>
#include <string>

#include "analysis/entry_list.h"
#include "analysis/phonetic.h"
#include "analysis/reading_memory.h"
#include "app/data_folder.h"
#include "app/indesign_host.h"
#include "automation/indesign_engine/engine_application.h"
#include "base/path.h"
#include "base/wide_text.h"
#include "extraction/extraction_documents.h"
#include "extraction/messages.h"
#include "extraction/razoza_xls_writer.h"
#include "extraction/story_analyzer.h"
#include "extraction/working_files.h"
#include "gui/desktop_detection_win.h"
#include "gui/forms/input_block_win.h"
#include "gui/main_window_win.h"
#include "gui/progress_window_win.h"
#include "gui/win_desktop_win.h"
#include "progress/progress_model.h"

namespace mirune {
namespace {

// Opens `path` with its default program. A missing association is no error: the results are
// in the folder for the user either way.
void OpenWithDefaultProgram(HWND owner, const std::string& path) {
  ShellExecuteW(owner, L"open", Wide(path).c_str(), nullptr, nullptr, SW_SHOWNORMAL);
}

// What the command line prints after a job, as one information box: the notices of the
// readings, the analysis's warnings, the page names that are no numbers, the estimated page
// splits.
std::string AfterJobNotes(const LaunchResult& result, const JobReadings& readings,
                          const std::string& estimated_warning) {
  std::string notes;
  auto add = [&notes](const std::string& line) {
    if (line.empty()) return;
    if (!notes.empty()) notes += "\r\n";
    notes += line;
  };
  for (const std::string& notice : readings.notices) add(notice);
  for (const std::string& warning : result.job.warnings) add(warning);
  if (result.job.outcome == ExtractionOutcome::kCompleted && result.job.reading_check_count > 0) {
    add(ReadingCheckSummary(result.job.reading_check_count));
  }
  if (!result.job.text_pages.empty()) {
    std::string pages;
    for (const std::string& page : result.job.text_pages)
      pages += (pages.empty() ? "" : "、") + page;
    add("ノンブルが数字でないページがありました（項目には書かれたとおりに入れました）: " + pages);
  }
  add(estimated_warning);
  return notes;
}

}  // namespace

void RunExtractionFromMainWindow(HINSTANCE instance, JobFlags& flags, MainWindow& main_window,
                                 WinDesktop& desktop, const LaunchSelection& selection,
                                 std::function<void()> close_utility_window) {
  if (flags.job_running) return;
  // The utility and keyword marking windows take no input until the job has ended (the main
  // window's handlers return at once while the job runs).
  InputBlock others({main_window.hwnd()});
  // A visible Word or Excel window refuses the launch first (and hidden ones are asked to
  // close), before the dictionaries are read: a damaged dictionary must not show its failure
  // where the refusal is due.
  SystemDesktopDetection detection;
  {
    const bool excel = detection->FindVisibleExcel();
    const bool word = detection->FindVisibleWord();
    if (excel || word) {
      desktop.ShowMessage(MessageCloseWordAndExcel(), kTitleCheck, kStyleRefusal);
      return;
    }
  }
  // Data folder: the program's folder when it is writable, else %LOCALAPPDATA%\Mirune.
  auto data_folder = ChooseDataFolder("", ReadDataFolderEnvironment());
  if (!data_folder.ok()) {
    desktop.ShowFailure(MessageCannotContinue(), data_folder.message(), kTitleCheck, kStyleRefusal);
    return;
  }
  ReadingServiceOptions reading_options;
  reading_options.reading_memory = JoinPath(*data_folder, kReadingMemoryFileName);
  auto readings = OpenJobReadings(reading_options);
  if (!readings.ok()) {
    desktop.ShowFailure(MessageCannotContinue(), readings.message(), kTitleCheck, kStyleRefusal);
    return;
  }

  auto engine = std::make_shared<indesign_engine::EngineApplication>();
  ExtractionDocuments documents = MakeExtractionDocuments();
  engine->AddLoader(documents.loader);

  auto view = ProgressWindowWin::Create(flags, main_window.hwnd());
  if (!view.ok()) {
    desktop.ShowFailure(MessageCannotContinue(), view.message(), kTitleCheck, kStyleRefusal);
    return;
  }
  ProgressWindowModel progress(**view);
  TaggedStoryAnalyzer analyzer(*readings->service, *readings->service, readings->service.get());
  MemoryRazozaXlsWriter workbook;
  EntryList entries;
  LaunchServices services{desktop, flags, progress, analyzer, workbook, entries, *data_folder};
  // .indd and .indb go to the InDesign of this computer; when none is registered, the
  // recovery message says so and names the IDML way.
  const bool com =
      ResolveInDesignHost(InDesignHost::kAuto, selection.file_name) == InDesignHost::kCom;
  UseInDesign(services, com, SelectedFilePath(selection), engine);
  // InDesign's windows are hidden during the job and shown after it, in the recovery too.
  desktop.SetDrivesInDesign(com);
  struct DrivesInDesignReset {
    WinDesktop& desktop;
    ~DrivesInDesignReset() { desktop.SetDrivesInDesign(false); }
  } drives_reset{desktop};
  services.close_utility_window = std::move(close_utility_window);

  const LaunchResult result = LaunchExtraction(services, selection);
  (*view)->Close();
  if (result.outcome != LaunchOutcome::kRan) return;

  if (result.job.outcome == ExtractionOutcome::kAborted) {
    // As the command line says it: the job ended at the user's word, nothing was replaced.
    desktop.ShowMessage(
        MessageAborted() + "\r\n結果のフォルダー: " + WorkingFolders(*data_folder).results,
        kTitleCheck, kStyleCompletion);
    return;
  }
  const bool completed = result.job.outcome == ExtractionOutcome::kCompleted;
  const std::string notes =
      AfterJobNotes(result, *readings,
                    completed || result.job.outcome == ExtractionOutcome::kEmpty
                        ? EstimatedCompositionWarning(*documents.estimated)
                        : std::string());
  if (!notes.empty()) desktop.ShowMessage(notes, kTitleCheck, kStyleCompletion);
  if (completed) {
    const WorkingFolders folders(*data_folder);
    OpenWithDefaultProgram(main_window.hwnd(), folders.razoza_xls);
    OpenWithDefaultProgram(main_window.hwnd(), folders.razoza_doc);
  }
}

}  // namespace mirune
