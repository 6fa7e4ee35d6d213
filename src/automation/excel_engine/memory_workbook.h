#pragma once

// The in-memory workbook: the Excel interface (automation/excel.h) implemented without
// Excel, saved with the engine's own .xls writer and opened with its .xls reader.

#include <memory>
#include <string>

#include "automation/excel.h"
#include "automation/excel_engine/model/workbook_model.h"

namespace mirune {

class MemoryWorkbook final : public ExcelWorkbook {
 public:
  // A new workbook with one empty sheet "Sheet1".
  MemoryWorkbook();
  // A workbook holding `model` (for instance read from a file). Precondition: at least one
  // sheet.
  explicit MemoryWorkbook(xls::WorkbookModel model);

  int SheetCount() const override;
  Result<std::string> SheetName(int sheet) const override;
  Result<int> FindSheet(std::string_view name) const override;
  Result<int> AddSheet(std::string_view name) override;
  Status RenameSheet(int sheet, std::string_view name) override;
  Result<int> CopySheet(int sheet, int after) override;
  Status DeleteSheet(int sheet) override;
  Status ActivateSheet(int sheet) override;
  int ActiveSheet() const override;

  Result<CellValue> GetCell(int sheet, int row, int column) const override;
  Status SetCell(int sheet, int row, int column, const CellValue& value) override;
  Result<int> LastFilledRow(int sheet) const override;

  Status SetColumnWidth(int sheet, int first_column, int last_column, double width) override;
  Result<double> ColumnWidth(int sheet, int column) const override;
  Status SetFontName(int sheet, const CellRange& range, std::string_view font_name) override;
  Status SetNumberFormat(int sheet, const CellRange& range, std::string_view format) override;
  Status SetAlignment(int sheet, const CellRange& range, const AlignmentChange& change) override;
  Status CopyFormat(int sheet, int row, int column, const CellRange& to) override;
  Result<CellFormat> GetFormat(int sheet, int row, int column) const override;

  Status DeleteRow(int sheet, int row) override;
  Status InsertColumn(int sheet, int column) override;
  Status SortRows(int sheet, int key_column) override;

  Status SaveAs(const std::string& path) override;
  Result<std::string> SavedBytes() const override { return ToXlsBytes(); }

  // The .xls bytes SaveAs would write.
  Result<std::string> ToXlsBytes() const;

  const xls::WorkbookModel& model() const { return model_; }

 private:
  Result<xls::ModelSheet*> Sheet(int sheet);
  Result<const xls::ModelSheet*> Sheet(int sheet) const;
  Status CheckNewName(std::string_view name, int except_sheet) const;
  // Applies `change` (old style -> new style) to every cell of `range`.
  template <typename Change>
  Status ChangeStyles(int sheet, const CellRange& range, Change change);

  xls::WorkbookModel model_;
};

// The application of the in-memory engine. The workbooks it hands out are handles sharing
// one workbook: they outlive the application, and ActiveWorkbook hands out another handle to
// the workbook added, opened or adopted last.
class MemoryExcel final : public ExcelApplication {
 public:
  Result<std::unique_ptr<ExcelWorkbook>> AddWorkbook() override;
  Result<std::unique_ptr<ExcelWorkbook>> OpenWorkbook(const std::string& path) override;
  Result<std::unique_ptr<ExcelWorkbook>> ActiveWorkbook() override;
  Status SetDisplayAlerts(bool display) override;
  Status SetVisible(bool visible) override;

  // Makes `book` the active workbook; returns a handle to it.
  std::unique_ptr<ExcelWorkbook> Adopt(std::shared_ptr<MemoryWorkbook> book);
  // The active workbook itself (null when none).
  const std::shared_ptr<MemoryWorkbook>& active() const { return active_; }

  bool display_alerts() const { return display_alerts_; }
  bool visible() const { return visible_; }

 private:
  std::shared_ptr<MemoryWorkbook> active_;
  bool display_alerts_ = true;
  bool visible_ = false;
};

// Opens an .xls file as an in-memory workbook (values and the formats xls_reader.h reads).
// kNotFound or kFormatError.
Result<std::unique_ptr<MemoryWorkbook>> OpenXlsWorkbook(const std::string& path);

}  // namespace mirune
