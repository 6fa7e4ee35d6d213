// The collation measured against ICU's "ja" collator (the order the index sort followed
// before it had a rule of its own) on many generated readings. ICU serves only this test.

#include <unicode/ucol.h>

#include <gtest/gtest.h>

#include <iterator>
#include <memory>
#include <random>
#include <string>
#include <string_view>
#include <vector>

#include "automation/excel_engine/ja_collator.h"
#include "base/utf.h"

namespace mirune {
namespace {

struct CollatorCloser {
  void operator()(UCollator* c) const { ucol_close(c); }
};

int IcuCompare(UCollator* c, const std::string& a, const std::string& b) {
  UErrorCode status = U_ZERO_ERROR;
  const int r = ucol_strcollUTF8(c, a.data(), static_cast<int32_t>(a.size()), b.data(),
                                 static_cast<int32_t>(b.size()), &status);
  return r < 0 ? -1 : (r > 0 ? 1 : 0);
}

// Readings of one to five characters: every hiragana, katakana of the same letters, the
// long-vowel mark, small kana, and a few digits, Latin letters, symbols and kanji.
std::vector<std::u32string> GeneratedReadings(size_t count) {
  std::u32string alphabet;
  for (char32_t c = 0x3041; c <= 0x3094; ++c) alphabet.push_back(c);
  alphabet += U"アカガキャッパヴーーーー1２aBｚ-・亜漢腕弌ゝゞｶﾞｰ";
  std::mt19937 random(7);
  std::vector<std::u32string> texts;
  for (size_t i = 0; i < count; ++i) {
    const size_t length = 1 + random() % 5;
    std::u32string text;
    for (size_t k = 0; k < length; ++k) text.push_back(alphabet[random() % alphabet.size()]);
    texts.push_back(text);
  }
  return texts;
}

// Where the rule decides otherwise than ICU, on purpose. A pair whose texts hold one of these
// may differ; every entry must be met by at least one differing pair.
struct ExpectedDifference {
  const char* part;
  const char* why;
};
const ExpectedDifference kExpectedDifferences[] = {
    {"ーー", "a second ー continues the vowel; ICU takes it for a ー on its own"},
    {"ｰ", "half-width ｰ after a kana stands for its vowel as ー does; ICU: a ー on its own"},
    {"ﾞ",
     "ﾞ joins the kana before it (ｶﾞ as が) and is a symbol elsewhere; ICU keeps ｶﾞ after "
     "が and ignores a lone ﾞ at the first level"},
    {"ゝ", "ゝ repeats any kana before it; ICU: not after katakana nor after a voiced kana"},
    {"ゞ", "ゞ likewise"},
};

TEST(JaCollatorIcuTest, AgreesWithIcuJaWhereIcuTellsTextsApart) {
  UErrorCode status = U_ZERO_ERROR;
  std::unique_ptr<UCollator, CollatorCloser> icu(ucol_open("ja", &status));
  ASSERT_TRUE(U_SUCCESS(status)) << u_errorName(status);
  const std::vector<std::u32string> texts = GeneratedReadings(4000);
  std::mt19937 random(11);
  int compared = 0;
  std::vector<std::string> differences;
  std::vector<int> expected_differences(std::size(kExpectedDifferences));
  for (int i = 0; i < 200000; ++i) {
    const std::u32string& a32 = texts[random() % texts.size()];
    // Half of the pairs share a beginning, so that later levels and marks get to decide.
    std::u32string b32 = texts[random() % texts.size()];
    if (i % 2 == 0) b32 = a32.substr(0, a32.size() / 2) + b32;
    const std::string a = Utf32ToUtf8(a32), b = Utf32ToUtf8(b32);
    const int expected = IcuCompare(icu.get(), a, b);
    // ICU's default strength leaves hiragana/katakana and width apart; the rule orders them.
    if (expected == 0) continue;
    ++compared;
    if (JaCompare(a, b) == expected) continue;
    bool explained = false;
    for (size_t k = 0; k < std::size(kExpectedDifferences) && !explained; ++k) {
      const std::string_view part = kExpectedDifferences[k].part;
      if (a.find(part) != std::string::npos || b.find(part) != std::string::npos) {
        ++expected_differences[k];
        explained = true;
      }
    }
    if (!explained && differences.size() < 40) {
      differences.push_back(a + (expected < 0 ? " < " : " > ") + b);
    }
  }
  EXPECT_GT(compared, 150000);
  std::string listed;
  for (const std::string& d : differences) listed += "\n  ICU: " + d;
  EXPECT_TRUE(differences.empty()) << differences.size() << " differences:" << listed;
  for (size_t k = 0; k < std::size(kExpectedDifferences); ++k) {
    EXPECT_GT(expected_differences[k], 0) << "no longer differs: " << kExpectedDifferences[k].part
                                          << " (" << kExpectedDifferences[k].why << ")";
  }
}

}  // namespace
}  // namespace mirune
