#pragma once

// The progress window as the long jobs see it: open, update, finish, the value fields the
// jobs fill themselves, and the one pass through the message loop that follows each update.
// Implementations: the Windows window, the terminal bar of the command line, and the
// recording fake of the tests (progress/testing/recording_progress.h).

#include <cstdint>
#include <string_view>

#include "base/result.h"

namespace mirune {

// Activity text of the extraction's analysis steps (ends in an ideographic space).
inline constexpr std::string_view kExtractingActivity = "索引抽出処理を実行中です...　";

// Value fields of the progress window, each beside its caption.
enum class ProgressField {
  kDocumentName,     // "対象文書名 ："
  kDocumentCounter,  // "処理中のドキュメント数 ：", "current / total"
  kStoryCounter,     // "処理中のストーリー数   ："
  kEntryCount,       // "抽出された索引語句数   ：" (the job's EntryCount)
  kEntryCaption,     // the caption of kEntryCount itself, re-captioned by keyword marking
};

class ProgressReporter {
 public:
  virtual ~ProgressReporter() = default;

  // Opens the window with `activity`; returns the full width of the progress track.
  virtual float StartProgress(std::string_view activity) = 0;

  // Shows done/total of the track. total must not be 0 (kInvalidArgument otherwise).
  virtual Status UpdateProgress(int32_t done, int32_t total, float full_width,
                                std::string_view activity) = 0;

  // Shows 100 %, waits about a second, closes the window.
  virtual void FinishProgress(std::string_view activity) = 0;

  // Sets a value field (text as the window shows it).
  virtual void SetField(ProgressField field, std::string_view text) = 0;

  // One pass through the message loop (the jobs call it after each update).
  virtual void YieldToMessageLoop() = 0;

  // Closes the window without the 100 % display (a job that ends early). Nothing happens
  // when it is not open.
  virtual void CloseProgress() {}
};

}  // namespace mirune
