#pragma once

// The launch of the re-sort on a saved workbook, as the command line runs it: the corrected
// workbook is read, the sheet AfterSort is rebuilt from its Org, and the result is saved to
// OUTPUT, never over the input (the user's file may hold formats and notes the engine does not
// read).
//
// The re-sort also learns the user's corrections: each reading on Org is compared with the
// readings the extraction wrote for the term into the same workbook (the sheet Sort_Only), and
// each one that differs is recorded in the reading memory of the data folder
// (analysis/reading_memory.h); of several rows of one term the last that differs wins. So an
// older workbook re-sorted after a newer one never writes its machine readings back over what
// was learned since. A term that Sort_Only lacks (a row added on Org) is learned where its
// reading differs from what the next extraction would give it (the memory's reading, else
// TermReading with the machine's readings); a workbook without Sort_Only learns nothing and a
// warning says why. A remembered reading replaced by another is named in a warning. Readings
// that are not corrections are not learned: empty ones, ones that still carry the re-check
// mark or hold kanji or control characters. While it learns, the launch holds the data
// folder's lock, so that two runs never lose each other's corrections, and first removes what
// an interrupted job left there (extraction/working_files.h).
//
// The workbook is written as an output set (base/file_set.h); the records that interrupted
// runs left beside the input and the output are taken up first.

#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

#include "analysis/phonetic.h"
#include "app/exit_code.h"
#include "automation/excel.h"
#include "base/result.h"

namespace mirune {

struct ResortRequest {
  std::string input;   // the corrected Razoza.xls
  std::string output;  // empty: the input's name with "-resort" before the extension
  // The data folder (ChooseDataFolder) that holds the reading memory; needed when learning.
  std::string data_folder;
  // Learn the corrected readings into the reading memory.
  bool learn = true;
  // The readings the corrections are told from: those the extraction uses.
  ReadingServiceOptions readings;
};

struct ResortLaunchResult {
  ExitCode exit = ExitCode::kError;
  // Why the re-sort did not end with a saved workbook (Japanese, naming the file first).
  Status cause;
  // The job's own message that goes with the cause, where the re-sort defines one (a workbook
  // without the sheet Org); empty otherwise.
  std::string_view fixed_text;
  // Set once the workbook is saved: a failure to save the memory afterwards still has a
  // workbook written.
  bool saved = false;
  std::string output_path;
  int32_t after_sort_rows = 0;

  // Learning (when asked): the memory file, the number of terms whose reading it learned
  // (the file is written only when that is not 0), and warnings and notes for the user
  // (damaged lines of the file; corrections that cannot be kept; remembered readings replaced;
  // a workbook without Sort_Only; interrupted replacements finished or undone).
  std::string memory_path;
  int32_t learned = 0;
  std::vector<std::string> memory_warnings;
};

// The re-sort, learning with the machine's readings (OpenJobReadings of request.readings).
// Everything that can stop it is checked before anything is written: the input and output,
// the data folder's lock (kRefused when another job holds it), the memory file, the readings.
// When the memory cannot be saved after the workbook was, the result has `saved` and exit
// kError with the cause naming the memory file.
ResortLaunchResult LaunchResort(ExcelApplication& excel, const ResortRequest& request);
// The same with the readings given (tests); null opens request.readings.
ResortLaunchResult LaunchResort(ExcelApplication& excel, const ResortRequest& request,
                                ReadingService* readings);

// The input's name with "-resort" before its extension, in the same folder
// ("Razoza.xls" → "Razoza-resort.xls").
std::string DefaultResortPath(const std::string& input_path);

}  // namespace mirune
