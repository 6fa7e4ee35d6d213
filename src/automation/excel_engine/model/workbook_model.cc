#include "automation/excel_engine/model/workbook_model.h"

#include <utility>

namespace mirune::xls {

CellFormat StandardFormat() {
  CellFormat f;
  f.font_name = std::string(kStandardFontName);
  f.font_height_twips = kStandardFontHeight;
  return f;
}

// --- RowStore ---

void RowStore::MoveGapTo(size_t i) {
  const size_t gap = gap_end_ - gap_begin_;
  if (gap == 0) {
    gap_begin_ = gap_end_ = i;
    return;
  }
  if (i < gap_begin_) {
    // Rows [i, gap_begin) move behind the gap.
    for (size_t k = gap_begin_; k > i; --k) rows_[k - 1 + gap] = std::move(rows_[k - 1]);
  } else if (i > gap_begin_) {
    // Rows [gap_end, gap_end + (i - gap_begin)) move in front of the gap.
    for (size_t k = gap_begin_; k < i; ++k) rows_[k] = std::move(rows_[k + gap]);
  }
  // Rows left inside the gap are moved-from (empty) and never read.
  gap_begin_ = i;
  gap_end_ = i + gap;
}

void RowStore::Erase(size_t i) {
  if (i >= size()) return;
  MoveGapTo(i);
  rows_[gap_end_].cells.clear();
  rows_[gap_end_].cells.shrink_to_fit();
  ++gap_end_;
}

std::vector<ModelRow>& RowStore::Compact() {
  if (gap_end_ != gap_begin_) {
    const size_t n = size();
    MoveGapTo(n);
    rows_.resize(n);
  }
  gap_begin_ = gap_end_ = rows_.size();
  return rows_;
}

ModelRow& RowStore::Ensure(size_t i) {
  if (i < size()) return rows_[Physical(i)];
  Compact();
  rows_.resize(i + 1);
  gap_begin_ = gap_end_ = rows_.size();
  return rows_[i];
}

void RowStore::TrimEmptyTail() {
  auto& rows = Compact();
  while (!rows.empty() && rows.back().cells.empty()) rows.pop_back();
  gap_begin_ = gap_end_ = rows.size();
}

// --- StyleTable ---

namespace {

std::string StyleKey(const CellFormat& f) {
  std::string key = f.font_name;
  key += '\0';
  key += std::to_string(f.font_height_twips);
  key += '\0';
  key += f.number_format;
  key += '\0';
  key += static_cast<char>('0' + static_cast<int>(f.horizontal));
  key += static_cast<char>('0' + static_cast<int>(f.vertical));
  key += f.wrap_text ? 'w' : '-';
  return key;
}

}  // namespace

StyleTable::StyleTable() { Intern(StandardFormat()); }

uint16_t StyleTable::Intern(const CellFormat& format) {
  std::string key = StyleKey(format);
  auto it = index_.find(key);
  if (it != index_.end()) return it->second;
  // The file format addresses at most 4,000-odd cell formats; a workbook of this program
  // uses a handful, so the table never comes near 65,535.
  const auto id = static_cast<uint16_t>(formats_.size());
  formats_.push_back(format);
  index_.emplace(std::move(key), id);
  return id;
}

// --- WorkbookModel ---

uint32_t WorkbookModel::InternString(std::string_view text) {
  auto it = string_ids_.find(std::string(text));
  if (it != string_ids_.end()) return it->second;
  const auto id = static_cast<uint32_t>(strings.size());
  strings.emplace_back(text);
  string_ids_.emplace(strings.back(), id);
  return id;
}

void WorkbookModel::ReserveStrings(size_t count) {
  strings.reserve(strings.size() + count);
  string_ids_.reserve(string_ids_.size() + count);
}

ModelCell WorkbookModel::MakeCell(const CellValue& value, uint16_t style) {
  ModelCell cell;
  cell.style = style;
  switch (value.type) {
    case CellType::kEmpty:
      break;
    case CellType::kText:
      if (value.text.empty()) break;
      cell.type = CellType::kText;
      cell.ref = InternString(value.text);
      break;
    case CellType::kNumber:
      cell.type = CellType::kNumber;
      cell.ref = static_cast<uint32_t>(numbers.size());
      numbers.push_back(value.number);
      break;
  }
  return cell;
}

CellValue WorkbookModel::ValueOf(const ModelCell& cell) const {
  switch (cell.type) {
    case CellType::kText:
      return CellValue::Text(strings[cell.ref]);
    case CellType::kNumber:
      return CellValue::Number(numbers[cell.ref]);
    case CellType::kEmpty:
      break;
  }
  return CellValue::Empty();
}

}  // namespace mirune::xls
