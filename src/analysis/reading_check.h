#pragma once

// Readings that may be wrong: what the reading sources say about a term whose reading they
// are not sure of, and the list of such terms a job hands to the user (the workbook's sheet
// of readings to check).

#include <string>
#include <vector>

namespace mirune {

// Why the reading of one term may be wrong.
struct ReadingDoubt {
  // Other readings the sources give for the whole term (hiragana), most likely first; the
  // reading used is not among them.
  std::vector<std::string> candidates;
  // The cause, Japanese, one sentence without a final 。 (several causes joined by "、").
  std::string why;
};

// One term to check, with every page it stands on.
struct ReadingCheck {
  std::string term;
  std::string reading;  // the reading written on the entry lines
  ReadingDoubt doubt;
  std::vector<std::string> pages;  // page fields (PageField::text), each once, in order
};

// The causes, as the sheet shows them.
inline constexpr const char* kDoubtComposed =
    "語句全体の読みを持つ辞書がなく、語ごとの読みをつなげました";
inline constexpr const char* kDoubtSeveralReadings = "辞書に読みが複数あります";
inline constexpr const char* kDoubtSourcesDisagree = "辞書によって読みが違います";
inline constexpr const char* kDoubtLearnedDisagrees = "学習した読みが辞書の読みと違います";
inline constexpr const char* kDoubtKanjiLeft = "読めない漢字が残っています";
// A reading from the book's ruby that no dictionary gives for the term.
inline constexpr const char* kDoubtRubyNotInDictionary = "ルビの読みです（辞書にない読み）";
// The book gives the term different ruby in different places.
inline constexpr const char* kDoubtRubyDiffers = "ルビの読みが箇所によって違います";

}  // namespace mirune
