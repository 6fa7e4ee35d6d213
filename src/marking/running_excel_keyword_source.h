#pragma once

// The keyword workbook as the Windows shell finds it: Keyword.xls shown in the Excel the user
// has running (MaximizeKeywordXls), read through the active workbook of that Excel. Where
// the window is detected and how Excel is reached are functions, so the shell passes the
// desktop detection and the COM client's one attach attempt, and the tests the in-memory
// engine or the client on the test server.

#include <functional>
#include <memory>

#include "automation/excel.h"
#include "base/result.h"
#include "marking/keyword_marking.h"

namespace mirune {

class RunningExcelKeywordSource : public KeywordWorkbookSource {
 public:
  using Attach = std::function<Result<std::unique_ptr<ExcelApplication>>()>;
  // `keyword_xls_shown`: true when a visible Excel window shows Keyword.xls (maximised then).
  // `attach_excel`: one attempt to reach the running Excel. `excel_instances`, when given: how
  // many Excel main windows are shown; where more than one is, a failed attempt says that only
  // the first Excel started can be reached (the running object table holds that one only).
  RunningExcelKeywordSource(std::function<bool()> keyword_xls_shown, Attach attach_excel,
                            std::function<int()> excel_instances = {})
      : keyword_xls_shown_(std::move(keyword_xls_shown)),
        attach_excel_(std::move(attach_excel)),
        excel_instances_(std::move(excel_instances)) {}

  // kNotFound when no visible Excel window shows Keyword.xls.
  Status CheckKeywordWorkbookShown() override;
  // Attaches and takes the active workbook; both are kept for the job. One attempt.
  Result<ExcelWorkbook*> AttachActiveWorkbook() override;

 private:
  Result<ExcelWorkbook*> AttachOnce();

  std::function<bool()> keyword_xls_shown_;
  Attach attach_excel_;
  std::function<int()> excel_instances_;
  std::unique_ptr<ExcelApplication> excel_;
  std::unique_ptr<ExcelWorkbook> workbook_;
};

}  // namespace mirune
