// The committed development sets of readings (tests/data/readings/) hold what their maker
// promises: the counts, distinct terms with kanji, mostly 2-4 characters, and readings in
// hiragana that could begin a word.

#include <gtest/gtest.h>

#include <set>
#include <string>

#include "analysis/char_class.h"
#include "base/file.h"
#include "base/utf.h"
#include "tools/reading_set.h"

namespace mirune::tools {
namespace {

bool IsReadingChar(char32_t c) { return (c >= U'ぁ' && c <= U'ゖ') || c == U'ー'; }

// Small kana and the long-vowel mark never begin a word.
bool CanBeginReading(char32_t c) {
  return std::u32string_view(U"ぁぃぅぇぉっゃゅょゎゕゖー").find(c) == std::u32string_view::npos;
}

struct SetCase {
  const char* file;
  size_t count;
  size_t min_short;  // terms of 2-4 characters
};

class DevSetTest : public testing::TestWithParam<SetCase> {};

TEST_P(DevSetTest, HoldsWhatItsMakerPromises) {
  const SetCase& c = GetParam();
  const std::string path = std::string(MIRUNE_SOURCE_DIR "/tests/data/readings/") + c.file;
  auto bytes = ReadFileBytes(path);
  ASSERT_TRUE(bytes.ok()) << bytes.message();
  auto set = ParseReadingSet(*bytes, path);
  ASSERT_TRUE(set.ok()) << set.message();
  ASSERT_EQ(set->size(), c.count);
  std::set<std::string> terms;
  size_t short_terms = 0;
  for (const ReadingSetEntry& entry : *set) {
    EXPECT_TRUE(terms.insert(entry.term).second) << "twice: " << entry.term;
    const std::u32string term = Utf8ToUtf32(entry.term);
    bool has_kanji = false;
    for (char32_t ch : term) has_kanji = has_kanji || CountsAsKanji(ch);
    EXPECT_TRUE(has_kanji) << entry.term;
    if (term.size() >= 2 && term.size() <= 4) ++short_terms;
    for (const std::string& reading : entry.readings) {
      const std::u32string r = Utf8ToUtf32(reading);
      EXPECT_TRUE(CanBeginReading(r[0])) << entry.term << " " << reading;
      for (char32_t ch : r) EXPECT_TRUE(IsReadingChar(ch)) << entry.term << " " << reading;
    }
  }
  EXPECT_GE(short_terms, c.min_short);
}

INSTANTIATE_TEST_SUITE_P(Sets, DevSetTest,
                         testing::Values(SetCase{"dev_nouns.tsv", 5000, 4500},
                                         SetCase{"dev_names.tsv", 1000, 900}));

}  // namespace
}  // namespace mirune::tools
