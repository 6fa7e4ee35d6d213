#pragma once

// The extraction job: one document or one book in; the page-marked stories exported as
// tagged text one at a time, each analysed at once; Razoza.doc, Razoza.txt and Razoza.xls
// out, replacing the previous three together only when the job ends normally with entries
// (after an error, an abort or an empty result the previous set stays byte for byte). Every
// report to the user goes through the desktop's message boxes; the job never writes the
// user's documents (each is closed without saving).

#include <cstdint>
#include <string>
#include <vector>

#include "analysis/entry_list.h"
#include "automation/indesign.h"
#include "base/result.h"
#include "desktop/desktop.h"
#include "extraction/working_files.h"
#include "progress/progress.h"

namespace mirune {

// The working files of one exported story.
struct StoryFiles {
  int64_t export_number = 0;
  std::string export_path;    // temp / InD_Tag###.txt (written by the host's export)
  std::string work_doc_path;  // temp / W_Temp###.doc (the analysis's run list, if it keeps one)
  std::string story_name;     // for the user: "<document> のストーリー <n>"
};

// The analysis of one exported story: appends the story's entry lines to `entries` (and
// counts them in entries' entry count), sets its progress values, and removes the story's
// working files when done. A failure ends the job through its error path.
class StoryAnalyzer {
 public:
  virtual ~StoryAnalyzer() = default;
  // `full_width` is what StartProgress returned for the current document.
  virtual Status AnalyzeStory(const StoryFiles& files, EntryList& entries,
                              ProgressReporter& progress, float full_width) = 0;
  // A job starts: what the analysis keeps across stories is dropped.
  virtual void BeginBook() {}
  // Every story of the job is analysed: work that needs the whole book (readings from ruby
  // found after their terms) is done on `entries` before the results are written.
  virtual Status FinishBook(EntryList& entries) { return Status::Ok(); }
};

// The workbook output: builds Razoza.xls from the entry list and saves it at `path` (a
// staging name the job moves into place with the other results); returns the number of entry
// rows of its sheet Org.
class ResultWorkbookWriter {
 public:
  virtual ~ResultWorkbookWriter() = default;
  virtual Result<int64_t> WriteRazozaXls(const EntryList& entries, const std::string& path,
                                         ProgressReporter& progress, float full_width) = 0;
};

struct ExtractionRequest {
  std::string selected_file_path;  // what InDesign opens
  std::string selected_file_name;  // shown in the progress windows
  bool book = false;               // a book job (".indb", a folder of chapters)
};

enum class ExtractionOutcome {
  kCompleted,  // MessageCompleted shown, three files written
  kEmpty,      // MessageNothingExtracted: nothing extracted; the previous results stay
  kRefused,  // MessageSomethingOpen, MessageBookModified, MessageBookEmpty, MessageTargetNotFound:
             // a precondition failed
  kCancelled,  // the user answered Cancel to MessageStartBook, MessageStartDocument or
               // MessageDocumentModified
  kAborted,    // the abort button before a document
  kFailed,     // MessageCannotContinue: an error ended the job
};

struct ExtractionResult {
  ExtractionOutcome outcome = ExtractionOutcome::kFailed;
  Status error;                 // the failure behind kFailed (the detail of MessageCannotContinue)
  int64_t extracted_count = 0;  // rows of Razoza.xls (kCompleted)
  int64_t entry_count = 0;      // EntryCount
  int64_t export_count = 0;     // stories exported (the last ExportNumber)
  double elapsed_seconds = 0;   // the whole job, the opening of the target included
  // Page names of the entries that are not page numbers ("iv", "A-3"), kept as written in the
  // entries' page fields; and warnings of the analysis (a mark left open at a story's end).
  std::vector<std::string> text_pages;
  std::vector<std::string> warnings;
  // Terms on the sheet of readings to check (kCompleted).
  int64_t reading_check_count = 0;
};

struct ExtractionContext {
  indesign::Application& indesign;
  Desktop& desktop;
  JobFlags& flags;
  ProgressReporter& progress;
  StoryAnalyzer& analyzer;
  ResultWorkbookWriter& workbook;
  WorkingFolders folders;
  EntryList& entries;  // the job's entry list (cleared at the start)
};

// Runs the job. The folders `temp` and `RazozaData` must exist (the launch makes them).
// Holds flags.job_running from the first question to the end, and leaves it false on every
// way out; the export preferences of InDesign are
// the launch's to restore.
ExtractionResult RunExtraction(ExtractionContext& context, const ExtractionRequest& request);

}  // namespace mirune
