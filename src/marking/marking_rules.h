#pragma once

// Small rules of keyword bulk marking that need no host: which search call an InDesign
// generation gets, where the progress bar stands, and the progress texts.

#include <cstdint>
#include <string>
#include <string_view>

namespace mirune {

// How a keyword is handed to InDesign.
enum class KeywordSearchCall {
  kSearchFourArguments,  // generation 2: story Search(keyword, -, -, "")
  kSearchSixArguments,   // generations 3 and 4: story Search(keyword, -, -, -, -, "")
  kFindChangeText,       // later: FindWhat / ChangeTo preferences, then application ChangeText
};

// Chooses by the application's generation, the major number at the start of its Version
// text: 2 → four arguments, 3 or 4 → six arguments, anything else (7 of "7.5", 12 of "12.0",
// 20 of "20.0", a text without a leading number) → find/change preferences.
// The whole major number is read, not only its first character: InDesign 2025 reports
// "20.x" and InDesign 30 would report "30.x", and the older Search call no longer exists
// there.
KeywordSearchCall SearchCallForVersion(std::string_view version);

// Activity text while the job runs (ends in an ideographic space).
inline constexpr std::string_view kMarkingActivity = "一括マーキング処理を実行中です...　";
// Activity text of the finished bar (ends in a half-width space).
inline constexpr std::string_view kMarkingFinishedActivity = "一括マーキング処理を実行中です... ";
// Caption that replaces "抽出された索引語句数   ：" while marking.
inline constexpr std::string_view kKeywordCounterCaption = "処理中のキーワード数   ：";
// Value of the story and keyword counters before a document's stories are walked.
inline constexpr std::string_view kCheckingText = "確認中...";

// Progress value after keyword k of K (1 ≤ k ≤ K): k ÷ K × 79 + 20, rounded to the nearest
// integer with halves to even, so the bar runs from just above 20 to 99 within a story.
int32_t KeywordProgressValue(int64_t k, int64_t keyword_count);

// "d / n" as the counters show it.
std::string CounterText(int64_t current, int64_t total);

}  // namespace mirune
