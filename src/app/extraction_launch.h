#pragma once

// The launch of an extraction, as the main window's button "実行" and the command line run
// it: the checks before InDesign is driven, InDesign's tagged-text export preferences (saved,
// set to Unicode and abbreviated tags, and written back on every way out), the folders
// `temp` and `RazozaData`, the data-folder lock, the chosen document, the file check, the
// job, and the error recovery.

#include <functional>
#include <memory>
#include <string>
#include <vector>

#include "analysis/entry_list.h"
#include "app/exit_code.h"
#include "automation/indesign.h"
#include "base/result.h"
#include "desktop/desktop.h"
#include "extraction/extraction_job.h"
#include "progress/progress.h"

namespace mirune {

// What the user chose: the folder list's path and the file list's entry (empty when none).
// A folder of IDML chapters is chosen as its parent folder and its own name.
struct LaunchSelection {
  std::string folder;
  std::string file_name;
};

// The chosen path: `folder` with one separator appended unless it already ends in one
// ("c:\" stays), then `file_name`.
std::string SelectedFilePath(const LaunchSelection& selection);

// How the file check reads a chosen path.
enum class TargetKind {
  kNotADocument,  // none of the below: "InDesign文書を選択して下さい　"
  kIndd,          // name ends in "indd" (case-sensitive)
  kIndb,          // name ends in "indb"
  kIdml,          // name ends in "idml" (any case): a document job on the embedded engine
  kIdmlFolder,    // a folder (of IDML chapters): a book job, as "indb" is
};
TargetKind ClassifyTarget(const std::string& file_name, const std::string& path);

struct LaunchServices {
  Desktop& desktop;
  JobFlags& flags;
  ProgressReporter& progress;
  StoryAnalyzer& analyzer;
  ResultWorkbookWriter& workbook;
  EntryList& entries;
  std::string data_folder;  // holds temp and RazozaData
  // Creates the InDesign application (a new one each launch).
  std::function<Result<std::shared_ptr<indesign::Application>>()> create_indesign{};
  // Whether that InDesign opens .indd and .indb files (the real one does; the embedded
  // engine opens IDML only).
  bool opens_native_documents = true;
  // Desktop detection: a visible Excel / Word window (each also asks hidden windows of its
  // application to close). Both are always called, Excel first. Unset: none visible.
  std::function<bool()> find_visible_excel{};
  std::function<bool()> find_visible_word{};
  // Closes the utility window, once InDesign is reached and before the main window takes the
  // focus (so that none of its tools can be pressed during the job). Unset: nothing.
  std::function<void()> close_utility_window{};
};

enum class LaunchOutcome {
  kIgnored,         // a job was already running
  kWordExcelOpen,   // refused: a Word or Excel window is visible
  kDataFolderBusy,  // refused: another job holds the data folder
  kNotADocument,    // the file check failed
  kRecovered,       // an error of the launch: recovery message shown
  kRan,             // the job ran; see job
};

struct LaunchResult {
  LaunchOutcome outcome = LaunchOutcome::kRecovered;
  ExtractionResult job;  // when kRan
  Status error;          // the detail behind kRecovered (and kDataFolderBusy)
  std::string selected_path;
  // What the launch finished or undid of a replacement of the results that a killed job left
  // (Japanese, naming the files); see RemoveLeftoverWorkingFiles.
  std::vector<std::string> recovered;
};

// Why a chosen path is no document the job takes (named, Japanese); empty when nothing was
// chosen.
std::string NotADocumentCause(const LaunchSelection& selection, const std::string& path);

// The detail given with the recovery message when a .indd or .indb is chosen and the
// InDesign at hand cannot open such files.
std::string NativeDocumentDetail(const std::string& path);

// Creates the InDesign of this computer through `connect`; when it is not registered, the
// cause is followed by NativeDocumentDetail(path), so the user learns of the IDML way too.
Result<std::shared_ptr<indesign::Application>> CreateNativeInDesign(
    const std::function<Result<std::shared_ptr<indesign::Application>>()>& connect,
    const std::string& path);

// Points the launch at the InDesign that opens `path`: with `com`, the InDesign of this
// computer (CreateNativeInDesign over ConnectComInDesign); otherwise `engine`.
void UseInDesign(LaunchServices& services, bool com, const std::string& path,
                 std::shared_ptr<indesign::Application> engine);

LaunchResult LaunchExtraction(LaunchServices& services, const LaunchSelection& selection);

// The process exit code of a launch: 0 completed; 1 refused, cancelled, aborted or nothing
// extracted; 2 an error.
ExitCode ExitCodeOf(const LaunchResult& result);

}  // namespace mirune
