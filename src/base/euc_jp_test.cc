#include "base/euc_jp.h"

#include <gtest/gtest.h>

namespace mirune {
namespace {

struct EucCase {
  const char* name;
  std::string bytes;
  std::optional<std::string> expected;
};

TEST(EucJp, Decodes) {
  const EucCase cases[] = {
      {"ascii", "abc /x/", "abc /x/"},
      // Row 4 (hiragana), row 16 (the first kanji), row 48 and the last row of level 2.
      {"hiragana", "\xA4\xB7\xA4\xE7\xA4\xA6", "しょう"},
      {"level1 first", "\xB0\xA1", "亜"},
      {"odd and even rows", "\xC0\xB5\xC1\xD2\xB1\xA1", "正倉院"},
      {"level2 last", "\xF4\xA6", "熙"},
      {"NEC row 13", "\xAD\xA1", "①"},
      {"wave dash keeps its JIS meaning", "\xA1\xC1", "\u301C"},
      {"minus sign", "\xA1\xDD", "\u2212"},
      {"half-width katakana", "\x8E\xB1", "ｱ"},
      {"truncated", "\xB0", std::nullopt},
      {"bad trail", "\xB0\x41", std::nullopt},
      {"JIS X 0212 is not decoded", "\x8F\xB0\xA1", std::nullopt},
      {"unassigned code", "\xA9\xA1", std::nullopt},
  };
  for (const EucCase& c : cases) {
    EXPECT_EQ(DecodeEucJp(c.bytes), c.expected) << c.name;
  }
}

}  // namespace
}  // namespace mirune
