#include "analysis/char_class.h"

#include <gtest/gtest.h>

#include "base/utf.h"

// One table of cases for both builds: code page 932 comes from iconv in the Linux build and
// from WideCharToMultiByte in the Windows build, and the answers must be the same.

namespace mirune {
namespace {

TEST(CharClassTest, PadHex4) {
  struct Case {
    const char* in;
    const char* out;
  } cases[] = {{"D", "000D"},    {"3F", "003F"}, {"A0", "00A0"},    {"815", "0815"},
               {"889F", "889F"}, {"", ""},       {"12345", "12345"}};
  for (const auto& c : cases) EXPECT_EQ(PadHex4(c.in), c.out) << c.in;
}

TEST(CharClassTest, CodesKanjiAndRecheck) {
  struct Case {
    char32_t c;
    const char* code;
    bool kanji;
    bool recheck;
  } cases[] = {
      {U'\r', "000D", false, false},
      {U'A', "0041", false, false},
      {U'?', "003F", false, false},
      {U'ｱ', "00B1", false, false},
      {U'あ', "82A0", false, false},
      {U'ア', "8341", false, false},
      {U'ー', "815B", false, false},
      {U'仝', "8157", true, false},
      {U'々', "8158", true, false},
      {U'〆', "8159", true, false},
      {U'〇', "815A", true, false},
      {U'亜', "889F", true, true},
      {U'熙', "EAA4", true, true},
      {U'索', "8DF5", true, true},
      {U'纊', "FA5C", true, true},
      {U'黑', "FC4B", true, true},
      {U'ⅰ', "FA40", false, false},
      {U'①', "8740", false, false},
      // Outside code page 932: the default character's code; a kanji is a kanji all the same.
      {U'鷗', "003F", true, true},
      {U'𠮷', "003F", true, true},
      {U'\U0002A6B2', "003F", true, true},
      {U'\uF900', "003F", true, true},
      {U'\u3400', "003F", true, true},
      {U'〜', "003F", false, false},
      {U'é', "003F", false, false},
      {U'한', "003F", false, false},
  };
  for (const auto& c : cases) {
    EXPECT_EQ(CharacterCodeText(c.c), c.code) << static_cast<uint32_t>(c.c);
    EXPECT_EQ(CountsAsKanji(c.c), c.kanji) << static_cast<uint32_t>(c.c);
    EXPECT_EQ(NeedsRecheck(c.c), c.recheck) << static_cast<uint32_t>(c.c);
  }
}

TEST(CharClassTest, ToHiragana) {
  struct Case {
    const char* in;
    const char* out;
  } cases[] = {
      {"データ", "でーた"},
      {"ァアィイヵヶヴヽヾン", "ぁあぃいヵヶヴゝゞん"},
      {"ｶﾀｶﾅ", "ｶﾀｶﾅ"},
      {"InDesign 2024", "InDesign 2024"},
      {"漢字カナ", "漢字かな"},
      {"・ー", "・ー"},
      // Beyond code page 932: kept as written, never "?".
      {"鷗外", "鷗外"},
      {"𠮷野家", "𠮷野家"},
      {"〜", "〜"},
      {"Lösung", "Lösung"},
      {"ヴェ𠮷", "ヴぇ𠮷"},
      {"♯♪\t\v", "♯♪\t\v"},
      {"", ""},
  };
  for (const auto& c : cases) EXPECT_EQ(ToHiragana(c.in), c.out) << c.in;
}

}  // namespace
}  // namespace mirune
