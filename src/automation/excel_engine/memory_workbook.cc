#include "automation/excel_engine/memory_workbook.h"

#include <algorithm>
#include <cmath>
#include <numeric>
#include <utility>

#include "automation/excel_engine/ja_collator.h"
#include "automation/excel_engine/xls/workbook_writer.h"
#include "automation/excel_engine/xls/xls_reader.h"
#include "base/file.h"
#include "base/utf.h"

namespace mirune {

using xls::ModelCell;
using xls::ModelRow;
using xls::ModelSheet;

namespace {

Status BadCell(int row, int column) {
  return Status(ErrorCode::kInvalidArgument, "cell (row " + std::to_string(row) + ", column " +
                                                 std::to_string(column) + ") is outside the sheet");
}

bool ValidCell(int row, int column) {
  return row >= 1 && row <= kExcelMaxRows && column >= 1 && column <= kExcelMaxColumns;
}

bool ValidRange(const CellRange& r) {
  return ValidCell(r.first_row, r.first_column) && ValidCell(r.last_row, r.last_column) &&
         r.first_row <= r.last_row && r.first_column <= r.last_column;
}

// Excel treats sheet names that differ only in the case of Latin letters as the same name.
bool SameSheetName(std::string_view a, std::string_view b) {
  if (a.size() != b.size()) return false;
  for (size_t i = 0; i < a.size(); ++i) {
    char x = a[i], y = b[i];
    if (x >= 'a' && x <= 'z') x = static_cast<char>(x - 'a' + 'A');
    if (y >= 'a' && y <= 'z') y = static_cast<char>(y - 'a' + 'A');
    if (x != y) return false;
  }
  return true;
}

// Name of a copy: "Org" -> "Org (2)", shortened to fit the length limit.
std::string CopyName(std::string_view base, int n) {
  const std::string suffix = " (" + std::to_string(n) + ")";
  std::u16string u = Utf8ToUtf16(base);
  const size_t room = kExcelMaxSheetNameLength - suffix.size();
  if (u.size() > room) {
    u.resize(room);
    // Never keep half a surrogate pair.
    if (!u.empty() && u.back() >= 0xD800 && u.back() <= 0xDBFF) u.pop_back();
  }
  return Utf16ToUtf8(u) + suffix;
}

}  // namespace

MemoryWorkbook::MemoryWorkbook() {
  model_.sheets.emplace_back();
  model_.sheets.back().name = "Sheet1";
}

MemoryWorkbook::MemoryWorkbook(xls::WorkbookModel model) : model_(std::move(model)) {
  if (model_.sheets.empty()) {
    model_.sheets.emplace_back();
    model_.sheets.back().name = "Sheet1";
  }
  if (model_.active >= model_.sheets.size()) model_.active = 0;
}

Result<ModelSheet*> MemoryWorkbook::Sheet(int sheet) {
  if (sheet < 1 || static_cast<size_t>(sheet) > model_.sheets.size()) {
    return Error{ErrorCode::kNotFound, "the workbook has no sheet " + std::to_string(sheet)};
  }
  return &model_.sheets[static_cast<size_t>(sheet - 1)];
}

Result<const ModelSheet*> MemoryWorkbook::Sheet(int sheet) const {
  if (sheet < 1 || static_cast<size_t>(sheet) > model_.sheets.size()) {
    return Error{ErrorCode::kNotFound, "the workbook has no sheet " + std::to_string(sheet)};
  }
  return &model_.sheets[static_cast<size_t>(sheet - 1)];
}

// --- Sheets ---

int MemoryWorkbook::SheetCount() const { return static_cast<int>(model_.sheets.size()); }

Result<std::string> MemoryWorkbook::SheetName(int sheet) const {
  MIRUNE_ASSIGN_OR_RETURN(const ModelSheet* s, Sheet(sheet));
  return s->name;
}

Result<int> MemoryWorkbook::FindSheet(std::string_view name) const {
  for (size_t i = 0; i < model_.sheets.size(); ++i) {
    if (model_.sheets[i].name == name) return static_cast<int>(i + 1);
  }
  return Error{ErrorCode::kNotFound,
               "the workbook has no sheet named \"" + std::string(name) + "\""};
}

Status MemoryWorkbook::CheckNewName(std::string_view name, int except_sheet) const {
  const size_t length = Utf16Length(name);
  if (length == 0 || length > static_cast<size_t>(kExcelMaxSheetNameLength)) {
    return Status(ErrorCode::kInvalidArgument,
                  "sheet name \"" + std::string(name) + "\" must have 1 to 31 characters");
  }
  if (name.find_first_of(":\\/?*[]") != std::string_view::npos || name.front() == '\'' ||
      name.back() == '\'') {
    return Status(ErrorCode::kInvalidArgument,
                  "sheet name \"" + std::string(name) +
                      "\" contains a character that sheet names cannot hold");
  }
  for (size_t i = 0; i < model_.sheets.size(); ++i) {
    if (static_cast<int>(i + 1) == except_sheet) continue;
    if (SameSheetName(model_.sheets[i].name, name)) {
      return Status(ErrorCode::kInvalidArgument,
                    "a sheet named \"" + std::string(name) + "\" already exists");
    }
  }
  return Status::Ok();
}

Result<int> MemoryWorkbook::AddSheet(std::string_view name) {
  MIRUNE_RETURN_IF_ERROR(CheckNewName(name, 0));
  model_.sheets.emplace_back();
  model_.sheets.back().name = std::string(name);
  return SheetCount();
}

Status MemoryWorkbook::RenameSheet(int sheet, std::string_view name) {
  MIRUNE_ASSIGN_OR_RETURN(ModelSheet * s, Sheet(sheet));
  MIRUNE_RETURN_IF_ERROR(CheckNewName(name, sheet));
  s->name = std::string(name);
  return Status::Ok();
}

Result<int> MemoryWorkbook::CopySheet(int sheet, int after) {
  MIRUNE_ASSIGN_OR_RETURN(const ModelSheet* source, Sheet(sheet));
  if (after < 1 || after > SheetCount()) {
    return Error{ErrorCode::kNotFound, "the workbook has no sheet " + std::to_string(after)};
  }
  ModelSheet copy = *source;
  for (int n = 2;; ++n) {
    copy.name = CopyName(source->name, n);
    if (CheckNewName(copy.name, 0).ok()) break;
  }
  model_.sheets.insert(model_.sheets.begin() + after, std::move(copy));
  model_.active = static_cast<size_t>(after);
  return after + 1;
}

Status MemoryWorkbook::DeleteSheet(int sheet) {
  MIRUNE_RETURN_IF_ERROR(Sheet(sheet).status());
  if (model_.sheets.size() == 1) {
    return Status(ErrorCode::kInvalidArgument, "the only sheet of a workbook cannot be deleted");
  }
  const auto index = static_cast<size_t>(sheet - 1);
  model_.sheets.erase(model_.sheets.begin() + static_cast<std::ptrdiff_t>(index));
  if (model_.active > index || model_.active >= model_.sheets.size()) {
    model_.active = model_.active > 0 ? model_.active - 1 : 0;
  }
  return Status::Ok();
}

Status MemoryWorkbook::ActivateSheet(int sheet) {
  MIRUNE_RETURN_IF_ERROR(Sheet(sheet).status());
  model_.active = static_cast<size_t>(sheet - 1);
  return Status::Ok();
}

int MemoryWorkbook::ActiveSheet() const { return static_cast<int>(model_.active + 1); }

// --- Cells ---

Result<CellValue> MemoryWorkbook::GetCell(int sheet, int row, int column) const {
  MIRUNE_ASSIGN_OR_RETURN(const ModelSheet* s, Sheet(sheet));
  if (!ValidCell(row, column)) return BadCell(row, column).error();
  const ModelRow* r = s->rows.Find(static_cast<size_t>(row - 1));
  if (r == nullptr || static_cast<size_t>(column) > r->cells.size()) return CellValue::Empty();
  return model_.ValueOf(r->cells[static_cast<size_t>(column - 1)]);
}

Status MemoryWorkbook::SetCell(int sheet, int row, int column, const CellValue& value) {
  MIRUNE_ASSIGN_OR_RETURN(ModelSheet * s, Sheet(sheet));
  if (!ValidCell(row, column)) return BadCell(row, column);
  const auto c = static_cast<size_t>(column);
  ModelRow* r = s->rows.Find(static_cast<size_t>(row - 1));
  if (value.is_empty() || (value.is_text() && value.text.empty())) {
    // Emptying a cell keeps its format and creates nothing.
    if (r != nullptr && c <= r->cells.size()) {
      ModelCell& cell = r->cells[c - 1];
      cell.type = CellType::kEmpty;
      cell.ref = 0;
    }
    return Status::Ok();
  }
  if (r == nullptr) r = &s->rows.Ensure(static_cast<size_t>(row - 1));
  while (r->cells.size() < c) {
    ModelCell blank;
    blank.style = s->column_styles[r->cells.size()];
    r->cells.push_back(blank);
  }
  ModelCell& cell = r->cells[c - 1];
  cell = model_.MakeCell(value, cell.style);
  return Status::Ok();
}

Result<int> MemoryWorkbook::LastFilledRow(int sheet) const {
  MIRUNE_ASSIGN_OR_RETURN(const ModelSheet* s, Sheet(sheet));
  for (size_t i = s->rows.size(); i > 0; --i) {
    const ModelRow* r = s->rows.Find(i - 1);
    for (const ModelCell& cell : r->cells) {
      if (cell.type != CellType::kEmpty) return static_cast<int>(i);
    }
  }
  return 0;
}

// --- Formats ---

Status MemoryWorkbook::SetColumnWidth(int sheet, int first_column, int last_column, double width) {
  MIRUNE_ASSIGN_OR_RETURN(ModelSheet * s, Sheet(sheet));
  if (!ValidCell(1, first_column) || !ValidCell(1, last_column) || first_column > last_column) {
    return Status(ErrorCode::kInvalidArgument, "column range outside the sheet");
  }
  if (!(width >= 0 && width <= 255)) {
    return Status(ErrorCode::kInvalidArgument,
                  "column width " + std::to_string(width) + " is outside 0 to 255");
  }
  for (int c = first_column; c <= last_column; ++c) s->widths[static_cast<size_t>(c - 1)] = width;
  return Status::Ok();
}

Result<double> MemoryWorkbook::ColumnWidth(int sheet, int column) const {
  MIRUNE_ASSIGN_OR_RETURN(const ModelSheet* s, Sheet(sheet));
  if (!ValidCell(1, column)) return BadCell(1, column).error();
  const double w = s->widths[static_cast<size_t>(column - 1)];
  return w < 0 ? xls::kStandardColumnWidth : w;
}

template <typename Change>
Status MemoryWorkbook::ChangeStyles(int sheet, const CellRange& range, Change change) {
  MIRUNE_ASSIGN_OR_RETURN(ModelSheet * s, Sheet(sheet));
  if (!ValidRange(range)) {
    return Status(ErrorCode::kInvalidArgument, "cell range outside the sheet");
  }
  // Few distinct styles meet many cells: remember each style's successor.
  std::vector<int32_t> memo(model_.styles.size(), -1);
  auto next = [&](uint16_t style) -> uint16_t {
    if (style < memo.size() && memo[style] >= 0) return static_cast<uint16_t>(memo[style]);
    CellFormat f = model_.styles.at(style);
    change(f);
    const uint16_t id = model_.styles.Intern(f);
    if (style >= memo.size()) memo.resize(style + 1u, -1);
    memo[style] = id;
    return id;
  };
  const auto first_c = static_cast<size_t>(range.first_column);
  const auto last_c = static_cast<size_t>(range.last_column);
  if (range.is_whole_columns()) {
    for (size_t c = first_c; c <= last_c; ++c) {
      s->column_styles[c - 1] = next(s->column_styles[c - 1]);
    }
    for (size_t i = 0; i < s->rows.size(); ++i) {
      ModelRow* r = s->rows.Find(i);
      const size_t end = std::min(last_c, r->cells.size());
      for (size_t c = first_c; c <= end; ++c) r->cells[c - 1].style = next(r->cells[c - 1].style);
    }
    return Status::Ok();
  }
  for (int row = range.first_row; row <= range.last_row; ++row) {
    ModelRow& r = s->rows.Ensure(static_cast<size_t>(row - 1));
    while (r.cells.size() < last_c) {
      ModelCell blank;
      blank.style = s->column_styles[r.cells.size()];
      r.cells.push_back(blank);
    }
    for (size_t c = first_c; c <= last_c; ++c) r.cells[c - 1].style = next(r.cells[c - 1].style);
  }
  return Status::Ok();
}

Status MemoryWorkbook::SetFontName(int sheet, const CellRange& range, std::string_view font_name) {
  if (font_name.empty() || Utf16Length(font_name) > 31) {
    return Status(ErrorCode::kInvalidArgument,
                  "font name \"" + std::string(font_name) + "\" must have 1 to 31 characters");
  }
  return ChangeStyles(sheet, range, [&](CellFormat& f) { f.font_name = std::string(font_name); });
}

Status MemoryWorkbook::SetNumberFormat(int sheet, const CellRange& range, std::string_view format) {
  if (format.empty() || Utf16Length(format) > 255) {
    return Status(ErrorCode::kInvalidArgument, "number format must have 1 to 255 characters");
  }
  return ChangeStyles(sheet, range, [&](CellFormat& f) { f.number_format = std::string(format); });
}

Status MemoryWorkbook::SetAlignment(int sheet, const CellRange& range,
                                    const AlignmentChange& change) {
  return ChangeStyles(sheet, range, [&](CellFormat& f) {
    if (change.horizontal) f.horizontal = *change.horizontal;
    if (change.vertical) f.vertical = *change.vertical;
    if (change.wrap_text) f.wrap_text = *change.wrap_text;
  });
}

Status MemoryWorkbook::CopyFormat(int sheet, int row, int column, const CellRange& to) {
  MIRUNE_ASSIGN_OR_RETURN(const CellFormat source, GetFormat(sheet, row, column));
  return ChangeStyles(sheet, to, [&](CellFormat& f) { f = source; });
}

Result<CellFormat> MemoryWorkbook::GetFormat(int sheet, int row, int column) const {
  MIRUNE_ASSIGN_OR_RETURN(const ModelSheet* s, Sheet(sheet));
  if (!ValidCell(row, column)) return BadCell(row, column).error();
  const ModelRow* r = s->rows.Find(static_cast<size_t>(row - 1));
  const auto c = static_cast<size_t>(column);
  if (r != nullptr && c <= r->cells.size()) return model_.styles.at(r->cells[c - 1].style);
  return model_.styles.at(s->column_styles[c - 1]);
}

// --- Rows and columns ---

Status MemoryWorkbook::DeleteRow(int sheet, int row) {
  MIRUNE_ASSIGN_OR_RETURN(ModelSheet * s, Sheet(sheet));
  if (!ValidCell(row, 1)) return BadCell(row, 1);
  s->rows.Erase(static_cast<size_t>(row - 1));
  return Status::Ok();
}

Status MemoryWorkbook::InsertColumn(int sheet, int column) {
  MIRUNE_ASSIGN_OR_RETURN(ModelSheet * s, Sheet(sheet));
  if (!ValidCell(1, column)) return BadCell(1, column);
  const auto c = static_cast<size_t>(column);
  for (size_t i = 0; i < s->rows.size(); ++i) {
    const ModelRow* r = s->rows.Find(i);
    if (r->cells.size() == kExcelMaxColumns && r->cells.back().type != CellType::kEmpty) {
      return Status(ErrorCode::kOverflow, "a column cannot be inserted: row " +
                                              std::to_string(i + 1) +
                                              " holds a value in the last column of the sheet");
    }
  }
  for (size_t i = 0; i < s->rows.size(); ++i) {
    ModelRow* r = s->rows.Find(i);
    // The new cell takes the format of its left neighbour, as Excel formats an inserted
    // column like the one to its left.
    if (c >= 2 && r->cells.size() >= c - 1) {
      ModelCell blank;
      blank.style = r->cells[c - 2].style;
      r->cells.insert(r->cells.begin() + static_cast<std::ptrdiff_t>(c - 1), blank);
    } else if (c == 1 && !r->cells.empty()) {
      ModelCell blank;
      blank.style = s->column_styles[0];
      r->cells.insert(r->cells.begin(), blank);
    }
    if (r->cells.size() > kExcelMaxColumns) r->cells.resize(kExcelMaxColumns);
  }
  for (size_t k = kExcelMaxColumns - 1; k >= c; --k) {
    s->widths[k] = s->widths[k - 1];
    s->column_styles[k] = s->column_styles[k - 1];
  }
  // Column c takes the width and format of its left neighbour (column 1 keeps its own).
  if (c >= 2) {
    s->widths[c - 1] = s->widths[c - 2];
    s->column_styles[c - 1] = s->column_styles[c - 2];
  }
  return Status::Ok();
}

Status MemoryWorkbook::SortRows(int sheet, int key_column) {
  MIRUNE_ASSIGN_OR_RETURN(ModelSheet * s, Sheet(sheet));
  if (!ValidCell(1, key_column)) return BadCell(1, key_column);
  MIRUNE_ASSIGN_OR_RETURN(const int last, LastFilledRow(sheet));
  if (last < 2) return Status::Ok();
  std::vector<ModelRow>& rows = s->rows.Compact();
  const auto n = static_cast<size_t>(last);
  const auto k = static_cast<size_t>(key_column - 1);

  // Keys: numbers first, then texts, then empty cells (also when the sort is descending in
  // Excel, empty cells go last; this sort is ascending only).
  struct Key {
    int group;
    double number;
    std::string sort_key;
  };
  std::vector<Key> keys(n);
  for (size_t i = 0; i < n; ++i) {
    Key& key = keys[i];
    const ModelCell* cell = k < rows[i].cells.size() ? &rows[i].cells[k] : nullptr;
    if (cell == nullptr || cell->type == CellType::kEmpty) {
      key.group = 2;
    } else if (cell->type == CellType::kNumber) {
      key.group = 0;
      key.number = model_.numbers[cell->ref];
    } else {
      key.group = 1;
      key.sort_key = JaSortKey(model_.strings[cell->ref]);
    }
  }
  std::vector<uint32_t> order(n);
  std::iota(order.begin(), order.end(), 0u);
  std::stable_sort(order.begin(), order.end(), [&](uint32_t x, uint32_t y) {
    const Key& a = keys[x];
    const Key& b = keys[y];
    if (a.group != b.group) return a.group < b.group;
    if (a.group == 0) {
      // A NaN read from a file sorts after the other numbers, so the order stays strict.
      if (std::isnan(a.number) || std::isnan(b.number)) {
        return !std::isnan(a.number) && std::isnan(b.number);
      }
      return a.number < b.number;
    }
    if (a.group == 2) return false;
    return a.sort_key < b.sort_key;
  });
  std::vector<ModelRow> sorted(n);
  for (size_t i = 0; i < n; ++i) sorted[i] = std::move(rows[order[i]]);
  for (size_t i = 0; i < n; ++i) rows[i] = std::move(sorted[i]);
  return Status::Ok();
}

// --- Files ---

Result<std::string> MemoryWorkbook::ToXlsBytes() const { return xls::WriteXlsWorkbook(model_); }

Status MemoryWorkbook::SaveAs(const std::string& path) {
  // As Excel does, a read-only workbook is not replaced (on Linux a rename would replace it
  // without a word), nor is a folder.
  if (IsReadOnlyFile(path)) {
    return Status(ErrorCode::kIoError, path + " を置き換えられません: 読み取り専用のファイルです");
  }
  if (FolderExists(path)) {
    return Status(ErrorCode::kIoError,
                  path + " を置き換えられません: 同じ名前のフォルダーがあります");
  }
  MIRUNE_ASSIGN_OR_RETURN(const std::string bytes, ToXlsBytes());
  return WriteFileAtomic(path, bytes);
}

// --- Application ---

namespace {

// A handle on a workbook that the application and other handles share.
class SharedWorkbookHandle final : public ExcelWorkbook {
 public:
  explicit SharedWorkbookHandle(std::shared_ptr<MemoryWorkbook> book) : book_(std::move(book)) {}

  int SheetCount() const override { return book_->SheetCount(); }
  Result<std::string> SheetName(int sheet) const override { return book_->SheetName(sheet); }
  Result<int> FindSheet(std::string_view name) const override { return book_->FindSheet(name); }
  Result<int> AddSheet(std::string_view name) override { return book_->AddSheet(name); }
  Status RenameSheet(int sheet, std::string_view name) override {
    return book_->RenameSheet(sheet, name);
  }
  Result<int> CopySheet(int sheet, int after) override { return book_->CopySheet(sheet, after); }
  Status DeleteSheet(int sheet) override { return book_->DeleteSheet(sheet); }
  Status ActivateSheet(int sheet) override { return book_->ActivateSheet(sheet); }
  int ActiveSheet() const override { return book_->ActiveSheet(); }
  Result<CellValue> GetCell(int sheet, int row, int column) const override {
    return book_->GetCell(sheet, row, column);
  }
  Status SetCell(int sheet, int row, int column, const CellValue& value) override {
    return book_->SetCell(sheet, row, column, value);
  }
  Result<CellBlock> GetCells(int sheet, const CellRange& range) const override {
    return book_->GetCells(sheet, range);
  }
  Status SetCells(int sheet, int first_row, int first_column, const CellBlock& block) override {
    return book_->SetCells(sheet, first_row, first_column, block);
  }
  Result<int> LastFilledRow(int sheet) const override { return book_->LastFilledRow(sheet); }
  Status SetColumnWidth(int sheet, int first_column, int last_column, double width) override {
    return book_->SetColumnWidth(sheet, first_column, last_column, width);
  }
  Result<double> ColumnWidth(int sheet, int column) const override {
    return book_->ColumnWidth(sheet, column);
  }
  Status SetFontName(int sheet, const CellRange& range, std::string_view font_name) override {
    return book_->SetFontName(sheet, range, font_name);
  }
  Status SetNumberFormat(int sheet, const CellRange& range, std::string_view format) override {
    return book_->SetNumberFormat(sheet, range, format);
  }
  Status SetAlignment(int sheet, const CellRange& range, const AlignmentChange& change) override {
    return book_->SetAlignment(sheet, range, change);
  }
  Status CopyFormat(int sheet, int row, int column, const CellRange& to) override {
    return book_->CopyFormat(sheet, row, column, to);
  }
  Result<CellFormat> GetFormat(int sheet, int row, int column) const override {
    return book_->GetFormat(sheet, row, column);
  }
  Status DeleteRow(int sheet, int row) override { return book_->DeleteRow(sheet, row); }
  Status DeleteRows(int sheet, int first_row, int count) override {
    return book_->DeleteRows(sheet, first_row, count);
  }
  Status DeleteRowRuns(int sheet, const std::vector<RowRun>& runs) override {
    return book_->DeleteRowRuns(sheet, runs);
  }
  Status InsertColumn(int sheet, int column) override { return book_->InsertColumn(sheet, column); }
  Status SortRows(int sheet, int key_column) override { return book_->SortRows(sheet, key_column); }
  Status SaveAs(const std::string& path) override { return book_->SaveAs(path); }
  Result<std::string> SavedBytes() const override { return book_->SavedBytes(); }

 private:
  std::shared_ptr<MemoryWorkbook> book_;
};

}  // namespace

Result<std::unique_ptr<ExcelWorkbook>> MemoryExcel::AddWorkbook() {
  return Adopt(std::make_shared<MemoryWorkbook>());
}

Result<std::unique_ptr<ExcelWorkbook>> MemoryExcel::OpenWorkbook(const std::string& path) {
  MIRUNE_ASSIGN_OR_RETURN(std::unique_ptr<MemoryWorkbook> book, OpenXlsWorkbook(path));
  return Adopt(std::move(book));
}

Result<std::unique_ptr<ExcelWorkbook>> MemoryExcel::ActiveWorkbook() {
  if (!active_) return ExcelApplication::ActiveWorkbook();
  return std::unique_ptr<ExcelWorkbook>(new SharedWorkbookHandle(active_));
}

Status MemoryExcel::SetDisplayAlerts(bool display) {
  display_alerts_ = display;
  return Status::Ok();
}

Status MemoryExcel::SetVisible(bool visible) {
  visible_ = visible;
  return Status::Ok();
}

std::unique_ptr<ExcelWorkbook> MemoryExcel::Adopt(std::shared_ptr<MemoryWorkbook> book) {
  active_ = std::move(book);
  return std::make_unique<SharedWorkbookHandle>(active_);
}

Result<std::unique_ptr<MemoryWorkbook>> OpenXlsWorkbook(const std::string& path) {
  MIRUNE_ASSIGN_OR_RETURN(xls::WorkbookModel model, xls::ReadXlsFile(path));
  return std::make_unique<MemoryWorkbook>(std::move(model));
}

}  // namespace mirune
