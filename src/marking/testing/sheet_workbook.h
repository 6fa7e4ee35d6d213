#pragma once

// Test helper: an ExcelWorkbook holding only named sheets of cell values, enough for the
// keyword list (sheet names, activation, cells, last used row). Formatting, sorting and saving
// are refused with kUnsupported.

#include <algorithm>
#include <map>
#include <string>
#include <utility>
#include <vector>

#include "automation/excel.h"

namespace mirune::testing_util {

class SheetWorkbook : public ExcelWorkbook {
 public:
  SheetWorkbook() { sheets_.push_back({"Sheet1", {}}); }

  int SheetCount() const override { return static_cast<int>(sheets_.size()); }
  Result<std::string> SheetName(int sheet) const override {
    MIRUNE_RETURN_IF_ERROR(Check(sheet));
    return sheets_[sheet - 1].name;
  }
  Result<int> FindSheet(std::string_view name) const override {
    for (size_t i = 0; i < sheets_.size(); ++i) {
      if (sheets_[i].name == name) return static_cast<int>(i + 1);
    }
    return Result<int>(ErrorCode::kNotFound, "no sheet " + std::string(name));
  }
  Result<int> AddSheet(std::string_view name) override {
    sheets_.push_back({std::string(name), {}});
    return SheetCount();
  }
  Status RenameSheet(int sheet, std::string_view name) override {
    MIRUNE_RETURN_IF_ERROR(Check(sheet));
    sheets_[sheet - 1].name = name;
    return Status::Ok();
  }
  Result<int> CopySheet(int, int) override { return Unsupported(); }
  Status DeleteSheet(int) override { return Unsupported(); }
  Status ActivateSheet(int sheet) override {
    MIRUNE_RETURN_IF_ERROR(Check(sheet));
    active_ = sheet;
    ++activations;
    return Status::Ok();
  }
  int ActiveSheet() const override { return active_; }

  Result<CellValue> GetCell(int sheet, int row, int column) const override {
    MIRUNE_RETURN_IF_ERROR(Check(sheet));
    if (row < 1 || row > kExcelMaxRows || column < 1 || column > kExcelMaxColumns) {
      return Result<CellValue>(ErrorCode::kInvalidArgument, "cell out of range");
    }
    const auto& cells = sheets_[sheet - 1].cells;
    auto it = cells.find({row, column});
    return it == cells.end() ? CellValue::Empty() : it->second;
  }
  Status SetCell(int sheet, int row, int column, const CellValue& value) override {
    MIRUNE_RETURN_IF_ERROR(Check(sheet));
    if (value.is_empty()) {
      sheets_[sheet - 1].cells.erase({row, column});
    } else {
      sheets_[sheet - 1].cells[{row, column}] = value;
    }
    return Status::Ok();
  }
  Result<int> LastFilledRow(int sheet) const override {
    MIRUNE_RETURN_IF_ERROR(Check(sheet));
    int last = 0;
    for (const auto& [key, value] : sheets_[sheet - 1].cells) last = std::max(last, key.first);
    return last;
  }

  Status SetColumnWidth(int, int, int, double) override { return Unsupported(); }
  Result<double> ColumnWidth(int, int) const override { return Unsupported(); }
  Status SetFontName(int, const CellRange&, std::string_view) override { return Unsupported(); }
  Status SetNumberFormat(int, const CellRange&, std::string_view) override { return Unsupported(); }
  Status SetAlignment(int, const CellRange&, const AlignmentChange&) override {
    return Unsupported();
  }
  Status CopyFormat(int, int, int, const CellRange&) override { return Unsupported(); }
  Result<CellFormat> GetFormat(int, int, int) const override { return Unsupported(); }
  Status DeleteRow(int, int) override { return Unsupported(); }
  Status InsertColumn(int, int) override { return Unsupported(); }
  Status SortRows(int, int) override { return Unsupported(); }
  Status SaveAs(const std::string&) override { return Unsupported(); }

  int activations = 0;

 private:
  struct Sheet {
    std::string name;
    std::map<std::pair<int, int>, CellValue> cells;
  };
  static Status Unsupported() { return Status(ErrorCode::kUnsupported, "not in the test fake"); }
  Status Check(int sheet) const {
    if (sheet < 1 || sheet > SheetCount()) return Status(ErrorCode::kNotFound, "no such sheet");
    return Status::Ok();
  }
  std::vector<Sheet> sheets_;
  int active_ = 1;
};

}  // namespace mirune::testing_util
