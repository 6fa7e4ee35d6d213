#include "workbook/mark_sheet.h"

#include <cmath>
#include <set>
#include <string>

#include "workbook/razoza_workbook.h"

namespace mirune {

bool NeedsMarkSheet(const std::vector<EntryMark>& marks) {
  std::set<int> numbers;
  for (const EntryMark& m : marks) numbers.insert(m.mark);
  return numbers.size() >= 2;
}

Status AddMarkSheet(ExcelWorkbook& book, const std::vector<EntryMark>& marks) {
  if (marks.size() > static_cast<size_t>(kExcelMaxRows)) {
    return Status(ErrorCode::kOverflow, "マークのある項目が " + std::to_string(marks.size()) +
                                            " 行あり、シートに入る行数を超えます。");
  }
  const int active = book.ActiveSheet();
  MIRUNE_ASSIGN_OR_RETURN(const int sheet, book.AddSheet(kMarkSheet));
  const int last_row = std::max(1, static_cast<int>(marks.size()));
  MIRUNE_RETURN_IF_ERROR(book.SetColumnWidth(sheet, 1, 1, 30));
  // Pages as text: "12" and "iv" alike, as the entry lines have them.
  MIRUNE_RETURN_IF_ERROR(
      book.SetNumberFormat(sheet, CellRange::Area(1, 2, last_row, 2), kNumberFormatText));
  int row = 1;
  for (const EntryMark& m : marks) {
    MIRUNE_RETURN_IF_ERROR(book.SetCell(sheet, row, 1, CellValue::Text(m.term)));
    MIRUNE_RETURN_IF_ERROR(book.SetCell(sheet, row, 2, CellValue::Text(m.page)));
    MIRUNE_RETURN_IF_ERROR(book.SetCell(sheet, row, 3, CellValue::Number(m.mark)));
    ++row;
  }
  MIRUNE_RETURN_IF_ERROR(
      book.SetFontName(sheet, CellRange::Area(1, 1, last_row, 3), kIndexFontName));
  return book.ActivateSheet(active);
}

Result<std::vector<EntryMark>> ReadMarkSheet(const ExcelWorkbook& book, int sheet) {
  MIRUNE_ASSIGN_OR_RETURN(const int last, book.LastFilledRow(sheet));
  std::vector<EntryMark> marks;
  for (int row = 1; row <= last; ++row) {
    MIRUNE_ASSIGN_OR_RETURN(const CellValue term, book.GetCell(sheet, row, 1));
    MIRUNE_ASSIGN_OR_RETURN(const CellValue page, book.GetCell(sheet, row, 2));
    MIRUNE_ASSIGN_OR_RETURN(const CellValue mark, book.GetCell(sheet, row, 3));
    if (term.AsText().empty()) continue;
    const std::string text = mark.AsText();
    char* end = nullptr;
    const double number = std::strtod(text.c_str(), &end);
    if (text.empty() || *end != '\0' || number < 0 || number > 9 || number != std::floor(number)) {
      return Error{ErrorCode::kFormatError, "シート「" + std::string(kMarkSheet) + "」の " +
                                                std::to_string(row) + " 行目のマーク番号「" + text +
                                                "」が 0 から 9 の数ではありません。"};
    }
    marks.push_back({term.AsText(), page.AsText(), static_cast<int>(number)});
  }
  return marks;
}

}  // namespace mirune
