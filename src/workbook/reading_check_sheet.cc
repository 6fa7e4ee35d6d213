#include "workbook/reading_check_sheet.h"

#include <algorithm>
#include <string>

#include "base/utf.h"
#include "workbook/razoza_workbook.h"

namespace mirune {
namespace {

constexpr const char* kColumnNames[] = {"語句", "使った読み", "ほかの候補", "ページ", "理由"};
constexpr double kColumnWidths[] = {30, 30, 40, 20, 60};

// The items joined by `separator`, cut before the item that would pass a cell's length.
std::string JoinWithin(const std::vector<std::string>& items, std::string_view separator) {
  std::string out;
  size_t units = 0;
  for (size_t i = 0; i < items.size(); ++i) {
    const size_t add = (i ? Utf16Length(separator) : 0) + Utf16Length(items[i]);
    if (units + add > kExcelMaxTextLength - 1) {
      out += "…";
      break;
    }
    if (i) out += separator;
    out += items[i];
    units += add;
  }
  return out;
}

// `text` cut to what a cell holds.
std::string Within(const std::string& text) {
  if (Utf16Length(text) <= kExcelMaxTextLength) return text;
  std::string out;
  size_t units = 0;
  size_t pos = 0;
  while (pos < text.size()) {
    const size_t start = pos;
    const char32_t c = DecodeUtf8(text, pos);
    units += c > 0xFFFF ? 2 : 1;
    if (units > kExcelMaxTextLength - 1) break;
    out.append(text, start, pos - start);
  }
  return out + "…";
}

}  // namespace

Status AddReadingCheckSheet(ExcelWorkbook& book, const std::vector<ReadingCheck>& checks) {
  const int active = book.ActiveSheet();
  MIRUNE_ASSIGN_OR_RETURN(const int sheet, book.AddSheet(kReadingCheckSheet));
  constexpr int kColumns = static_cast<int>(std::size(kColumnNames));
  for (int c = 0; c < kColumns; ++c) {
    MIRUNE_RETURN_IF_ERROR(book.SetCell(sheet, 1, c + 1, CellValue::Text(kColumnNames[c])));
    MIRUNE_RETURN_IF_ERROR(book.SetColumnWidth(sheet, c + 1, c + 1, kColumnWidths[c]));
  }
  // A sheet holds kExcelMaxRows rows: past them, the last row says how many were left out.
  const size_t room = kExcelMaxRows - 1;
  const size_t shown = checks.size() <= room ? checks.size() : room - 1;
  const int last_row = static_cast<int>(std::min(checks.size(), room)) + 1;
  // Pages are text: "12,13" must not become a number, nor "iv" anything else.
  MIRUNE_RETURN_IF_ERROR(
      book.SetNumberFormat(sheet, CellRange::Area(1, 4, last_row, 4), kNumberFormatText));
  int row = 2;
  for (size_t i = 0; i < shown; ++i) {
    const ReadingCheck& check = checks[i];
    const std::string cells[] = {Within(check.term), Within(check.reading),
                                 JoinWithin(check.doubt.candidates, "、"),
                                 JoinWithin(check.pages, ","), Within(check.doubt.why)};
    for (int c = 0; c < kColumns; ++c) {
      MIRUNE_RETURN_IF_ERROR(book.SetCell(sheet, row, c + 1, CellValue::Text(cells[c])));
    }
    ++row;
  }
  if (shown < checks.size()) {
    MIRUNE_RETURN_IF_ERROR(book.SetCell(
        sheet, row, 1,
        CellValue::Text("（ほかに " + std::to_string(checks.size() - shown) + " 件あります）")));
  }
  MIRUNE_RETURN_IF_ERROR(
      book.SetFontName(sheet, CellRange::Area(1, 1, last_row, kColumns), kIndexFontName));
  return book.ActivateSheet(active);
}

}  // namespace mirune
