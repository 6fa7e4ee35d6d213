#pragma once

// Names and places of the extraction's files. The data folder holds `temp` (one story's
// working files at a time) and `RazozaData` (the results of the last job).

#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

#include "base/result.h"

namespace mirune {

inline constexpr std::string_view kTagFilePrefix = "InD_Tag";
inline constexpr std::string_view kWorkDocPrefix = "W_Temp";
inline constexpr std::string_view kOutputBaseName = "Razoza";
inline constexpr std::string_view kTempFolderName = "temp";
inline constexpr std::string_view kResultFolderName = "RazozaData";

// `number` with at least three digits, leading zeros: 7 → "007", 1000 → "1000".
std::string FormatExportNumber(int64_t number);

// "InD_Tag007.txt", "InD_Tag1000.txt", "InD_Tag10000.txt".
std::string TagFileName(int64_t export_number);
// "W_Temp007.doc".
std::string WorkDocName(int64_t export_number);

// The folders and result files of one data folder.
struct WorkingFolders {
  explicit WorkingFolders(std::string data_folder);

  std::string data_folder;
  std::string temp;        // data folder / temp
  std::string results;     // data folder / RazozaData
  std::string razoza_doc;  // RazozaData / Razoza.doc
  std::string razoza_txt;  // RazozaData / Razoza.txt
  std::string razoza_xls;  // RazozaData / Razoza.xls

  // temp / InD_Tag###.txt
  std::string ExportPath(int64_t export_number) const;
};

// Removes what an interrupted job left: the stories' working files in `temp`, and temporary
// names in `RazozaData` and in the data folder itself (the reading memory's). A replacement of
// the results cut off by a kill is first finished or undone from its record
// (RecoverInterruptedSets), so the results are the previous set or the new one, whole; what
// was done is added to `notes` when given. Call it only under the data folder's lock, so that
// no other job is writing there.
Status RemoveLeftoverWorkingFiles(const WorkingFolders& folders,
                                  std::vector<std::string>* notes = nullptr);

}  // namespace mirune
