#pragma once

// The Excel operations that the index workbook jobs (build, re-sort) and keyword marking
// need, written from what those jobs do. Implementations: the in-memory workbook with its
// own .xls writer and reader (automation/excel_engine/), and a COM client driving a running
// Excel where one exists.
//
// Conventions of every call:
// - Sheets are addressed by their 1-based position in the workbook (as Excel's Sheets(i)).
// - Rows and columns are 1-based (A = 1); rows 1..kExcelMaxRows, columns 1..kExcelMaxColumns,
//   the limits of the Excel 97-2003 format.
// - Strings are UTF-8.
// - Nothing throws; a failing call returns a Status or Result with the reason:
//   kNotFound for a sheet position or name that is not there, kInvalidArgument for a row,
//   column, range or name that is out of bounds or not allowed, kOverflow when an operation
//   would push data past the format's limits, kIoError / kFormatError for files.

#include <cstdint>
#include <cstdio>
#include <memory>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "base/result.h"

namespace mirune {

inline constexpr int kExcelMaxRows = 65536;
inline constexpr int kExcelMaxColumns = 256;
// Longest sheet name Excel accepts.
inline constexpr int kExcelMaxSheetNameLength = 31;

// Number format codes (the locale-independent form: a Japanese Excel shows "General" as
// "G/標準").
inline constexpr std::string_view kNumberFormatGeneral = "General";
inline constexpr std::string_view kNumberFormatText = "@";

enum class CellType { kEmpty, kText, kNumber };

// Excel's text of an error value ("#DIV/0!"), by its code in the file format; empty for a code
// Excel does not have.
std::string_view ExcelErrorText(uint8_t code);

// True for a text that is how a cell shows a truth value or an error value ("TRUE", "FALSE",
// "#DIV/0!", "#N/A" …): what a formula gives, never a value the user wrote (the workbook
// readers give such formula results as these texts).
bool IsTruthOrErrorText(std::string_view text);

// What a failure after reaching the running Excel adds when `instances` Excel windows are
// shown: only the first Excel started is reached, which may not hold `workbook_name`. Empty
// for fewer than two. The text stands in full-width brackets after the cause.
std::string SeveralExcelInstancesNote(int instances, std::string_view workbook_name);

// The content of one cell. An empty text is the same as an empty cell: Excel keeps no empty
// strings, so setting one empties the cell.
struct CellValue {
  CellType type = CellType::kEmpty;
  std::string text;   // kText only; never empty for kText
  double number = 0;  // kNumber only

  static CellValue Empty() { return CellValue{}; }
  // An empty `text` gives an empty cell.
  static CellValue Text(std::string text) {
    if (text.empty()) return CellValue{};
    return CellValue{CellType::kText, std::move(text), 0};
  }
  static CellValue Number(double number) { return CellValue{CellType::kNumber, {}, number}; }

  bool is_empty() const { return type == CellType::kEmpty; }
  bool is_text() const { return type == CellType::kText; }
  bool is_number() const { return type == CellType::kNumber; }

  // The cell as Excel's Text shows it in the general format: text as is, an integral
  // number without decimals ("12"), other numbers with up to 15 significant digits
  // ("1.5"), an empty cell as "".
  std::string AsText() const {
    if (type == CellType::kText) return text;
    if (type == CellType::kEmpty) return {};
    char buf[40];
    // The range is checked before the cast: a cast of a value out of range is undefined.
    if (number < 1e15 && number > -1e15 &&
        number == static_cast<double>(static_cast<int64_t>(number))) {
      std::snprintf(buf, sizeof buf, "%lld", static_cast<long long>(number));
    } else {
      std::snprintf(buf, sizeof buf, "%.15G", number);
    }
    return buf;
  }

  friend bool operator==(const CellValue& a, const CellValue& b) {
    if (a.type != b.type) return false;
    if (a.type == CellType::kText) return a.text == b.text;
    if (a.type == CellType::kNumber) return a.number == b.number;
    return true;
  }
};

// `count` rows from `first_row`.
struct RowRun {
  int first_row = 1;
  int count = 1;
};

// A rectangle of cells, inclusive on all sides.
struct CellRange {
  int first_row = 1;
  int first_column = 1;
  int last_row = 1;
  int last_column = 1;

  static CellRange Cell(int row, int column) { return {row, column, row, column}; }
  static CellRange Area(int first_row, int first_column, int last_row, int last_column) {
    return {first_row, first_column, last_row, last_column};
  }
  // Whole columns (every row), as Excel's Columns("C:Z").
  static CellRange Columns(int first_column, int last_column) {
    return {1, first_column, kExcelMaxRows, last_column};
  }
  // Whole rows (every column), as Excel's Rows("5:7").
  static CellRange Rows(int first_row, int last_row) {
    return {first_row, 1, last_row, kExcelMaxColumns};
  }
  bool is_whole_columns() const { return first_row == 1 && last_row == kExcelMaxRows; }
  bool is_whole_rows() const { return first_column == 1 && last_column == kExcelMaxColumns; }
  int row_count() const { return last_row - first_row + 1; }
  int column_count() const { return last_column - first_column + 1; }
};

// The values of a rectangle of cells, row after row (what a host reads or writes in one
// call, so that a sheet is not one call per cell).
struct CellBlock {
  int rows = 0;
  int columns = 0;
  std::vector<CellValue> cells;  // rows × columns

  CellBlock() = default;
  CellBlock(int rows, int columns)
      : rows(rows), columns(columns), cells(static_cast<size_t>(rows) * columns) {}
  // 0-based here.
  CellValue& at(int row, int column) { return cells[static_cast<size_t>(row) * columns + column]; }
  const CellValue& at(int row, int column) const {
    return cells[static_cast<size_t>(row) * columns + column];
  }
};

enum class HorizontalAlignment { kGeneral, kLeft, kCenter, kRight };
enum class VerticalAlignment { kTop, kCenter, kBottom };

// A change of alignment: only the members that are set are changed.
struct AlignmentChange {
  std::optional<HorizontalAlignment> horizontal;
  std::optional<VerticalAlignment> vertical;
  std::optional<bool> wrap_text;
};

// The format in effect for one cell.
struct CellFormat {
  std::string font_name;
  int font_height_twips = 220;  // 1/20 pt; 220 = 11 pt
  std::string number_format{kNumberFormatGeneral};
  HorizontalAlignment horizontal = HorizontalAlignment::kGeneral;
  VerticalAlignment vertical = VerticalAlignment::kBottom;
  bool wrap_text = false;

  friend bool operator==(const CellFormat&, const CellFormat&) = default;
};

// One open workbook. The object is a handle: destroying it does not close the workbook in
// a host application that keeps it open.
class ExcelWorkbook {
 public:
  virtual ~ExcelWorkbook() = default;

  // --- Sheets ---
  virtual int SheetCount() const = 0;
  virtual Result<std::string> SheetName(int sheet) const = 0;
  // Position of the sheet whose name is exactly `name` (case-sensitive); kNotFound.
  virtual Result<int> FindSheet(std::string_view name) const = 0;
  // Adds an empty sheet at the end and returns its position. The name must be 1 to 31
  // characters without : \ / ? * [ ] and not used by another sheet (kInvalidArgument).
  virtual Result<int> AddSheet(std::string_view name) = 0;
  // Same name rules as AddSheet (renaming a sheet to its own name is allowed).
  virtual Status RenameSheet(int sheet, std::string_view name) = 0;
  // Copies a sheet (cells, formats, column widths) to a new sheet placed right after
  // position `after`, like Sheets(sheet).Copy After:=Sheets(after). The copy gets a free
  // name derived from the original ("Org (2)") and becomes the active sheet. Returns the
  // copy's position.
  virtual Result<int> CopySheet(int sheet, int after) = 0;
  // Deletes a sheet without asking. The only sheet of a workbook cannot be deleted
  // (kInvalidArgument). When the active sheet goes, its neighbour becomes active.
  virtual Status DeleteSheet(int sheet) = 0;
  virtual Status ActivateSheet(int sheet) = 0;
  // Position of the active sheet (the one shown and saved as selected).
  virtual int ActiveSheet() const = 0;

  // --- Cells ---
  virtual Result<CellValue> GetCell(int sheet, int row, int column) const = 0;
  // Writes a value and keeps the cell's format. An empty text empties the cell.
  virtual Status SetCell(int sheet, int row, int column, const CellValue& value) = 0;
  // The values of `range` (not whole columns or rows). The default reads cell by cell; hosts
  // where each call is costly read the block at once.
  virtual Result<CellBlock> GetCells(int sheet, const CellRange& range) const;
  // Writes `block` with its top left cell at (first_row, first_column), keeping formats. The
  // default writes cell by cell.
  virtual Status SetCells(int sheet, int first_row, int first_column, const CellBlock& block);
  // Row of the last cell that holds a value (text or number); 0 for a sheet without values.
  // Formatted empty cells do not count.
  virtual Result<int> LastFilledRow(int sheet) const = 0;

  // --- Formats ---
  // Column width in characters of the digit "0" of the standard font (Excel's ColumnWidth).
  virtual Status SetColumnWidth(int sheet, int first_column, int last_column, double width) = 0;
  virtual Result<double> ColumnWidth(int sheet, int column) const = 0;
  virtual Status SetFontName(int sheet, const CellRange& range, std::string_view font_name) = 0;
  // `format` is a number format code (kNumberFormatGeneral, kNumberFormatText, "0.00", ...).
  virtual Status SetNumberFormat(int sheet, const CellRange& range, std::string_view format) = 0;
  virtual Status SetAlignment(int sheet, const CellRange& range, const AlignmentChange& change) = 0;
  // Copies the format (not the value) of one cell onto every cell of `to`, as Copy then
  // PasteSpecial Paste:=xlPasteFormats.
  virtual Status CopyFormat(int sheet, int row, int column, const CellRange& to) = 0;
  virtual Result<CellFormat> GetFormat(int sheet, int row, int column) const = 0;

  // --- Rows and columns ---
  // Deletes one row; the rows below move up (Shift:=xlUp).
  virtual Status DeleteRow(int sheet, int row) = 0;
  // Deletes `count` rows from `first_row` on in one step. The default deletes row by row.
  virtual Status DeleteRows(int sheet, int first_row, int count);
  // Deletes several runs of rows together. The runs are disjoint and in ascending order, and
  // their rows are numbered as before any deletion. The default deletes run by run from the
  // bottom; hosts where each call is costly delete many runs in one call.
  virtual Status DeleteRowRuns(int sheet, const std::vector<RowRun>& runs);
  // Inserts an empty column at `column`; that column and those to its right move right
  // (Shift:=xlToRight). The new cells take the format of the cells to their left.
  // kOverflow when the last column of the sheet holds a value.
  virtual Status InsertColumn(int sheet, int column) = 0;
  // Sorts rows 1..LastFilledRow (no header row) ascending by the cell in `key_column`:
  // numbers first in numeric order, then texts in Japanese phonetic order, then empty
  // cells. The sort is stable: rows with equal keys keep their order.
  virtual Status SortRows(int sheet, int key_column) = 0;
  // The same sort with a second key (Key2 of Excel's Sort): rows with equal cells in
  // `key_column` are ordered by the cell in `second_key_column` in the same order, and keep
  // their order where both are equal. The default sorts by the second key, then stably by
  // the first, which gives the same rows; hosts that sort in one call override it.
  virtual Status SortRowsByTwoKeys(int sheet, int key_column, int second_key_column);

  // --- Files ---
  // Saves the workbook as an Excel 97-2003 workbook (.xls) at `path`, replacing an existing
  // file in one step: a failed save leaves the previous file intact. kIoError when the
  // target cannot be written; kOverflow when a sheet passes the format's limits.
  virtual Status SaveAs(const std::string& path) = 0;
  // The bytes SaveAs would write, for a caller that writes them itself with other files as one
  // set (base/file_set.h). kUnsupported where the host writes its files itself (Excel).
  virtual Result<std::string> SavedBytes() const {
    return Result<std::string>(ErrorCode::kUnsupported, "このブックの内容は直接取り出せません");
  }
};

// The application: makes new workbooks and opens saved ones.
class ExcelApplication {
 public:
  virtual ~ExcelApplication() = default;
  // A new workbook with one empty sheet "Sheet1", active.
  virtual Result<std::unique_ptr<ExcelWorkbook>> AddWorkbook() = 0;
  // Opens an .xls workbook. kNotFound for a missing file, kFormatError for a file that is
  // not a readable workbook, kUnsupported where this build has no reader.
  virtual Result<std::unique_ptr<ExcelWorkbook>> OpenWorkbook(const std::string& path) = 0;

  // The workbook the user works in (Excel's ActiveWorkbook): for an application that was
  // attached to, the one its window shows; for the in-memory engine, the one added or opened
  // last. kNotFound when no workbook is open (the default).
  virtual Result<std::unique_ptr<ExcelWorkbook>> ActiveWorkbook();
  // Whether the host asks before destructive operations (Excel's DisplayAlerts). The
  // interface's own operations never ask; this is for the steps a job takes as Excel's user
  // would. The default does nothing.
  virtual Status SetDisplayAlerts(bool display);
  // Shows or hides the host's window (Excel's Visible). The default does nothing.
  virtual Status SetVisible(bool visible);
};

}  // namespace mirune
