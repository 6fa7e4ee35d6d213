#pragma once

// The launch of the re-sort on a saved workbook, as the command line runs it: the corrected
// workbook is read, the sheet AfterSort is rebuilt from its Org, and the result is saved to
// OUTPUT, never over the input (the user's file may hold formats and notes the engine does not
// read).

#include <cstdint>
#include <string>
#include <string_view>

#include "app/exit_code.h"
#include "automation/excel.h"
#include "base/result.h"

namespace mirune {

struct ResortRequest {
  std::string input;   // the corrected Razoza.xls
  std::string output;  // empty: the input's name with "-resort" before the extension
};

struct ResortLaunchResult {
  ExitCode exit = ExitCode::kError;
  // Why the re-sort did not end with a saved workbook (Japanese, naming the file first).
  Status cause;
  // The job's own message that goes with the cause, where the re-sort defines one (a workbook
  // without the sheet Org); empty otherwise.
  std::string_view fixed_text;
  std::string output_path;
  int32_t after_sort_rows = 0;
};

ResortLaunchResult LaunchResort(ExcelApplication& excel, const ResortRequest& request);

// The input's name with "-resort" before its extension, in the same folder
// ("Razoza.xls" → "Razoza-resort.xls").
std::string DefaultResortPath(const std::string& input_path);

}  // namespace mirune
