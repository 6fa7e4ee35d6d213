#include "workbook/index_output.h"

#include <algorithm>

#include "base/utf.h"
#include "workbook/razoza_workbook.h"

namespace mirune {
namespace {

// Tagged text gives "<", ">" and "\" a meaning of their own.
std::string EscapeTagged(std::string_view text) {
  std::string out;
  out.reserve(text.size());
  for (char c : text) {
    if (c == '<' || c == '>' || c == '\\') out.push_back('\\');
    out.push_back(c);
  }
  return out;
}

}  // namespace

std::string FinishedIndexText(const std::vector<IndexLine>& lines) {
  std::string out;
  for (const IndexLine& line : lines) {
    out += line.text;
    if (!line.heading) {
      out += '\t';
      out += line.pages;
    }
    out += "\r\n";
  }
  return out;
}

std::string FinishedIndexTaggedText(const std::vector<IndexLine>& lines) {
  const std::string heading(kIndexHeadingStyle);
  const std::string entry(kIndexEntryStyle);
  const std::string pages(kIndexPagesStyle);
  std::string text = "<UNICODE-WIN>\r\n";
  text += "<vsn:8><fset:InDesign-Japanese><ctable:=<Black:COLOR:CMYK:Process:0,0,0,1>>\r\n";
  text += "<dcs:" + pages + "=<Nextstyle:" + pages + ">>\r\n";
  // After a heading come its entries.
  text += "<dps:" + heading + "=<Nextstyle:" + entry + ">>\r\n";
  text += "<dps:" + entry + "=<Nextstyle:" + entry + ">>\r\n";
  for (size_t i = 0; i < lines.size(); ++i) {
    const IndexLine& line = lines[i];
    if (line.heading) {
      text += "<pstyle:" + heading + ">" + EscapeTagged(line.text);
    } else {
      text += "<pstyle:" + entry + ">" + EscapeTagged(line.text) + "\t";
      if (!line.pages.empty()) {
        text += "<cstyle:" + pages + ">" + EscapeTagged(line.pages) + "<cstyle:>";
      }
    }
    // The last paragraph has no break after it: placing the text adds no empty paragraph.
    if (i + 1 < lines.size()) text += "\r\n";
  }
  const std::u16string utf16 = Utf8ToUtf16(text);
  std::string bytes = "\xFF\xFE";
  bytes.reserve(2 + utf16.size() * 2);
  for (char16_t c : utf16) {
    bytes.push_back(static_cast<char>(c & 0xFF));
    bytes.push_back(static_cast<char>(c >> 8));
  }
  return bytes;
}

Status AddIndexSheet(ExcelWorkbook& book, const std::vector<IndexLine>& lines,
                     std::string_view name) {
  if (book.FindSheet(name).ok()) {
    return Status(ErrorCode::kInvalidArgument,
                  "ブックにはもうシート「" + std::string(name) + "」があります。");
  }
  if (lines.size() > static_cast<size_t>(kExcelMaxRows)) {
    return Status(ErrorCode::kOverflow, "索引が " + std::to_string(lines.size()) +
                                            " 行あり、シートに入る " +
                                            std::to_string(kExcelMaxRows) + " 行を超えます。");
  }
  const int active = book.ActiveSheet();
  MIRUNE_ASSIGN_OR_RETURN(const int sheet, book.AddSheet(name));
  MIRUNE_RETURN_IF_ERROR(book.SetColumnWidth(sheet, 1, 1, 40));
  MIRUNE_RETURN_IF_ERROR(book.SetColumnWidth(sheet, 2, 2, 40));
  const int last_row = std::max(1, static_cast<int>(lines.size()));
  // Pages are text: "12" stays as written, "12–14" is no date.
  MIRUNE_RETURN_IF_ERROR(
      book.SetNumberFormat(sheet, CellRange::Area(1, 2, last_row, 2), kNumberFormatText));
  int row = 1;
  for (const IndexLine& line : lines) {
    MIRUNE_RETURN_IF_ERROR(book.SetCell(sheet, row, 1, CellValue::Text(line.text)));
    if (!line.heading) {
      MIRUNE_RETURN_IF_ERROR(book.SetCell(sheet, row, 2, CellValue::Text(line.pages)));
    }
    ++row;
  }
  MIRUNE_RETURN_IF_ERROR(
      book.SetFontName(sheet, CellRange::Area(1, 1, last_row, 2), kIndexFontName));
  return book.ActivateSheet(active);
}

}  // namespace mirune
