#pragma once

// The launch of the finished index, as the command line runs it: the corrected workbook is
// read, its folded sheet (AfterSort when there, else Sort_Syori1, or the sheet asked for) is
// made into the finished index, and BASE.txt, BASE-tagged.txt, BASE.idml (the tagged text
// placed in a new document; builds with IDML) and BASE.xls (a copy of the workbook with the
// sheet "索引") are written. The input is never written.

#include <string>
#include <vector>

#include "app/exit_code.h"
#include "automation/excel.h"
#include "base/result.h"
#include "workbook/finished_index.h"

namespace mirune {

struct IndexRequest {
  std::string input;  // the corrected Razoza.xls
  std::string base;   // the outputs' path without extension; empty: DefaultIndexBase(input)
  std::string sheet;  // empty: AfterSort when the workbook has it, else Sort_Syori1
  FinishedIndexOptions options;
  // One index per mark number, from the workbook's sheet "マーク" (mark_sheet.h): BASE-N.txt,
  // BASE-N-tagged.txt and the sheet "索引N" for mark N. A workbook without that sheet (its
  // entries carry one mark number) gives the one index, and a note says so.
  bool by_mark = false;
  // BASE.idml as well (builds with IDML).
  bool idml = true;
};

struct IndexLaunchResult {
  ExitCode exit = ExitCode::kError;
  Status cause;                      // why no index was written (Japanese, naming the file first)
  std::string sheet;                 // the sheet read
  std::vector<std::string> written;  // the files written, in order
  size_t entries = 0;
  size_t headings = 0;
  std::vector<int> marks;  // the mark numbers of the indexes written (by_mark)
  std::string note;        // what the user should know (Japanese); empty for nothing
};

IndexLaunchResult LaunchIndex(ExcelApplication& excel, const IndexRequest& request);

// The input's path without its extension, with "-索引" ("Razoza.xls" → "Razoza-索引").
std::string DefaultIndexBase(const std::string& input_path);

}  // namespace mirune
