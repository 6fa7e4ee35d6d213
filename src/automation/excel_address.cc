#include "automation/excel_address.h"

#include <optional>

namespace mirune {
namespace {

// One side of an address: letters, digits, or letters then digits.
struct AddressPart {
  std::optional<int> column;
  std::optional<int> row;
};

std::optional<AddressPart> ParsePart(std::string_view text) {
  AddressPart part;
  size_t i = 0;
  if (i < text.size() && text[i] == '$') ++i;
  int column = 0;
  size_t letters = 0;
  while (i < text.size()) {
    char c = text[i];
    if (c >= 'a' && c <= 'z') c = static_cast<char>(c - 'a' + 'A');
    if (c < 'A' || c > 'Z') break;
    column = column * 26 + (c - 'A' + 1);
    if (column > kExcelMaxColumns) return std::nullopt;
    ++letters;
    ++i;
  }
  if (letters > 0) part.column = column;
  if (i < text.size() && text[i] == '$') ++i;
  int row = 0;
  size_t digits = 0;
  while (i < text.size() && text[i] >= '0' && text[i] <= '9') {
    row = row * 10 + (text[i] - '0');
    if (row > kExcelMaxRows) return std::nullopt;
    ++digits;
    ++i;
  }
  if (digits > 0) {
    if (row == 0) return std::nullopt;
    part.row = row;
  }
  if (i != text.size() || (letters == 0 && digits == 0)) return std::nullopt;
  return part;
}

}  // namespace

std::string ColumnLetters(int column) {
  std::string letters;
  while (column > 0) {
    const int digit = (column - 1) % 26;
    letters.insert(letters.begin(), static_cast<char>('A' + digit));
    column = (column - 1) / 26;
  }
  return letters;
}

std::string CellAddress(int row, int column) { return ColumnLetters(column) + std::to_string(row); }

std::string RangeAddress(const CellRange& range) {
  if (range.is_whole_columns()) {
    return ColumnLetters(range.first_column) + ":" + ColumnLetters(range.last_column);
  }
  if (range.is_whole_rows()) {
    return std::to_string(range.first_row) + ":" + std::to_string(range.last_row);
  }
  if (range.first_row == range.last_row && range.first_column == range.last_column) {
    return CellAddress(range.first_row, range.first_column);
  }
  return CellAddress(range.first_row, range.first_column) + ":" +
         CellAddress(range.last_row, range.last_column);
}

Result<CellRange> ParseRangeAddress(std::string_view address) {
  auto bad = [&] {
    return Error{ErrorCode::kInvalidArgument,
                 "セル範囲「" + std::string(address) + "」は A1 形式の範囲ではありません。"};
  };
  const size_t colon = address.find(':');
  const std::optional<AddressPart> first = ParsePart(address.substr(0, colon));
  if (!first) return bad();
  std::optional<AddressPart> last = first;
  if (colon != std::string_view::npos) {
    last = ParsePart(address.substr(colon + 1));
    if (!last) return bad();
  }
  const bool cells = first->row && first->column && last->row && last->column;
  const bool columns = !first->row && !last->row && colon != std::string_view::npos;
  const bool rows = !first->column && !last->column && colon != std::string_view::npos;
  CellRange range;
  if (cells) {
    range = CellRange::Area(*first->row, *first->column, *last->row, *last->column);
  } else if (columns) {
    range = CellRange::Columns(*first->column, *last->column);
  } else if (rows) {
    range = CellRange::Rows(*first->row, *last->row);
  } else {
    return bad();
  }
  if (range.first_row > range.last_row || range.first_column > range.last_column) return bad();
  return range;
}

}  // namespace mirune
