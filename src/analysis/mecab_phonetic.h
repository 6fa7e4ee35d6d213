#pragma once

// Readings and word division by MeCab with the IPA dictionary (mecab-ipadic-utf8). A word's
// reading is the dictionary's 読み field (feature index 7); a word the dictionary does not
// know keeps its written form. One MeCab parse of a term serves both its division and the
// lookups of its words. MeCab is kept from ending the process: every return is checked,
// inputs are cut into pieces MeCab handles, and a missing or unusable dictionary is an
// error naming the file.

#include <memory>
#include <string>
#include <string_view>
#include <vector>

#include "analysis/phonetic.h"

namespace mirune {

class MecabReadings : public ReadingService {
 public:
  static Result<std::unique_ptr<MecabReadings>> Open(const ReadingServiceOptions& options);
  ~MecabReadings() override;

  Result<std::string> Phonetic(std::string_view text) override;
  Result<std::vector<std::string>> DivideWords(std::string_view text) override;
  // A word of the last division that the user dictionary (--user-dic) gave: its entry is not
  // the system dictionary's (checked against the system dictionary alone).
  bool FromUserDictionary(std::string_view word) const override;

 private:
  struct Impl;
  explicit MecabReadings(std::unique_ptr<Impl> impl);
  std::unique_ptr<Impl> impl_;
};

}  // namespace mirune
