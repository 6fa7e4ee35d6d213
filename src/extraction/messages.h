#pragma once

// The messages of the extraction job and its launch, exactly as the user sees them. Lines are
// joined by CR LF; an empty line is one more CR LF.

#include <cstdint>
#include <string>
#include <string_view>

namespace mirune {

// MessageSomethingOpen: something is open in InDesign.
std::string MessageSomethingOpen();
// MessageStartBook / MessageStartDocument: start confirmation for a book / a document, with its
// path.
std::string MessageStartBook(std::string_view path);
std::string MessageStartDocument(std::string_view path);
// MessageBookModified: the book has unsaved changes.
std::string MessageBookModified();
// MessageBookEmpty: the book has no members.
std::string MessageBookEmpty();
// MessageDocumentModified: the document has unsaved changes (OK goes on).
std::string MessageDocumentModified();
// MessageTargetNotFound: the target could not be identified.
std::string MessageTargetNotFound();
// MessageNothingExtracted: nothing was extracted.
std::string MessageNothingExtracted();
// MessageCompleted: completion, with the elapsed seconds (shown with one decimal) and the extracted
// count. Its first two lines are joined by LF CR. A `results_folder` adds one line naming
// where the results were written ("結果のフォルダー: …").
std::string MessageCompleted(double elapsed_seconds, int64_t extracted_count,
                             std::string_view results_folder = {});
// After the user stopped the job with "処理中止": it stopped, the previous results are kept.
std::string MessageAborted();
// MessageCannotContinue and the launch's recovery message.
std::string MessageCannotContinue();
// The launch's refusal while Word or Excel is visible.
std::string MessageCloseWordAndExcel();
// The end-of-job line on the readings to check: how many terms the sheet "読み確認" of
// Razoza.xls lists.
std::string ReadingCheckSummary(int64_t count);
// The launch's file check.
inline constexpr std::string_view kMessageSelectDocument = "InDesign文書を選択して下さい　";

// Activity texts of the progress window.
inline constexpr std::string_view kActivityExtracting = "索引抽出処理を実行中です...　";
inline constexpr std::string_view kActivityWriting = "索引データ書き出し処理中です... ";

}  // namespace mirune
