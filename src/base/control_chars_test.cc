#include "base/control_chars.h"

#include <gtest/gtest.h>

#include <string>

namespace mirune {
namespace {

using namespace std::string_literals;

struct Case {
  std::string in;
  std::string out;
};

TEST(ControlCharsTest, RemovesTheRuledControlsFromUtf8) {
  const Case cases[] = {
      {"和\0紙"s, "和紙"},
      {"\x1b[31m赤\x1b[0m", "[31m赤[0m"},
      {"a\x01\x08\x0b\x0c\x0e\x1f\x7f"
       "b",
       "ab"},
      {"tab\tcr\rlf\n", "tab\tcr\rlf\n"},
      {"\xc2\x80x\xc2\x9f", "x"},                // C1 controls
      {"\xc2\xa0\xc2\xa9", "\xc2\xa0\xc2\xa9"},  // NBSP and © stay
      {"\xc2", "\xc2"},                          // a cut-off sequence stays as it was
      {"\xff\x00\xfe"s, "\xff\xfe"},             // not UTF-8: only the control goes
      {"", ""},
  };
  for (const Case& c : cases) {
    EXPECT_EQ(RemoveControlChars(c.in), c.out) << c.in;
  }
}

TEST(ControlCharsTest, RemovesTheRuledControlsFromUtf16) {
  const std::u16string in = u"和\0紙\u001b\u0085\u009f\u00a0\t\r\n\u007f"s;
  EXPECT_EQ(RemoveControlChars(in), u"和紙\u00a0\t\r\n");
}

TEST(ControlCharsTest, InPlaceSaysWhetherAnythingWentAway) {
  std::string a = "abc";
  EXPECT_FALSE(StripControlChars(a));
  std::string b =
      "a\x07"
      "c";
  EXPECT_TRUE(StripControlChars(b));
  EXPECT_EQ(b, "ac");
  std::u16string c = u"x\u0000"s;
  EXPECT_TRUE(StripControlChars(c));
  EXPECT_EQ(c, u"x");
}

TEST(ControlCharsTest, TheRuleCoversC0DelAndC1Only) {
  for (char32_t c = 0; c < 0x200; ++c) {
    const bool expected =
        (c < 0x20 && c != 9 && c != 10 && c != 13) || c == 0x7F || (c >= 0x80 && c <= 0x9F);
    EXPECT_EQ(IsRemovedControl(c), expected) << static_cast<unsigned>(c);
  }
  EXPECT_FALSE(IsRemovedControl(0x3000));
  EXPECT_FALSE(IsRemovedControl(0xFEFF));
}

}  // namespace
}  // namespace mirune
