#pragma once

// The re-sort job: after the user has corrected readings on the sheet Org of Razoza.xls open
// in Excel, the sorted and folded view is rebuilt in a sheet AfterSort (second position) of
// that workbook, which is not saved. Written against the desktop and the Excel interface, so
// the utility window drives the running Excel through COM and the tests the embedded engine.
//
// Steps:
//   1. JobRunning set: no other job starts while the user is asked.
//   2. No visible Excel window shows Razoza.xls (MaximizeRazozaXls false): kResortOpenFirstMessage,
//   end.
//   3. kResortStartMessage; Cancel ends it (nothing changed, JobRunning cleared).
//   4. The main window gets the focus.
//   5. Excel attached: one attempt, then 500 ms waits, 20 attempts in all; all failed:
//   kResortNoExcelMessage.
//   6. The active workbook must hold Org (else kResortFailedMessage: nothing is changed); every
//   AfterSort is
//      deleted with Excel's alerts off, then on again.
//   7.–9. Org copied after the first sheet, named AfterSort, sorted by reading, folded, its
//      page lists joined (workbook/razoza_workbook.h).
//  10. Excel made visible; AfterSort active.
//  11. The main window gets the focus; kResortDoneMessage.
// Any other failure ends the job with kResortFailedMessage and its cause ("詳細:"); what was done
// until then stays in the workbook. Every way out clears JobRunning and releases Excel.

#include <cstdint>
#include <functional>
#include <memory>

#include "automation/attach_retry.h"
#include "automation/excel.h"
#include "base/result.h"
#include "desktop/desktop.h"

namespace mirune {

struct ResortJobHosts {
  Desktop& desktop;
  JobFlags& flags;  // job_running held from the first question to the end
  // Waits between the attempts to attach.
  Sleeper& sleeper;
  // MaximizeRazozaXls: true when a visible Excel window shows Razoza.xls (it is maximised).
  std::function<bool()> razoza_xls_shown;
  // One attempt to reach the running Excel (Windows: the COM client's AttachOnce).
  std::function<Result<std::unique_ptr<ExcelApplication>>()> attach_excel;
  // How many Excel windows are shown (several instances: the attach reaches only the first
  // one started, which may not hold Razoza.xls). May be empty.
  std::function<int()> excel_windows;
};

enum class ResortOutcome {
  kFinished,   // kResortDoneMessage
  kNotOpen,    // kResortOpenFirstMessage
  kCancelled,  // Cancel on kResortStartMessage
  kNoExcel,    // kResortNoExcelMessage
  kFailed,     // kResortFailedMessage
};

struct ResortJobResult {
  ResortOutcome outcome = ResortOutcome::kFailed;
  // Why it did not finish (kResortNoExcelMessage, kResortFailedMessage), in Japanese; ok otherwise.
  Status cause;
  int attach_attempts = 0;
  // Rows of AfterSort once built.
  int32_t after_sort_rows = 0;
};

// The job, as the utility window's button "Excelソート処理" runs it.
ResortJobResult ResortRazozaXls(ResortJobHosts& hosts);

// Steps 6 to 10 on the active workbook of `excel`: returns the rows of AfterSort. Shared by
// the job and the command line's re-sort of a saved workbook.
Result<int32_t> ResortActiveWorkbook(ExcelApplication& excel);

}  // namespace mirune
