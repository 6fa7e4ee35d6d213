#include "marking/running_excel_keyword_source.h"

#include <string>
#include <utility>

namespace mirune {

Status RunningExcelKeywordSource::CheckKeywordWorkbookShown() {
  if (keyword_xls_shown_()) return Status::Ok();
  return Status(ErrorCode::kNotFound, "Keyword.xls を表示している Excel のウィンドウがありません");
}

Result<ExcelWorkbook*> RunningExcelKeywordSource::AttachActiveWorkbook() {
  workbook_.reset();
  excel_.reset();
  Result<ExcelWorkbook*> attached = AttachOnce();
  if (attached.ok() || !excel_instances_) return attached;
  const std::string note = SeveralExcelInstancesNote(excel_instances_(), "Keyword.xls");
  if (note.empty()) return attached;
  return Error{attached.code(), attached.message() + note};
}

Result<ExcelWorkbook*> RunningExcelKeywordSource::AttachOnce() {
  MIRUNE_ASSIGN_OR_RETURN(std::unique_ptr<ExcelApplication> excel, attach_excel_());
  MIRUNE_ASSIGN_OR_RETURN(std::unique_ptr<ExcelWorkbook> workbook, excel->ActiveWorkbook());
  excel_ = std::move(excel);
  workbook_ = std::move(workbook);
  return workbook_.get();
}

}  // namespace mirune
