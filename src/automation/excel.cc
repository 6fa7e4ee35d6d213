#include "automation/excel.h"

namespace mirune {

std::string_view ExcelErrorText(uint8_t code) {
  switch (code) {
    case 0x00:
      return "#NULL!";
    case 0x07:
      return "#DIV/0!";
    case 0x0F:
      return "#VALUE!";
    case 0x17:
      return "#REF!";
    case 0x1D:
      return "#NAME?";
    case 0x24:
      return "#NUM!";
    case 0x2A:
      return "#N/A";
    case 0x2B:
      return "#GETTING_DATA";
    default:
      return {};
  }
}

bool IsTruthOrErrorText(std::string_view text) {
  if (text == "TRUE" || text == "FALSE") return true;
  if (text.empty() || text.front() != '#') return false;
  for (int code = 0; code < 0x30; ++code) {
    if (text == ExcelErrorText(static_cast<uint8_t>(code))) return true;
  }
  return false;
}

std::string SeveralExcelInstancesNote(int instances, std::string_view workbook_name) {
  if (instances < 2) return {};
  return "（Excel が " + std::to_string(instances) +
         " 個起動しています。本ソフトが接続できるのは最初に起動した Excel だけです。" +
         std::string(workbook_name) + " を開いている Excel 以外は終了して下さい）";
}

Result<CellBlock> ExcelWorkbook::GetCells(int sheet, const CellRange& range) const {
  if (range.first_row > range.last_row || range.first_column > range.last_column) {
    return Error{ErrorCode::kInvalidArgument, "セル範囲の始まりが終わりより後にあります。"};
  }
  CellBlock block(range.row_count(), range.column_count());
  for (int r = 0; r < block.rows; ++r) {
    for (int c = 0; c < block.columns; ++c) {
      MIRUNE_ASSIGN_OR_RETURN(block.at(r, c),
                              GetCell(sheet, range.first_row + r, range.first_column + c));
    }
  }
  return block;
}

Status ExcelWorkbook::SetCells(int sheet, int first_row, int first_column, const CellBlock& block) {
  for (int r = 0; r < block.rows; ++r) {
    for (int c = 0; c < block.columns; ++c) {
      MIRUNE_RETURN_IF_ERROR(SetCell(sheet, first_row + r, first_column + c, block.at(r, c)));
    }
  }
  return Status::Ok();
}

Status ExcelWorkbook::DeleteRows(int sheet, int first_row, int count) {
  for (int i = 0; i < count; ++i) MIRUNE_RETURN_IF_ERROR(DeleteRow(sheet, first_row));
  return Status::Ok();
}

Status ExcelWorkbook::DeleteRowRuns(int sheet, const std::vector<RowRun>& runs) {
  for (size_t i = 1; i < runs.size(); ++i) {
    if (runs[i].first_row < runs[i - 1].first_row + runs[i - 1].count) {
      return Status(ErrorCode::kInvalidArgument,
                    "削除する行の範囲が重なっているか、順に並んでいません。");
    }
  }
  for (auto it = runs.rbegin(); it != runs.rend(); ++it) {
    MIRUNE_RETURN_IF_ERROR(DeleteRows(sheet, it->first_row, it->count));
  }
  return Status::Ok();
}

Status ExcelWorkbook::SortRowsByTwoKeys(int sheet, int key_column, int second_key_column) {
  MIRUNE_RETURN_IF_ERROR(SortRows(sheet, second_key_column));
  return SortRows(sheet, key_column);
}

Result<std::unique_ptr<ExcelWorkbook>> ExcelApplication::ActiveWorkbook() {
  return Error{ErrorCode::kNotFound, "Excel で開いているブックがありません。"};
}

Status ExcelApplication::SetDisplayAlerts(bool) { return Status::Ok(); }

Status ExcelApplication::SetVisible(bool) { return Status::Ok(); }

}  // namespace mirune
