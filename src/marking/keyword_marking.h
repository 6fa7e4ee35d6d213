#pragma once

// Keyword bulk marking: every occurrence of each keyword of the keyword workbook is given the
// change formatting that the user set in InDesign (a swatch or character style
// "RazozaMark1" … "RazozaMark9"), in the one open book or document. Written against the
// InDesign, Excel and desktop interfaces, so the Windows shell and the command line share it.
//
// The job checks, in this order, and refuses with its own message (nothing changed):
//   kOpenKeywordWorkbook the keyword workbook is not shown; kExcelUnreachable Excel cannot be
//   reached (20 attempts, 500 ms apart); kNoSheet1 no sheet "Sheet1"; kNoKeywords column B of
//   "Sheet1" empty; kNoDocument nothing open in InDesign; kSeveralDocuments more than one book or
//   document open; kEmptyBook the book has no documents.
// It then asks kConfirmStart (Cancel ends it), marks with progress, and ends with kFinished. Any
// host failure after the attach ends it with kFailed; what was marked until then stays. Nothing is
// saved.

#include <cstdint>
#include <functional>
#include <optional>
#include <string>
#include <vector>

#include "automation/attach_retry.h"
#include "automation/excel.h"
#include "automation/indesign.h"
#include "base/result.h"
#include "desktop/desktop.h"
#include "marking/keyword_report.h"
#include "marking/marking_messages.h"
#include "progress/progress.h"

namespace mirune {

// Where the keyword workbook comes from. Windows shell: the Excel the user has running with
// Keyword.xls; command line: a workbook file read by the in-memory workbook.
class KeywordWorkbookSource {
 public:
  virtual ~KeywordWorkbookSource() = default;
  // The first check: the keyword workbook is there to be read (Windows: a visible Excel window
  // shows Keyword.xls, and is maximised). An error carries the detail of why not.
  virtual Status CheckKeywordWorkbookShown() = 0;
  // One attempt to reach the active workbook of the running Excel; the job retries it. The
  // workbook stays owned by the source and must outlive the job.
  virtual Result<ExcelWorkbook*> AttachActiveWorkbook() = 0;
};

struct KeywordMarkingHosts {
  indesign::Application& indesign;
  KeywordWorkbookSource& keywords;
  Desktop& desktop;
  ProgressReporter& progress;
  Sleeper& sleeper;
  JobFlags& flags;  // job_running held from the first question to the end
  // Called once the user has confirmed kConfirmStart, before the run (the shell unloads its start
  // dialog here). May be empty.
  std::function<void()> on_confirmed;
  // The launch set the change formatting and saves the marked documents itself: kConfirmStart
  // leaves out the lines about InDesign's Find/Change window, and kFinished is not shown by the job
  // (the launch shows it once every file is saved).
  bool saved_by_launch = false;
};

enum class MarkingOutcome {
  kFinished,   // kFinished shown
  kRefused,    // a check failed: kOpenKeywordWorkbook to kEmptyBook, or kExcelUnreachable
  kCancelled,  // Cancel on kConfirmStart
  kFailed,     // a host call failed during the job: kFailed
};

struct KeywordMarkingResult {
  MarkingOutcome outcome = MarkingOutcome::kFailed;
  // The last message shown (kOpenKeywordWorkbook … kFailed), if any.
  std::optional<MarkingMessage> message;
  // Why a check or a host call failed, for the command line; empty otherwise.
  std::string detail;
  // "Book" or "Doc", and the target's full path, once found.
  std::string target_kind;
  std::string target_path;
  // One per row 1..K of column B (empty rows included), with the places each marked. Filled
  // as the run goes, so a failed run reports what was done until then.
  std::vector<KeywordTally> tallies;
};

KeywordMarkingResult RunKeywordMarking(KeywordMarkingHosts& hosts);

}  // namespace mirune
