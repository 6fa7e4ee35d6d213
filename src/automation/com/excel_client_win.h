#pragma once

// The Excel client (Windows build): automation/excel.h over Excel's automation object model,
// late bound by member name (Dispatcher), on a new instance or on the one the user has
// running. The members it calls are those of Excel's Application, Workbooks, Workbook,
// Sheets, Worksheet, Range and Font; every assumption it makes beyond them is listed in
// docs/architecture.md ("Assumptions about Excel's object model").
//
// Costs: every member access is one call into Excel's process. Blocks of cells cross as one
// two-dimensional array (GetCells, SetCells), a run of rows is deleted in one call, and the
// worksheet objects are kept until a sheet is added, copied or deleted.
//
// Failures are Japanese and name the member path and Excel's own text:
//   "Excel の Sheets.Item(3).Range("B3").Value が失敗しました（0x80020009: …）"

#include <windows.h>

#include <memory>
#include <string>
#include <string_view>

#include "automation/com/dispatcher_win.h"
#include "automation/excel.h"
#include "base/result.h"

namespace mirune::com {

inline constexpr std::string_view kExcelProgId = "Excel.Application";
// How messages name the application.
inline constexpr std::string_view kExcelHost = "Excel";

class ExcelClient final : public ExcelApplication {
 public:
  // A new instance of the server registered under `prog_id` (hidden, as Excel starts by
  // automation).
  static Result<std::unique_ptr<ExcelClient>> Create(std::string_view prog_id = kExcelProgId);
  // One attempt at the instance already running (registered in the running object table);
  // kNotFound when none runs. Callers retry (AttachWithRetry).
  static Result<std::unique_ptr<ExcelClient>> AttachOnce(std::string_view prog_id = kExcelProgId);

  // Over an application object already had.
  explicit ExcelClient(ComPtr<IDispatch> application);

  Result<std::unique_ptr<ExcelWorkbook>> AddWorkbook() override;
  // kNotFound, without asking Excel, when the file is not there.
  Result<std::unique_ptr<ExcelWorkbook>> OpenWorkbook(const std::string& path) override;
  Result<std::unique_ptr<ExcelWorkbook>> ActiveWorkbook() override;
  Status SetDisplayAlerts(bool display) override;
  Status SetVisible(bool visible) override;

  Dispatcher& application() { return application_; }

 private:
  Result<std::unique_ptr<ExcelWorkbook>> WrapWorkbook(Result<UniqueVariant> value,
                                                      std::string path);

  // The objects of one client share its cache of member names.
  std::shared_ptr<DispIdCache> cache_;
  Dispatcher application_;
};

// One attempt at the running Excel as the jobs take it (ResortJobHosts::attach_excel,
// RunningExcelKeywordSource): the re-sort and keyword marking retry it 20 times 500 ms apart.
Result<std::unique_ptr<ExcelApplication>> AttachRunningExcel(
    std::string_view prog_id = kExcelProgId);

}  // namespace mirune::com
