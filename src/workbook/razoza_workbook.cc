#include "workbook/razoza_workbook.h"

#include <cerrno>
#include <cmath>
#include <cstdlib>

#include "automation/excel_engine/memory_workbook.h"
#include "base/file.h"

namespace mirune {
namespace {

constexpr int kTermColumn = 1;
constexpr int kReadingColumn = 2;
constexpr int kPageColumn = 3;
constexpr int kLastFormattedColumn = 26;  // Z

Status ReportProgress(const WorkbookProgress& progress, int32_t done) {
  if (progress.reporter == nullptr) return Status::Ok();
  MIRUNE_RETURN_IF_ERROR(
      progress.reporter->UpdateProgress(done, 100, progress.full_width, kWorkbookActivity));
  progress.reporter->YieldToMessageLoop();
  return Status::Ok();
}

// A page cell as a whole number: empty reads as 0, a number is rounded half to even, a text
// must be a number.
Result<int64_t> PageNumber(const CellValue& value, int row, int column) {
  double number = 0;
  if (value.is_number()) {
    number = value.number;
  } else if (value.is_text()) {
    const char* begin = value.text.c_str();
    char* end = nullptr;
    errno = 0;
    number = std::strtod(begin, &end);
    while (end != nullptr && *end == ' ') ++end;
    if (end == begin || *end != '\0' || errno != 0) {
      return Error{ErrorCode::kFormatError, "row " + std::to_string(row) + ", column " +
                                                std::to_string(column) + ": the page \"" +
                                                value.text + "\" is not a number"};
    }
  }
  if (!(std::fabs(number) < 2147483648.0)) {
    return Error{ErrorCode::kOverflow, "row " + std::to_string(row) + ": the page " +
                                           value.AsText() + " is out of range"};
  }
  return static_cast<int64_t>(std::nearbyint(number));
}

}  // namespace

Result<int32_t> BuildRazozaWorkbook(ExcelWorkbook& book, const std::vector<EntryRow>& rows,
                                    const WorkbookProgress& progress) {
  if (rows.empty()) {
    return Error{ErrorCode::kInvalidArgument, "the entry list holds no entries"};
  }
  if (rows.size() > static_cast<size_t>(kExcelMaxRows)) {
    return Error{ErrorCode::kOverflow, "more entries than a sheet holds (65,536 rows)"};
  }
  const int sheet = book.ActiveSheet();
  MIRUNE_RETURN_IF_ERROR(book.SetColumnWidth(sheet, 1, 1, 30));
  MIRUNE_RETURN_IF_ERROR(book.SetColumnWidth(sheet, 2, 2, 40));
  MIRUNE_RETURN_IF_ERROR(book.SetColumnWidth(sheet, 3, kLastFormattedColumn, 4));
  MIRUNE_RETURN_IF_ERROR(ReportProgress(progress, 60));

  // The entries: term and reading as text whatever they look like, the page as a number.
  int row = 1;
  for (const EntryRow& entry : rows) {
    MIRUNE_RETURN_IF_ERROR(book.SetCell(sheet, row, kTermColumn, CellValue::Text(entry.term)));
    MIRUNE_RETURN_IF_ERROR(
        book.SetCell(sheet, row, kReadingColumn, CellValue::Text(entry.reading)));
    if (entry.page) {
      MIRUNE_RETURN_IF_ERROR(book.SetCell(sheet, row, kPageColumn, CellValue::Number(*entry.page)));
    }
    ++row;
  }
  MIRUNE_RETURN_IF_ERROR(book.SetFontName(sheet, CellRange::Columns(1, 3), kIndexFontName));
  // The format of A1 spreads over B1 to Z of the last row. The row count is that of the
  // entries, also when the last entries have empty fields.
  const int n = static_cast<int>(rows.size());
  MIRUNE_RETURN_IF_ERROR(
      book.CopyFormat(sheet, 1, 1, CellRange::Area(1, 2, n, kLastFormattedColumn)));
  MIRUNE_RETURN_IF_ERROR(book.SetAlignment(
      sheet, CellRange::Columns(1, 2), {std::nullopt, VerticalAlignment::kCenter, std::nullopt}));
  MIRUNE_RETURN_IF_ERROR(ReportProgress(progress, 70));
  const CellRange pages = CellRange::Area(1, kPageColumn, n, kLastFormattedColumn);
  MIRUNE_RETURN_IF_ERROR(book.SetNumberFormat(sheet, pages, kNumberFormatGeneral));
  MIRUNE_RETURN_IF_ERROR(book.SetAlignment(
      sheet, pages, {HorizontalAlignment::kGeneral, VerticalAlignment::kCenter, false}));
  MIRUNE_RETURN_IF_ERROR(book.RenameSheet(sheet, kOrgSheet));

  MIRUNE_ASSIGN_OR_RETURN(const int sort_only, book.CopySheet(sheet, 1));
  MIRUNE_RETURN_IF_ERROR(book.RenameSheet(sort_only, kSortOnlySheet));
  MIRUNE_RETURN_IF_ERROR(book.SortRows(sort_only, kReadingColumn));

  MIRUNE_ASSIGN_OR_RETURN(const int folded, book.CopySheet(sort_only, 2));
  MIRUNE_RETURN_IF_ERROR(book.RenameSheet(folded, kSortSyoriSheet));
  MIRUNE_RETURN_IF_ERROR(ReportProgress(progress, 80));
  MIRUNE_RETURN_IF_ERROR(MergeSameTerms(book, folded));
  MIRUNE_RETURN_IF_ERROR(ReportProgress(progress, 90));
  MIRUNE_RETURN_IF_ERROR(JoinPageList(book, folded));
  MIRUNE_RETURN_IF_ERROR(ReportProgress(progress, 100));

  MIRUNE_ASSIGN_OR_RETURN(const int org, book.FindSheet(kOrgSheet));
  MIRUNE_RETURN_IF_ERROR(book.ActivateSheet(org));
  return static_cast<int32_t>(n);
}

Result<int32_t> WriteRazozaXls(ExcelApplication& excel, std::string_view entry_text,
                               const std::string& xls_path, const WorkbookProgress& progress) {
  MIRUNE_ASSIGN_OR_RETURN(const std::vector<EntryRow> rows, ParseEntryRows(entry_text));
  if (rows.empty()) {
    return Error{ErrorCode::kInvalidArgument, "the entry list holds no entries"};
  }
  MIRUNE_ASSIGN_OR_RETURN(std::unique_ptr<ExcelWorkbook> book, excel.AddWorkbook());
  MIRUNE_ASSIGN_OR_RETURN(const int32_t n, BuildRazozaWorkbook(*book, rows, progress));
  MIRUNE_RETURN_IF_ERROR(book->SaveAs(xls_path));
  return n;
}

Result<int32_t> WriteRazozaXls(std::string_view entry_text, const std::string& xls_path,
                               const WorkbookProgress& progress) {
  MemoryExcel excel;
  return WriteRazozaXls(excel, entry_text, xls_path, progress);
}

Status MergeSameTerms(ExcelWorkbook& book, int sheet) {
  MIRUNE_ASSIGN_OR_RETURN(const int n, book.LastFilledRow(sheet));
  int k = 0;  // pages recorded after the first one for the current term
  int i = 1;
  // The bound stays n while rows are deleted: the rows it then visits are empty.
  while (i <= n) {
    MIRUNE_ASSIGN_OR_RETURN(const CellValue a_cell, book.GetCell(sheet, i, kTermColumn));
    const std::string a = a_cell.AsText();
    std::string b;
    if (i + 1 <= kExcelMaxRows) {
      MIRUNE_ASSIGN_OR_RETURN(const CellValue b_cell, book.GetCell(sheet, i + 1, kTermColumn));
      b = b_cell.AsText();
    }
    if (a.empty() || b != a) {
      k = 0;
      ++i;
      continue;
    }
    MIRUNE_ASSIGN_OR_RETURN(const CellValue next_cell, book.GetCell(sheet, i + 1, kPageColumn));
    // An occurrence without a page adds nothing to the term's page list.
    if (!next_cell.is_empty()) {
      MIRUNE_ASSIGN_OR_RETURN(const int64_t next, PageNumber(next_cell, i + 1, kPageColumn));
      const int last_column = k == 0 ? kPageColumn : k + kPageColumn;
      MIRUNE_ASSIGN_OR_RETURN(const CellValue last_cell, book.GetCell(sheet, i, last_column));
      if (k == 0 && last_cell.is_empty()) {
        // The term's first occurrence has no page: this page becomes its first one.
        MIRUNE_RETURN_IF_ERROR(
            book.SetCell(sheet, i, kPageColumn, CellValue::Number(static_cast<double>(next))));
      } else {
        MIRUNE_ASSIGN_OR_RETURN(const int64_t last, PageNumber(last_cell, i, last_column));
        if (next != last) {
          ++k;
          if (k + kPageColumn > kExcelMaxColumns) {
            return Status(ErrorCode::kOverflow,
                          "the term \"" + a + "\" has more pages than a row has columns");
          }
          MIRUNE_RETURN_IF_ERROR(book.SetCell(sheet, i, k + kPageColumn,
                                              CellValue::Number(static_cast<double>(next))));
        }
      }
    }
    MIRUNE_RETURN_IF_ERROR(book.DeleteRow(sheet, i + 1));
  }
  return Status::Ok();
}

Status JoinPageList(ExcelWorkbook& book, int sheet) {
  MIRUNE_RETURN_IF_ERROR(book.InsertColumn(sheet, kPageColumn));
  MIRUNE_RETURN_IF_ERROR(book.SetColumnWidth(sheet, kPageColumn, kPageColumn, 30));
  MIRUNE_RETURN_IF_ERROR(
      book.SetNumberFormat(sheet, CellRange::Columns(kPageColumn, kPageColumn), kNumberFormatText));
  MIRUNE_ASSIGN_OR_RETURN(const int n, book.LastFilledRow(sheet));
  for (int r = 1; r <= n; ++r) {
    std::string list;
    for (int c = kPageColumn + 1; c <= kExcelMaxColumns; ++c) {
      MIRUNE_ASSIGN_OR_RETURN(const CellValue v, book.GetCell(sheet, r, c));
      if (v.is_empty()) break;
      list += v.AsText();
      list += ',';
      MIRUNE_RETURN_IF_ERROR(book.SetCell(sheet, r, c, CellValue::Empty()));
    }
    if (!list.empty() && list.back() == ',') list.pop_back();
    MIRUNE_RETURN_IF_ERROR(book.SetCell(sheet, r, kPageColumn, CellValue::Text(list)));
  }
  return Status::Ok();
}

Status ResortRazozaWorkbook(ExcelWorkbook& book) {
  // Checked first, so that a workbook without Org is left exactly as it was.
  MIRUNE_RETURN_IF_ERROR(book.FindSheet(kOrgSheet).status());
  for (;;) {
    Result<int> old = book.FindSheet(kAfterSortSheet);
    if (!old.ok()) break;
    MIRUNE_RETURN_IF_ERROR(book.DeleteSheet(*old));
  }
  MIRUNE_ASSIGN_OR_RETURN(const int org, book.FindSheet(kOrgSheet));
  MIRUNE_ASSIGN_OR_RETURN(const int after_sort, book.CopySheet(org, 1));
  MIRUNE_RETURN_IF_ERROR(book.RenameSheet(after_sort, kAfterSortSheet));
  MIRUNE_RETURN_IF_ERROR(book.SortRows(after_sort, kReadingColumn));
  MIRUNE_RETURN_IF_ERROR(MergeSameTerms(book, after_sort));
  MIRUNE_RETURN_IF_ERROR(JoinPageList(book, after_sort));
  return book.ActivateSheet(after_sort);
}

std::string DefaultResortPath(const std::string& input_path) {
  // The extension starts at the last dot after the last folder separator.
  const size_t slash = input_path.find_last_of("/\\");
  const size_t dot = input_path.rfind('.');
  if (dot == std::string::npos || (slash != std::string::npos && dot < slash) ||
      dot == (slash == std::string::npos ? 0 : slash + 1)) {
    return input_path + "-resort";
  }
  return input_path.substr(0, dot) + "-resort" + input_path.substr(dot);
}

Result<ResortResult> ResortRazozaXls(ExcelApplication& excel, const std::string& input_path,
                                     const std::string& output_path) {
  ResortResult result;
  result.output_path = output_path.empty() ? DefaultResortPath(input_path) : output_path;
  if (SameFile(input_path, result.output_path)) {
    return Error{ErrorCode::kInvalidArgument,
                 result.output_path +
                     ": the re-sorted workbook is never written over its input; choose "
                     "another output file"};
  }
  MIRUNE_ASSIGN_OR_RETURN(std::unique_ptr<ExcelWorkbook> book, excel.OpenWorkbook(input_path));
  MIRUNE_RETURN_IF_ERROR(ResortRazozaWorkbook(*book));
  MIRUNE_ASSIGN_OR_RETURN(result.after_sort_rows, book->LastFilledRow(book->ActiveSheet()));
  MIRUNE_RETURN_IF_ERROR(book->SaveAs(result.output_path));
  return result;
}

}  // namespace mirune
