#pragma once

// A phonetic lookup for tests, benchmarks and the fuzz target: readings from a fixed table,
// word by word through the script divider; what the table lacks comes back as written
// (like a lookup that cannot read it). Counts its calls.

#include <map>
#include <string>
#include <string_view>
#include <utility>

#include "analysis/phonetic.h"

namespace mirune {

class FakePhonetic : public PhoneticLookup {
 public:
  using Table = std::map<std::string, std::string, std::less<>>;
  FakePhonetic() = default;
  explicit FakePhonetic(Table table) : table_(std::move(table)) {}

  Result<std::string> Phonetic(std::string_view text) override {
    ++calls;
    last_text = std::string(text);
    if (auto it = table_.find(text); it != table_.end()) return it->second;
    auto words = divider_.DivideWords(text);
    std::string out;
    for (const auto& w : *words) {
      auto it = table_.find(w);
      out += it == table_.end() ? w : it->second;
    }
    return out;
  }

  int calls = 0;
  std::string last_text;

 private:
  Table table_;
  ScriptWordDivider divider_;
};

}  // namespace mirune
