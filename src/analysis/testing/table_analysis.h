#pragma once

// A morpheme analysis for tests, from a table: term → (morpheme, reading) pairs in katakana;
// a term the table lacks is divided by script (ScriptWordDivider) and read as written. Put
// under a ReadingResolver it stands for MeCab.

#include <map>
#include <string>
#include <string_view>
#include <utility>
#include <vector>

#include "analysis/phonetic.h"

namespace mirune::testing {

class TableAnalysis : public ReadingService {
 public:
  using Table =
      std::map<std::string, std::vector<std::pair<std::string, std::string>>, std::less<>>;
  explicit TableAnalysis(Table table) : table_(std::move(table)) {}

  Result<std::vector<std::string>> DivideWords(std::string_view text) override {
    last_.clear();
    if (auto it = table_.find(text); it != table_.end()) {
      last_ = it->second;
    } else {
      for (const std::string& w : *ScriptWordDivider().DivideWords(text)) {
        auto known = table_.find(w);
        last_.emplace_back(
            w, known != table_.end() && known->second.size() == 1 ? known->second[0].second : w);
      }
    }
    std::vector<std::string> words;
    for (const auto& [w, r] : last_) words.push_back(w);
    return words;
  }
  Result<std::string> Phonetic(std::string_view text) override {
    for (const auto& [w, r] : last_) {
      if (w == text) return r;
    }
    return std::string(text);
  }

 private:
  Table table_;
  std::vector<std::pair<std::string, std::string>> last_;
};

}  // namespace mirune::testing
