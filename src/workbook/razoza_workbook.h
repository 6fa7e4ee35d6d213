#pragma once

// The index workbook Razoza.xls: the entries in order of appearance (sheet "Org"), sorted by
// reading ("Sort_Only"), and sorted with the occurrences of one term folded into one row with
// its page list ("Sort_Syori1"); and the re-sort that rebuilds the folded view ("AfterSort")
// from a corrected Org. Written against the Excel interface, so the same steps drive the
// in-memory engine or a real Excel.

#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

#include "analysis/entry_list.h"
#include "analysis/reading_check.h"
#include "automation/excel.h"
#include "base/result.h"
#include "progress/progress.h"
#include "workbook/entry_rows.h"

namespace mirune {

inline constexpr std::string_view kOrgSheet = "Org";
inline constexpr std::string_view kSortOnlySheet = "Sort_Only";
inline constexpr std::string_view kSortSyoriSheet = "Sort_Syori1";
inline constexpr std::string_view kAfterSortSheet = "AfterSort";
inline constexpr std::string_view kIndexFontName = "ＭＳ 明朝";
// Activity text of the progress window while the workbook is built (ends in a space).
inline constexpr std::string_view kWorkbookActivity = "索引データ書き出し処理中です... ";

// Where the build reports its progress (60 to 100 of 100). `reporter` may be null.
struct WorkbookProgress {
  ProgressReporter* reporter = nullptr;
  float full_width = 0;  // what StartProgress returned
};

// Builds the three sheets in `book`, a new workbook whose active sheet is empty, and leaves
// Org active. Org's page column holds a number for a page number and the page name as text
// otherwise (PageField); control characters of the rows are removed. Returns the number of
// rows of Org. kInvalidArgument for no rows. Does not save. Messages are Japanese.
Result<int32_t> BuildRazozaWorkbook(ExcelWorkbook& book, const std::vector<EntryRow>& rows,
                                    const WorkbookProgress& progress = {});

// The whole output step: parses the entry text (see ParseEntryRows; nothing is written when
// it fails, e.g. past 65,536 entries), builds the workbook in a new workbook of `excel`, adds
// the sheet of marks when `marks` holds two or more numbers (mark_sheet.h) and the sheet of
// readings to check (reading_check_sheet.h) after the others, and saves it as
// `xls_path`, replacing an existing file in one step (a failed save leaves the old file
// intact). Returns the number of rows of Org.
Result<int32_t> WriteRazozaXls(ExcelApplication& excel, std::string_view entry_text,
                               const std::string& xls_path, const WorkbookProgress& progress = {},
                               const std::vector<ReadingCheck>& checks = {},
                               const std::vector<EntryMark>& marks = {});
// The same with the in-memory engine.
Result<int32_t> WriteRazozaXls(std::string_view entry_text, const std::string& xls_path,
                               const WorkbookProgress& progress = {},
                               const std::vector<ReadingCheck>& checks = {},
                               const std::vector<EntryMark>& marks = {});

// The page lists of a folded sheet: for each row that remains (row r at index r − 1), the
// page fields (PageField::text) of its term in the index's order (OrderedPageList).
using PageLists = std::vector<std::vector<std::string>>;

// The longest text a cell of an Excel 97-2003 workbook holds, in UTF-16 units.
inline constexpr size_t kExcelMaxTextLength = 32767;

// Folds adjacent rows of `sheet` whose terms (column A) are exactly equal into the first of
// them and deletes the others. The pages (column C, read as PageField: a number, or a page
// name such as "iv") are collected in memory, not in extra columns, so a term may stand on
// any number of pages, and listed as the index lists them (OrderedPageList, page names
// first): each page once, the numbers ascending. An occurrence without a page adds nothing,
// also when it is the first. Page cells never fail the fold.
// `book_order`: the page names that are no page number in the order the book has them
// (PageNamesInBookOrder of Org), which the sort by page does not keep.
Result<PageLists> MergeSameTerms(ExcelWorkbook& book, int sheet,
                                 const std::vector<std::string>& book_order = {});

// The page names of `sheet`'s page column that are no page number, each once, in the order of
// the rows (on Org: the order of the book).
Result<std::vector<std::string>> PageNamesInBookOrder(const ExcelWorkbook& book, int sheet);

// Inserts the page-list column C (width 30, text format) and fills it with each row's pages
// from `pages` joined by ","; the former page column (now D) is emptied. Rows without pages
// keep column C empty. kOverflow (nothing changed; the message names the term) when a list
// is longer than a cell holds (kExcelMaxTextLength): about 5,000 pages of four digits.
Status JoinPageList(ExcelWorkbook& book, int sheet, const PageLists& pages);

// The re-sort inside an open workbook: removes any sheet named "AfterSort", copies "Org" to
// a new sheet "AfterSort" in second position, sorts it by reading (equal readings by page), folds
// and joins it, and leaves it active. The workbook is not saved. kNotFound when there is no sheet
// "Org" (then nothing is changed). Control characters of AfterSort's columns A to C are removed
// first.
Status ResortRazozaWorkbook(ExcelWorkbook& book);

// The steps of the re-sort that the re-sort job (resort_job.h) takes one by one around its
// own (asking Excel not to prompt while the old AfterSort goes):
// kNotFound, "ブックにシート「Org」がありません。", when the workbook has no sheet "Org".
Status CheckOrgSheet(const ExcelWorkbook& book);
// Copies "Org" to a new sheet "AfterSort" in second position, removes control characters of
// its columns A to C, sorts it by reading (equal readings by page), folds and joins it, and
// activates it. Returns its position. Precondition: no sheet "AfterSort".
Result<int> BuildAfterSortSheet(ExcelWorkbook& book);

}  // namespace mirune
