#pragma once

// A workbook written as one file of an output set (base/file_set.h), with the checks SaveAs
// makes: a read-only file or a folder of that name is not replaced. The workbook's bytes go
// into the set where the host can give them (the embedded engine); otherwise the host saves
// the workbook into the set's temporary for it. Failures name `path`.

#include <string>

#include "automation/excel.h"
#include "base/file_set.h"
#include "base/result.h"

namespace mirune {

Status AddWorkbookToSet(OutputFileSet& set, ExcelWorkbook& book, const std::string& path);

}  // namespace mirune
