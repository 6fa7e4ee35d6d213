#include "workbook/workbook_in_set.h"

#include "base/file.h"

namespace mirune {

Status AddWorkbookToSet(OutputFileSet& set, ExcelWorkbook& book, const std::string& path) {
  if (IsReadOnlyFile(path)) {
    return Status(ErrorCode::kIoError, path + " を置き換えられません: 読み取り専用のファイルです");
  }
  if (FolderExists(path)) {
    return Status(ErrorCode::kIoError,
                  path + " を置き換えられません: 同じ名前のフォルダーがあります");
  }
  Result<std::string> bytes = book.SavedBytes();
  if (bytes.ok()) return set.Add(path, *bytes);
  if (bytes.code() != ErrorCode::kUnsupported) {
    return Status(bytes.code(), path + " を書き込めません: " + bytes.message());
  }
  MIRUNE_ASSIGN_OR_RETURN(const std::string staged, set.Stage(path));
  return set.NameTargets(book.SaveAs(staged));
}

}  // namespace mirune
