#include "base/text_encoding.h"

#include <gtest/gtest.h>

namespace mirune {
namespace {

TEST(TextEncodingTest, Utf16ByteOrders) {
  struct Case {
    std::string bytes;
    std::u16string want;
  } cases[] = {
      {std::string("\xFF\xFE<\0a\0", 6), u"<a"},
      {std::string("\xFE\xFF\0<\0a", 6), u"<a"},
      {std::string("<\0a\0", 4), u"<a"},                // no BOM, little-endian
      {std::string("\0<\0a", 4), u"<a"},                // no BOM, big-endian
      {std::string("\xFF\xFE\x22\x7D", 4), u"\u7D22"},  // 索
  };
  for (const auto& c : cases) {
    auto got = DecodeUtf16Text(c.bytes);
    ASSERT_TRUE(got.ok()) << got.message();
    EXPECT_EQ(*got, c.want);
  }
}

TEST(TextEncodingTest, RejectsWhatIsNotUtf16) {
  EXPECT_EQ(DecodeUtf16Text(std::string("\xFF\xFE<\0a", 5)).code(), ErrorCode::kFormatError);
  EXPECT_EQ(DecodeUtf16Text("\xEF\xBB\xBFplain").code(), ErrorCode::kFormatError);
  EXPECT_EQ(DecodeUtf16Text("plain ascii text").code(), ErrorCode::kFormatError);
}

TEST(TextEncodingTest, TextFiles) {
  EXPECT_EQ(*DecodeTextFile("\xEF\xBB\xBF索引"), "索引");
  EXPECT_EQ(*DecodeTextFile("索引"), "索引");
  EXPECT_EQ(*DecodeTextFile(std::string("\xFF\xFE\x22\x7D", 4)), "索");
  // Code page 932 (Razoza.txt as this program writes it) when the bytes are not UTF-8.
  EXPECT_EQ(*DecodeTextFile("\x8D\xF5\x88\xF8\t\x82\xB3\x82\xAD\x82\xA2\x82\xF1\t12\r\n"),
            "索引\tさくいん\t12\r\n");
  // Neither UTF-8 nor code page 932 (an unassigned lead byte, a cut double-byte character):
  // refused, not garbled.
  EXPECT_EQ(DecodeTextFile("\xA0\x41").code(), ErrorCode::kFormatError);
  EXPECT_EQ(DecodeTextFile("\x8D").code(), ErrorCode::kFormatError);
}

}  // namespace
}  // namespace mirune
