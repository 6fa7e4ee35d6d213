#include "workbook/razoza_workbook.h"

#include <algorithm>
#include <cerrno>
#include <cmath>
#include <cstdlib>

#include "automation/excel_engine/memory_workbook.h"
#include "base/control_chars.h"
#include "base/file.h"
#include "base/utf.h"
#include "workbook/mark_sheet.h"
#include "workbook/page_order.h"
#include "workbook/reading_check_sheet.h"

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

// The page field of a page cell (see PageField): a number cell that shows as digits is that
// page number, anything else the page name it shows. Never fails, so a page name the user
// typed into Org does not stop the re-sort.
PageField PageOfCell(const CellValue& cell) { return PageField::FromName(cell.AsText()); }

CellValue CellOfPage(const PageField& page) {
  if (page.is_number()) return CellValue::Number(page.number());
  return CellValue::Text(page.text());
}

// Removes control characters from the entry columns of a sheet the user may have edited. The
// columns are read in one block; only the cells that change are written.
Status StripEntryControls(ExcelWorkbook& book, int sheet) {
  MIRUNE_ASSIGN_OR_RETURN(const int n, book.LastFilledRow(sheet));
  if (n == 0) return Status::Ok();
  MIRUNE_ASSIGN_OR_RETURN(CellBlock block,
                          book.GetCells(sheet, CellRange::Area(1, kTermColumn, n, kPageColumn)));
  for (int r = 0; r < block.rows; ++r) {
    for (int c = 0; c < block.columns; ++c) {
      CellValue& cell = block.at(r, c);
      if (!cell.is_text() || !StripControlChars(cell.text)) continue;
      MIRUNE_RETURN_IF_ERROR(
          book.SetCell(sheet, r + 1, kTermColumn + c, CellValue::Text(std::move(cell.text))));
    }
  }
  return Status::Ok();
}

}  // namespace

Result<int32_t> BuildRazozaWorkbook(ExcelWorkbook& book, const std::vector<EntryRow>& rows,
                                    const WorkbookProgress& progress) {
  if (rows.empty()) {
    return Error{ErrorCode::kInvalidArgument, "索引リストに項目がありません。"};
  }
  if (rows.size() > static_cast<size_t>(kExcelMaxRows)) {
    return Error{ErrorCode::kOverflow,
                 "索引項目が多すぎます: " + std::to_string(rows.size()) +
                     " 項目ありますが、シートには 65,536 行までしか入りません。"};
  }
  const int sheet = book.ActiveSheet();
  MIRUNE_RETURN_IF_ERROR(book.SetColumnWidth(sheet, 1, 1, 30));
  MIRUNE_RETURN_IF_ERROR(book.SetColumnWidth(sheet, 2, 2, 40));
  MIRUNE_RETURN_IF_ERROR(book.SetColumnWidth(sheet, 3, kLastFormattedColumn, 4));
  MIRUNE_RETURN_IF_ERROR(ReportProgress(progress, 60));

  // The entries: term and reading as text whatever they look like, the page as a number
  // (or as the page name it is). Rows may come from elsewhere than ParseEntryRows, so the
  // control characters go here too. One block, so that a host across processes takes the
  // sheet in one call.
  CellBlock entries(static_cast<int>(rows.size()), 3);
  int row = 0;
  for (const EntryRow& entry : rows) {
    entries.at(row, kTermColumn - 1) = CellValue::Text(RemoveControlChars(entry.term));
    entries.at(row, kReadingColumn - 1) = CellValue::Text(RemoveControlChars(entry.reading));
    const PageField page = PageField::FromName(RemoveControlChars(entry.page.text()));
    if (!page.empty()) entries.at(row, kPageColumn - 1) = CellOfPage(page);
    ++row;
  }
  MIRUNE_RETURN_IF_ERROR(book.SetCells(sheet, 1, kTermColumn, entries));
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
  // Equal readings by page before folding, so that a term's rows come in page order.
  MIRUNE_RETURN_IF_ERROR(book.SortRowsByTwoKeys(folded, kReadingColumn, kPageColumn));
  MIRUNE_RETURN_IF_ERROR(ReportProgress(progress, 80));
  MIRUNE_ASSIGN_OR_RETURN(const std::vector<std::string> book_order,
                          PageNamesInBookOrder(book, sheet));
  MIRUNE_ASSIGN_OR_RETURN(const PageLists page_lists, MergeSameTerms(book, folded, book_order));
  MIRUNE_RETURN_IF_ERROR(ReportProgress(progress, 90));
  MIRUNE_RETURN_IF_ERROR(JoinPageList(book, folded, page_lists));
  MIRUNE_RETURN_IF_ERROR(ReportProgress(progress, 100));

  MIRUNE_ASSIGN_OR_RETURN(const int org, book.FindSheet(kOrgSheet));
  MIRUNE_RETURN_IF_ERROR(book.ActivateSheet(org));
  return static_cast<int32_t>(n);
}

Result<int32_t> WriteRazozaXls(ExcelApplication& excel, std::string_view entry_text,
                               const std::string& xls_path, const WorkbookProgress& progress,
                               const std::vector<ReadingCheck>& checks,
                               const std::vector<EntryMark>& marks) {
  MIRUNE_ASSIGN_OR_RETURN(const std::vector<EntryRow> rows, ParseEntryRows(entry_text));
  if (rows.empty()) {
    return Error{ErrorCode::kInvalidArgument, "索引リストに項目がありません。"};
  }
  MIRUNE_ASSIGN_OR_RETURN(std::unique_ptr<ExcelWorkbook> book, excel.AddWorkbook());
  MIRUNE_ASSIGN_OR_RETURN(const int32_t n, BuildRazozaWorkbook(*book, rows, progress));
  if (NeedsMarkSheet(marks)) {
    MIRUNE_RETURN_IF_ERROR(AddMarkSheet(*book, marks));
  }
  MIRUNE_RETURN_IF_ERROR(AddReadingCheckSheet(*book, checks));
  const Status saved = book->SaveAs(xls_path);
  if (!saved.ok()) return saved.error();
  return n;
}

Result<int32_t> WriteRazozaXls(std::string_view entry_text, const std::string& xls_path,
                               const WorkbookProgress& progress,
                               const std::vector<ReadingCheck>& checks,
                               const std::vector<EntryMark>& marks) {
  MemoryExcel excel;
  return WriteRazozaXls(excel, entry_text, xls_path, progress, checks, marks);
}

Result<std::vector<std::string>> PageNamesInBookOrder(const ExcelWorkbook& book, int sheet) {
  std::vector<std::string> names;
  MIRUNE_ASSIGN_OR_RETURN(const int n, book.LastFilledRow(sheet));
  if (n == 0) return names;
  MIRUNE_ASSIGN_OR_RETURN(const CellBlock block,
                          book.GetCells(sheet, CellRange::Area(1, kPageColumn, n, kPageColumn)));
  for (int r = 0; r < block.rows; ++r) {
    const PageField page = PageOfCell(block.at(r, 0));
    if (page.empty() || page.is_number()) continue;
    if (std::find(names.begin(), names.end(), page.text()) == names.end()) {
      names.push_back(page.text());
    }
  }
  return names;
}

Result<PageLists> MergeSameTerms(ExcelWorkbook& book, int sheet,
                                 const std::vector<std::string>& book_order) {
  MIRUNE_ASSIGN_OR_RETURN(const int n, book.LastFilledRow(sheet));
  PageLists lists;
  if (n == 0) return lists;
  // The terms and pages are read in one block and the rows of the terms' further occurrences
  // are deleted together at the end, so that a host where each call crosses into another
  // process pays a few calls for the whole fold, not one per row.
  MIRUNE_ASSIGN_OR_RETURN(const CellBlock block,
                          book.GetCells(sheet, CellRange::Area(1, kTermColumn, n, kPageColumn)));
  std::vector<RowRun> deletions;
  int i = 0;
  while (i < n) {
    const std::string a = block.at(i, 0).AsText();
    std::vector<std::string> pages;
    const PageField first = PageOfCell(block.at(i, kPageColumn - 1));
    if (!first.empty()) pages.push_back(first.text());
    // The term's further occurrences: an occurrence without a page records nothing (so a
    // first occurrence without one does not leave the others out of the list). The list is
    // then put in the index's order, each page once, whatever order the host sorted equal
    // readings in.
    int j = i + 1;
    while (!a.empty() && j < n && block.at(j, 0).AsText() == a) {
      const PageField next = PageOfCell(block.at(j, kPageColumn - 1));
      if (!next.empty()) pages.push_back(next.text());
      ++j;
    }
    lists.push_back(OrderedPageList(pages, kTextPagesFirstByDefault, book_order));
    if (j - i > 1) deletions.push_back({i + 2, j - i - 1});
    i = j;
  }
  if (!deletions.empty()) MIRUNE_RETURN_IF_ERROR(book.DeleteRowRuns(sheet, deletions));
  return lists;
}

Status JoinPageList(ExcelWorkbook& book, int sheet, const PageLists& pages) {
  // Every list is joined and checked before the sheet changes.
  std::vector<std::string> joined(pages.size());
  for (size_t r = 0; r < pages.size(); ++r) {
    for (const std::string& page : pages[r]) {
      if (!joined[r].empty()) joined[r] += ',';
      joined[r] += page;
    }
    if (Utf16Length(joined[r]) > kExcelMaxTextLength) {
      MIRUNE_ASSIGN_OR_RETURN(const CellValue term,
                              book.GetCell(sheet, static_cast<int>(r) + 1, kTermColumn));
      return Status(ErrorCode::kOverflow,
                    "語句「" + term.AsText() + "」のノンブルが多すぎます: " +
                        std::to_string(pages[r].size()) + " か所のノンブルを並べると " +
                        std::to_string(Utf16Length(joined[r])) + " 文字になり、1 つのセルに入る " +
                        std::to_string(kExcelMaxTextLength) + " 文字を超えます。");
    }
  }
  MIRUNE_RETURN_IF_ERROR(book.InsertColumn(sheet, kPageColumn));
  MIRUNE_RETURN_IF_ERROR(book.SetColumnWidth(sheet, kPageColumn, kPageColumn, 30));
  MIRUNE_RETURN_IF_ERROR(
      book.SetNumberFormat(sheet, CellRange::Columns(kPageColumn, kPageColumn), kNumberFormatText));
  if (joined.empty()) return Status::Ok();
  // Columns C and D in one block: the list, and the former page column (now D) emptied, since
  // the list holds its page.
  CellBlock block(static_cast<int>(joined.size()), 2);
  for (size_t r = 0; r < joined.size(); ++r) {
    block.at(static_cast<int>(r), 0) = CellValue::Text(std::move(joined[r]));
  }
  return book.SetCells(sheet, 1, kPageColumn, block);
}

Status ResortRazozaWorkbook(ExcelWorkbook& book) {
  // Checked first, so that a workbook without Org is left exactly as it was.
  MIRUNE_RETURN_IF_ERROR(CheckOrgSheet(book));
  for (;;) {
    Result<int> old = book.FindSheet(kAfterSortSheet);
    if (!old.ok()) break;
    MIRUNE_RETURN_IF_ERROR(book.DeleteSheet(*old));
  }
  return BuildAfterSortSheet(book).status();
}

Status CheckOrgSheet(const ExcelWorkbook& book) {
  Result<int> org = book.FindSheet(kOrgSheet);
  if (org.ok()) return Status::Ok();
  if (org.code() == ErrorCode::kNotFound) {
    return Status(ErrorCode::kNotFound, "ブックにシート「Org」がありません。");
  }
  return org.status();
}

Result<int> BuildAfterSortSheet(ExcelWorkbook& book) {
  MIRUNE_ASSIGN_OR_RETURN(const int org, book.FindSheet(kOrgSheet));
  MIRUNE_ASSIGN_OR_RETURN(const int after_sort, book.CopySheet(org, 1));
  MIRUNE_RETURN_IF_ERROR(book.RenameSheet(after_sort, kAfterSortSheet));
  MIRUNE_RETURN_IF_ERROR(StripEntryControls(book, after_sort));
  MIRUNE_ASSIGN_OR_RETURN(const std::vector<std::string> book_order,
                          PageNamesInBookOrder(book, after_sort));
  MIRUNE_RETURN_IF_ERROR(book.SortRowsByTwoKeys(after_sort, kReadingColumn, kPageColumn));
  MIRUNE_ASSIGN_OR_RETURN(const PageLists pages, MergeSameTerms(book, after_sort, book_order));
  MIRUNE_RETURN_IF_ERROR(JoinPageList(book, after_sort, pages));
  MIRUNE_RETURN_IF_ERROR(book.ActivateSheet(after_sort));
  return after_sort;
}

}  // namespace mirune
