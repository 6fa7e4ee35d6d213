#include "base/utf.h"

#include <gtest/gtest.h>

namespace mirune {
namespace {

TEST(UtfTest, RoundTripsAcrossPlanes) {
  const std::string text = "A索引\t♪♭◆𠮷ｶﾅ";
  const std::u16string u16 = Utf8ToUtf16(text);
  EXPECT_EQ(u16.size(), 11u);  // 𠮷 is a surrogate pair
  EXPECT_EQ(Utf16ToUtf8(u16), text);
  EXPECT_EQ(Utf32ToUtf8(Utf8ToUtf32(text)), text);
  EXPECT_EQ(Utf16Length(text), 11u);
}

TEST(UtfTest, IllFormedInputBecomesReplacementCharacter) {
  struct Case {
    std::string in;
    std::u32string want;
  } cases[] = {
      {"\xFF", U"\uFFFD"},
      {"a\xE3\x81", U"a\uFFFD"},        // truncated sequence
      {"\xC0\xAF", U"\uFFFD\uFFFD"},    // overlong
      {"\xED\xA0\x80", U"\uFFFD"},      // encoded surrogate
      {"\xF4\x90\x80\x80", U"\uFFFD"},  // past U+10FFFF
  };
  for (const auto& c : cases) {
    EXPECT_EQ(Utf8ToUtf32(c.in), c.want) << c.in;
    EXPECT_FALSE(IsValidUtf8(c.in));
  }
  EXPECT_TRUE(IsValidUtf8("\xEF\xBF\xBD"));
}

TEST(UtfTest, LoneSurrogatesInUtf16BecomeReplacementCharacter) {
  EXPECT_EQ(Utf16ToUtf8(std::u16string(1, u'\xD800')), "\xEF\xBF\xBD");
  EXPECT_EQ(Utf16ToUtf8(std::u16string(1, u'\xDC00') + u"a"),
            "\xEF\xBF\xBD"
            "a");
}

}  // namespace
}  // namespace mirune
