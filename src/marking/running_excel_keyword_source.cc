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
  const int instances = excel_instances_();
  if (instances < 2) return attached;
  return Error{attached.code(), attached.message() + "（Excel が " + std::to_string(instances) +
                                    " 個起動しています。本ソフトが接続できるのは最初に起動した "
                                    "Excel だけです。Keyword.xls を開いている Excel 以外は終了して"
                                    "下さい）"};
}

Result<ExcelWorkbook*> RunningExcelKeywordSource::AttachOnce() {
  MIRUNE_ASSIGN_OR_RETURN(std::unique_ptr<ExcelApplication> excel, attach_excel_());
  MIRUNE_ASSIGN_OR_RETURN(std::unique_ptr<ExcelWorkbook> workbook, excel->ActiveWorkbook());
  excel_ = std::move(excel);
  workbook_ = std::move(workbook);
  return workbook_.get();
}

}  // namespace mirune
