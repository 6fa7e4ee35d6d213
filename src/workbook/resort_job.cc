#include "workbook/resort_job.h"

#include <string>
#include <utility>

#include "automation/excel.h"
#include "workbook/razoza_workbook.h"
#include "workbook/resort_messages.h"

namespace mirune {

Result<int32_t> ResortActiveWorkbook(ExcelApplication& excel) {
  MIRUNE_ASSIGN_OR_RETURN(std::unique_ptr<ExcelWorkbook> book, excel.ActiveWorkbook());
  // Checked before anything is deleted, so that a workbook without Org stays as it was.
  MIRUNE_RETURN_IF_ERROR(CheckOrgSheet(*book));
  for (;;) {
    Result<int> old = book->FindSheet(kAfterSortSheet);
    if (!old.ok()) {
      if (old.code() != ErrorCode::kNotFound) return old.error();
      break;
    }
    MIRUNE_RETURN_IF_ERROR(excel.SetDisplayAlerts(false));
    Status deleted = book->DeleteSheet(*old);
    // The alerts come back on also when the delete failed.
    Status alerts = excel.SetDisplayAlerts(true);
    MIRUNE_RETURN_IF_ERROR(deleted);
    MIRUNE_RETURN_IF_ERROR(alerts);
  }
  MIRUNE_ASSIGN_OR_RETURN(const int after_sort, BuildAfterSortSheet(*book));
  MIRUNE_RETURN_IF_ERROR(excel.SetVisible(true));
  MIRUNE_RETURN_IF_ERROR(book->ActivateSheet(after_sort));
  MIRUNE_ASSIGN_OR_RETURN(const int rows, book->LastFilledRow(after_sort));
  return static_cast<int32_t>(rows);
}

ResortJobResult ResortRazozaXls(ResortJobHosts& hosts) {
  ResortJobResult result;
  // Set before the first question: while the user is asked, no other job may start.
  JobRunningScope running(hosts.flags);
  if (!hosts.razoza_xls_shown()) {
    hosts.desktop.ShowMessage(kResortOpenFirstMessage, kResortTitle, kStyleRefusal);
    result.outcome = ResortOutcome::kNotOpen;
    return result;
  }
  if (hosts.desktop.ShowMessage(kResortStartMessage, kResortTitle, kStyleConfirmStart) ==
      kAnswerCancel) {
    result.outcome = ResortOutcome::kCancelled;
    return result;
  }
  hosts.desktop.FocusMainWindow();

  Result<std::unique_ptr<ExcelApplication>> excel =
      AttachWithRetry<std::unique_ptr<ExcelApplication>>(
          [&] {
            ++result.attach_attempts;
            return hosts.attach_excel();
          },
          hosts.sleeper);
  // Several Excel windows: the one reached may not be the one that shows Razoza.xls.
  auto with_note = [&hosts](const Status& cause) {
    const std::string note =
        hosts.excel_windows ? SeveralExcelInstancesNote(hosts.excel_windows(), "Razoza.xls") : "";
    return note.empty() ? cause : Status(cause.code(), cause.message() + note);
  };
  if (!excel.ok()) {
    result.outcome = ResortOutcome::kNoExcel;
    result.cause = with_note(excel.status());
    hosts.desktop.ShowFailure(kResortNoExcelMessage, result.cause.message(), kResortTitle,
                              kStyleRefusal);
    return result;
  }

  Result<int32_t> rows = ResortActiveWorkbook(**excel);
  excel->reset();  // Excel is released before the last message, on every way out
  if (!rows.ok()) {
    result.outcome = ResortOutcome::kFailed;
    result.cause = with_note(rows.status());
    hosts.desktop.ShowFailure(kResortFailedMessage, result.cause.message(), kResortTitle,
                              kStyleRefusal);
    return result;
  }
  result.after_sort_rows = *rows;
  hosts.desktop.FocusMainWindow();
  hosts.desktop.ShowMessage(kResortDoneMessage, kResortTitle, kStyleCompletion);
  result.outcome = ResortOutcome::kFinished;
  return result;
}

}  // namespace mirune
