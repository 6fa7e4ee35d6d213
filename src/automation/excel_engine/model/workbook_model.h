#pragma once

// The data of one in-memory workbook: sheets of typed cells, column widths and styles, and
// the tables the cells point into (strings, numbers, formats). MemoryWorkbook edits it; the
// .xls writer and reader translate it to and from the file format.
//
// Cells are small (8 bytes) so that a sheet of 65,536 rows with 26 formatted columns stays
// cheap to copy, sort and write: a cell holds an index into the workbook's string or number
// table and an index into its style table.

#include <array>
#include <cstdint>
#include <string>
#include <string_view>
#include <unordered_map>
#include <vector>

#include "automation/excel.h"

namespace mirune::xls {

// The workbook's standard font: that of a Japanese-language Excel.
inline constexpr std::string_view kStandardFontName = "ＭＳ Ｐゴシック";
inline constexpr int kStandardFontHeight = 220;
// Excel's standard column width, in characters.
inline constexpr double kStandardColumnWidth = 8.43;

// The format of a new cell of a new sheet (style 0 of every workbook).
CellFormat StandardFormat();

struct ModelCell {
  uint32_t ref = 0;    // index into strings (kText) or numbers (kNumber)
  uint16_t style = 0;  // index into the style table
  CellType type = CellType::kEmpty;
};

struct ModelRow {
  std::vector<ModelCell> cells;  // cells[c - 1] is column c; columns past the end are absent
};

// The rows of a sheet, addressed from 0. Deleting a row is cheap when successive deletions
// happen near one another (the row folding deletes row after row going down the sheet): the
// store keeps a gap at the last deletion point instead of moving every row below each time.
class RowStore {
 public:
  size_t size() const { return rows_.size() - (gap_end_ - gap_begin_); }
  // nullptr past the end.
  const ModelRow* Find(size_t i) const { return i < size() ? &rows_[Physical(i)] : nullptr; }
  ModelRow* Find(size_t i) { return i < size() ? &rows_[Physical(i)] : nullptr; }
  // The row, created (with the rows before it) when past the end.
  ModelRow& Ensure(size_t i);
  // Removes row i; the rows below move up. No effect past the end.
  void Erase(size_t i);
  // Drops trailing rows without cells.
  void TrimEmptyTail();
  // The rows in order, without gap (closes it first).
  std::vector<ModelRow>& Compact();

 private:
  size_t Physical(size_t i) const { return i < gap_begin_ ? i : i + (gap_end_ - gap_begin_); }
  void MoveGapTo(size_t i);

  std::vector<ModelRow> rows_;
  size_t gap_begin_ = 0;
  size_t gap_end_ = 0;
};

struct ModelSheet {
  std::string name;
  RowStore rows;
  // Column widths in characters; a negative width is the standard width.
  std::array<double, kExcelMaxColumns> widths;
  // Style of the cells of a column that have no cell of their own.
  std::array<uint16_t, kExcelMaxColumns> column_styles;

  ModelSheet() {
    widths.fill(-1);
    column_styles.fill(0);
  }
};

// The distinct cell formats of a workbook; equal formats share one index.
class StyleTable {
 public:
  StyleTable();  // holds StandardFormat() as index 0
  uint16_t Intern(const CellFormat& format);
  const CellFormat& at(uint16_t index) const { return formats_[index]; }
  size_t size() const { return formats_.size(); }

 private:
  std::vector<CellFormat> formats_;
  std::unordered_map<std::string, uint16_t> index_;
};

struct WorkbookModel {
  std::vector<ModelSheet> sheets;
  size_t active = 0;  // position of the active sheet, from 0
  StyleTable styles;
  std::vector<std::string> strings;
  std::vector<double> numbers;

  // Interns a string (so equal texts share one table entry, as in the file's string table).
  uint32_t InternString(std::string_view text);
  // Room for `count` more distinct strings without regrowing the tables.
  void ReserveStrings(size_t count);
  // A cell holding `value` with `style`.
  ModelCell MakeCell(const CellValue& value, uint16_t style);
  CellValue ValueOf(const ModelCell& cell) const;

 private:
  std::unordered_map<std::string, uint32_t> string_ids_;
};

}  // namespace mirune::xls
