#pragma once

// The per-keyword report printed after a bulk marking: how many places each keyword marked,
// then the keywords found nowhere (the check users most often make by hand).

#include <cstdint>
#include <string>
#include <vector>

namespace mirune {

struct KeywordTally {
  int32_t row = 0;      // row of the keyword in column B of "Sheet1" (1-based)
  std::string keyword;  // as read from the cell; empty rows are not reported
  int64_t places = 0;   // places marked (a place already marked by an earlier row counts again)
};

// Lines end in "\n". Rows with an empty keyword are left out of both lists.
//   キーワードごとのマーキング箇所数:
//     B1<TAB>索引<TAB>12
//   見つからなかったキーワード: 1語
//     B2<TAB>読み
// or, when every keyword was found, "見つからなかったキーワードはありません。".
std::string FormatKeywordReport(const std::vector<KeywordTally>& tallies);

}  // namespace mirune
