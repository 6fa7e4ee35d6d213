#pragma once

// `mirune mark`: keyword bulk marking of a document file or a book folder in the embedded
// engine, saved to a new file or folder. The input is never written.
//
// The command opens INPUT (a document, or a folder holding a book's documents), gives it the
// swatch or character style named by the options when it lacks it, sets the change formatting
// and find options as a user would in InDesign's Find/Change window, runs the keyword marking
// job with the keyword workbook file, and on success saves the marked documents to OUTPUT and
// prints, per keyword, how many places were marked and which keywords were found nowhere.

#include <functional>
#include <memory>
#include <string>
#include <string_view>

#include "app/desktop.h"
#include "automation/excel.h"
#include "automation/indesign_engine/engine_application.h"
#include "automation/indesign_engine/layout_model.h"
#include "base/result.h"
#include "marking/keyword_marking.h"
#include "progress/progress.h"

namespace mirune {

struct MarkCommandOptions {
  std::string keywords_path;  // the keyword workbook (.xls)
  std::string swatch;         // exactly one of swatch and style is set
  std::string style;
  bool case_sensitive = false;
  bool whole_word = false;
  std::string input;   // a document file, or a book folder
  std::string output;  // a file for a document, a folder for a book
};

struct MarkCommandHosts {
  Desktop& desktop;  // the terminal: prints messages, answers the confirmation
  ProgressReporter& progress;
  std::function<void(std::string_view)> print_out;
  std::function<void(std::string_view)> print_err;
  // Reads the keyword workbook file.
  std::function<Result<std::unique_ptr<ExcelWorkbook>>(const std::string& path)> open_keywords;
  // Reads INPUT and the book's documents into the engine (IDML where the build has it).
  indesign_engine::Loader loader;
  // Writes a marked document to a path.
  std::function<Status(const layout::Document& document, const std::string& path)> save;
};

// Process exit codes.
inline constexpr int kExitOk = 0;
inline constexpr int kExitRefused = 1;  // a check refused, or the user cancelled
inline constexpr int kExitError = 2;    // bad input, a failed job or a failed save

int RunMarkCommand(const MarkCommandOptions& options, MarkCommandHosts& hosts);

// The keyword workbook as a file: reading it is the first check of the job (a file that
// cannot be read stands where "Keyword.xls is not open" stands on the desktop), and attaching
// hands out the workbook read.
class KeywordFileSource : public KeywordWorkbookSource {
 public:
  using Opener = std::function<Result<std::unique_ptr<ExcelWorkbook>>(const std::string&)>;
  KeywordFileSource(std::string path, Opener opener)
      : path_(std::move(path)), opener_(std::move(opener)) {}

  Status CheckKeywordWorkbookShown() override;
  Result<ExcelWorkbook*> AttachActiveWorkbook() override;

 private:
  std::string path_;
  Opener opener_;
  std::unique_ptr<ExcelWorkbook> workbook_;
};

}  // namespace mirune
