#include "marking/keyword_file_source.h"

#include <utility>

namespace mirune {

Status KeywordFileSource::CheckKeywordWorkbookShown() {
  Result<std::unique_ptr<ExcelWorkbook>> opened = opener_(path_);
  if (!opened.ok()) {
    // The reader's cause names the file already.
    return Status(opened.code(), "キーワードのブックを読めません: " + opened.message());
  }
  workbook_ = std::move(*opened);
  return Status::Ok();
}

Result<ExcelWorkbook*> KeywordFileSource::AttachActiveWorkbook() {
  if (!workbook_) {
    return Result<ExcelWorkbook*>(ErrorCode::kInternal, "キーワードのブックが読み込まれていません");
  }
  return workbook_.get();
}

}  // namespace mirune
