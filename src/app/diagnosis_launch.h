#pragma once

// The check of the InDesign and Excel of this computer (`mirune 診断`, the utility window's
// "動作確認"): every member the jobs use, tried without changing anything the user has; the
// Japanese report is written as 動作確認.txt in the data folder's RazozaData, beside
// Razoza.txt, and returned to be shown.

#include <string>

#include "base/result.h"

namespace mirune {

inline constexpr char kDiagnosisFileName[] = "動作確認.txt";

struct DiagnosisOutcome {
  std::string report;       // the report's text ("\n" line ends)
  std::string report_path;  // where it was written
  bool all_ok = false;      // every member answered as the jobs need
};

// `data_dir`: the data folder asked for ("" for the default choice). Windows only: elsewhere
// kUnsupported with the reason. A report that could not be written fails with the cause.
Result<DiagnosisOutcome> RunComDiagnosis(const std::string& data_dir);

}  // namespace mirune
