#pragma once

// The launch of keyword bulk marking on document files, as the command line runs it (the
// Windows shell will run the same job against the InDesign and Excel at hand): the embedded
// engine opens INPUT (a document, or a folder holding a book's documents), every document
// read gets the swatch or character style the request names when it lacks it, the change
// formatting and find options are set as a user would set them in InDesign's Find/Change
// window, the keyword marking job runs with the keyword workbook file, and on success the
// marked documents are saved to OUTPUT and read back. INPUT and the keyword workbook are
// never written.

#include <functional>
#include <memory>
#include <string>
#include <vector>

#include "app/exit_code.h"
#include "automation/excel.h"
#include "automation/indesign_engine/engine_application.h"
#include "automation/indesign_engine/layout_model.h"
#include "base/result.h"
#include "desktop/desktop.h"
#include "marking/keyword_report.h"
#include "progress/progress.h"

namespace mirune {

struct FileMarkingRequest {
  std::string keywords_path;  // the keyword workbook (.xls)
  std::string swatch;         // exactly one of swatch and style is set
  std::string style;
  bool case_sensitive = false;
  bool whole_word = false;
  std::string input;   // a document file, or a book folder
  std::string output;  // a file for a document, a folder for a book
};

struct FileMarkingServices {
  Desktop& desktop;  // shows the job's messages, answers its confirmation
  ProgressReporter& progress;
  JobFlags& flags;  // abort_requested set by the desktop stops the job between keywords
  // Reads the keyword workbook file.
  std::function<Result<std::unique_ptr<ExcelWorkbook>>(const std::string& path)> open_keywords;
  // Reads INPUT and the book's documents into the engine (IDML where the build has it).
  indesign_engine::Loader loader;
  // Writes a marked document to a path (atomically: a failed save leaves no partial file).
  std::function<Status(const layout::Document& document, const std::string& path)> save;
  // Called once the user has confirmed the start (the Windows shell closes its start dialog
  // here). May be empty.
  std::function<void()> on_confirmed{};
};

struct FileMarkingResult {
  ExitCode exit = ExitCode::kError;
  // Why the marking did not end with saved files (Japanese, naming what failed); ok when it
  // did. The job's own message, when it showed one, went to the desktop already.
  Status cause;
  // Things the user should know that did not stop the job (a mark name the extraction does
  // not pick up).
  std::vector<std::string> warnings;
  // Per keyword, the places marked; filled only when every file was saved and verified, so
  // that no count is reported for work that was then lost.
  std::vector<KeywordTally> tallies;
  std::vector<std::string> saved_paths;
};

FileMarkingResult LaunchFileMarking(const FileMarkingRequest& request,
                                    FileMarkingServices& services);

// The same job in a running InDesign (the COM host): InDesign opens INPUT, the document (or
// each document of the book) must already hold the swatch or character style named, the job
// marks, and each marked document is saved to OUTPUT with the document's save-as, then closed
// without saving; INPUT is never written. What InDesign saves is not read back here.
struct HostMarkingServices {
  Desktop& desktop;
  ProgressReporter& progress;
  JobFlags& flags;
  std::function<Result<std::unique_ptr<ExcelWorkbook>>(const std::string& path)> open_keywords;
  // Starts or reaches InDesign.
  std::function<Result<std::shared_ptr<indesign::Application>>()> create_indesign;
  // Saves an open document under a new path (the document then carries that path).
  std::function<Status(indesign::Document& document, const std::string& path)> save_as;
  // Called once the user has confirmed the start (the window that asked may close then).
  std::function<void()> on_confirmed{};
};

FileMarkingResult LaunchHostMarking(const FileMarkingRequest& request,
                                    HostMarkingServices& services);

// Where the Windows shell saves a marking of `input` that it chose no output for: beside the
// input, never over it. A document "NAME.idml" gives "NAME-marked.idml", a book folder "NAME"
// gives the folder "NAME-marked" (`folder`: its name keeps any dots); when `taken` says that name
// is in use, "-marked-2",
// "-marked-3" … are tried in turn. Separators at the end of a folder's path are ignored.
std::string MarkedOutputPath(const std::string& input, bool folder,
                             const std::function<bool(const std::string&)>& taken);

}  // namespace mirune
