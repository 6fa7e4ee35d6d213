#pragma once

// The message boxes of keyword bulk marking: their texts (lines joined by CR LF), the title
// "確認" and the Win32 message-box style numbers. Texts are the system's own and must not be
// reworded.

#include <cstdint>
#include <string>
#include <string_view>

namespace mirune {

enum class MarkingMessage {
  kOpenKeywordWorkbook,  // Keyword.xls is not shown in Excel
  kNoSheet1,             // no sheet named "Sheet1"
  kNoKeywords,           // column B of "Sheet1" is empty
  kNoDocument,           // nothing is open in InDesign
  kSeveralDocuments,     // more than one book or document is open
  kEmptyBook,            // the open book has no documents
  kConfirmStart,         // the start confirmation (OK and Cancel)
  kFinished,             // the completion message
  kExcelUnreachable,     // attaching to Excel failed 20 times
  kFailed,               // an automation call failed during the job
};

// Win32 message-box styles used here.
inline constexpr int32_t kStyleOkExclamation = 48;
inline constexpr int32_t kStyleOkCancelInformation = 65;
inline constexpr int32_t kStyleOkInformation = 64;

inline constexpr std::string_view kMarkingTitle = "確認";

struct MarkingMessageBox {
  std::string text;  // lines joined by CR LF
  std::string_view title;
  int32_t style;
};

// The box for `message`. `target_path` is the full path of the book or document, used only
// by kConfirmStart. `formatting_set` (kConfirmStart only): the launch sets the change
// formatting itself (marking files, IDML or through the command line), so the lines about
// InDesign's Find/Change window are left out.
MarkingMessageBox MarkingMessageFor(MarkingMessage message, std::string_view target_path = {},
                                    bool formatting_set = false);

// Short tag "kOpenKeywordWorkbook" … "kFailed", for reports and test output.
std::string_view MarkingMessageTag(MarkingMessage message);

}  // namespace mirune
