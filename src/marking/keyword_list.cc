#include "marking/keyword_list.h"

#include "base/control_chars.h"

namespace mirune {

Result<int> FindKeywordSheet(const ExcelWorkbook& workbook) {
  const int count = workbook.SheetCount();
  for (int sheet = 1; sheet <= count; ++sheet) {
    MIRUNE_ASSIGN_OR_RETURN(const std::string name, workbook.SheetName(sheet));
    if (name == kKeywordSheetName) return sheet;
  }
  return Result<int>(ErrorCode::kNotFound, "シート「Sheet1」がありません");
}

Result<int32_t> LastFilledRow(const ExcelWorkbook& workbook, int sheet, int column) {
  MIRUNE_ASSIGN_OR_RETURN(int32_t row, workbook.LastFilledRow(sheet));
  while (row > 0) {
    MIRUNE_ASSIGN_OR_RETURN(const CellValue value, workbook.GetCell(sheet, row, column));
    if (!value.is_empty()) break;
    --row;
  }
  return row;
}

Result<std::vector<std::string>> ReadKeywords(const ExcelWorkbook& workbook, int sheet, int column,
                                              int32_t count) {
  std::vector<std::string> keywords;
  keywords.reserve(count > 0 ? static_cast<size_t>(count) : 0);
  for (int32_t row = 1; row <= count; ++row) {
    MIRUNE_ASSIGN_OR_RETURN(const CellValue value, workbook.GetCell(sheet, row, column));
    keywords.push_back(RemoveControlChars(value.AsText()));
  }
  return keywords;
}

}  // namespace mirune
