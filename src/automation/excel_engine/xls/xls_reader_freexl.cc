// .xls reading with libfreexl.

#include <freexl.h>

#include <algorithm>

#include "automation/excel_engine/xls/biff_reader.h"
#include "automation/excel_engine/xls/xls_reader.h"
#include "base/file.h"

namespace mirune::xls {
namespace {

// Closes the handle on every path out.
class FreeXlHandle {
 public:
  FreeXlHandle() = default;
  FreeXlHandle(const FreeXlHandle&) = delete;
  FreeXlHandle& operator=(const FreeXlHandle&) = delete;
  ~FreeXlHandle() {
    if (handle_ != nullptr) freexl_close(handle_);
  }
  const void** out() { return &handle_; }
  const void* get() const { return handle_; }

 private:
  const void* handle_ = nullptr;
};

Error Damaged(const std::string& path, const std::string& what, int code) {
  return Error{ErrorCode::kFormatError, path + ": not a readable Excel 97-2003 workbook (" + what +
                                            ", code " + std::to_string(code) + ")"};
}

// The values of every worksheet, as libfreexl reads them.
Result<WorkbookModel> ReadValuesWithFreexl(const std::string& path) {
  FreeXlHandle xls;
  int rc = freexl_open(path.c_str(), xls.out());
  if (rc != FREEXL_OK) return Damaged(path, "open failed", rc);
  // freexl reports success with no handle for some files (an empty shared string, for one).
  if (xls.get() == nullptr) return Damaged(path, "open gave no workbook", rc);

  unsigned int info = 0;
  if (freexl_get_info(xls.get(), FREEXL_BIFF_PASSWORD, &info) == FREEXL_OK &&
      info == FREEXL_BIFF_OBFUSCATED) {
    return Error{ErrorCode::kFormatError, path + ": the workbook is password-protected"};
  }
  if (freexl_get_info(xls.get(), FREEXL_BIFF_VERSION, &info) == FREEXL_OK &&
      info != FREEXL_BIFF_VER_8) {
    return Error{ErrorCode::kFormatError,
                 path + ": a workbook older than Excel 97 (BIFF" + std::to_string(info) +
                     ") cannot be read; save it as an Excel 97-2003 workbook"};
  }
  unsigned int sheet_count = 0;
  rc = freexl_get_info(xls.get(), FREEXL_BIFF_SHEET_COUNT, &sheet_count);
  if (rc != FREEXL_OK) return Damaged(path, "no sheet list", rc);
  if (sheet_count == 0) return Damaged(path, "no sheets", 0);

  WorkbookModel model;
  for (unsigned int s = 0; s < sheet_count; ++s) {
    const char* name = nullptr;
    rc = freexl_get_worksheet_name(xls.get(), static_cast<unsigned short>(s), &name);
    if (rc != FREEXL_OK || name == nullptr) return Damaged(path, "unreadable sheet name", rc);
    rc = freexl_select_active_worksheet(xls.get(), static_cast<unsigned short>(s));
    if (rc != FREEXL_OK) return Damaged(path, "unreadable sheet", rc);
    unsigned int rows = 0;
    unsigned short columns = 0;
    rc = freexl_worksheet_dimensions(xls.get(), &rows, &columns);
    if (rc != FREEXL_OK) return Damaged(path, "unreadable sheet size", rc);
    if (rows > static_cast<unsigned int>(kExcelMaxRows) || columns > kExcelMaxColumns) {
      return Damaged(path, "sheet larger than the format allows", 0);
    }

    model.sheets.emplace_back();
    ModelSheet& sheet = model.sheets.back();
    sheet.name = name;
    for (unsigned int r = 0; r < rows; ++r) {
      for (unsigned short c = 0; c < columns; ++c) {
        FreeXL_CellValue value;
        rc = freexl_get_cell_value(xls.get(), r, c, &value);
        if (rc != FREEXL_OK) return Damaged(path, "unreadable cell", rc);
        CellValue v;
        switch (value.type) {
          case FREEXL_CELL_INT:
            v = CellValue::Number(value.value.int_value);
            break;
          case FREEXL_CELL_DOUBLE:
            v = CellValue::Number(value.value.double_value);
            break;
          case FREEXL_CELL_TEXT:
          case FREEXL_CELL_SST_TEXT:
          case FREEXL_CELL_DATE:
          case FREEXL_CELL_DATETIME:
          case FREEXL_CELL_TIME:
            if (value.value.text_value != nullptr) v = CellValue::Text(value.value.text_value);
            break;
          default:
            break;
        }
        if (v.is_empty()) continue;
        ModelRow& row = sheet.rows.Ensure(r);
        row.cells.resize(std::max<size_t>(row.cells.size(), c + 1u));
        row.cells[c] = model.MakeCell(v, 0);
      }
    }
  }
  return model;
}

// The formats of `formats` (the engine's own reading) with the values of `values`
// (libfreexl's), when both list the same sheets; otherwise the values alone.
WorkbookModel Merge(WorkbookModel formats, const WorkbookModel& values) {
  if (formats.sheets.size() != values.sheets.size()) return values;
  for (size_t s = 0; s < values.sheets.size(); ++s) {
    if (formats.sheets[s].name != values.sheets[s].name) return values;
  }
  for (size_t s = 0; s < values.sheets.size(); ++s) {
    ModelSheet& sheet = formats.sheets[s];
    for (size_t r = 0; r < sheet.rows.size(); ++r) {
      for (ModelCell& cell : sheet.rows.Find(r)->cells) {
        cell.type = CellType::kEmpty;
        cell.ref = 0;
      }
    }
    const ModelSheet& source = values.sheets[s];
    for (size_t r = 0; r < source.rows.size(); ++r) {
      const ModelRow* row = source.rows.Find(r);
      for (size_t c = 0; c < row->cells.size(); ++c) {
        const CellValue value = values.ValueOf(row->cells[c]);
        if (value.is_empty()) continue;
        ModelRow& target = sheet.rows.Ensure(r);
        while (target.cells.size() <= c) {
          ModelCell blank;
          blank.style = sheet.column_styles[target.cells.size()];
          target.cells.push_back(blank);
        }
        target.cells[c] = formats.MakeCell(value, target.cells[c].style);
      }
    }
  }
  return formats;
}

}  // namespace

Result<WorkbookModel> ReadXlsFile(const std::string& path) {
  if (!FileExists(path)) {
    if (FolderExists(path)) return Error{ErrorCode::kInvalidArgument, path + ": is a folder"};
    return Error{ErrorCode::kNotFound, path + ": no such file"};
  }
  // libfreexl does not check every length in the file against the bytes that are there (a
  // damaged file can make it read or free outside its buffers). The engine's own reader
  // walks the whole structure with every bound checked first; only a file that passes it
  // reaches libfreexl. The own reading also gives the formats, which libfreexl does not read.
  MIRUNE_ASSIGN_OR_RETURN(const std::string bytes, ReadFileBytes(path));
  Result<WorkbookModel> checked = ParseXlsBytes(bytes);
  if (!checked.ok()) return Error{checked.code(), path + ": " + checked.message()};
  MIRUNE_ASSIGN_OR_RETURN(const WorkbookModel values, ReadValuesWithFreexl(path));
  return Merge(std::move(*checked), values);
}

}  // namespace mirune::xls
