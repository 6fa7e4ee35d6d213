// This build has no COM: the check of InDesign and Excel runs only on Windows.

#include "app/diagnosis_launch.h"

namespace mirune {

Result<DiagnosisOutcome> RunComDiagnosis(const std::string&) {
  return Error{ErrorCode::kUnsupported,
               "InDesign と Excel の動作確認には Windows 版が必要です（COM で操作するため）。"
               "この環境では IDML を内蔵のエンジンで処理できます"};
}

}  // namespace mirune
