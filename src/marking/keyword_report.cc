#include "marking/keyword_report.h"

namespace mirune {

std::string FormatKeywordReport(const std::vector<KeywordTally>& tallies) {
  std::string out = "キーワードごとのマーキング箇所数:\n";
  std::vector<const KeywordTally*> missing;
  for (const KeywordTally& tally : tallies) {
    if (tally.keyword.empty()) continue;
    out += "  B" + std::to_string(tally.row) + "\t" + tally.keyword + "\t" +
           std::to_string(tally.places) + "\n";
    if (tally.places == 0) missing.push_back(&tally);
  }
  if (missing.empty()) {
    out += "見つからなかったキーワードはありません。\n";
    return out;
  }
  out += "見つからなかったキーワード: " + std::to_string(missing.size()) + "語\n";
  for (const KeywordTally* tally : missing) {
    out += "  B" + std::to_string(tally->row) + "\t" + tally->keyword + "\n";
  }
  return out;
}

}  // namespace mirune
