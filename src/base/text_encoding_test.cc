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
  EXPECT_FALSE(DecodeTextFile("\x8D\xF5").ok());  // Shift-JIS is refused, not garbled
}

}  // namespace
}  // namespace mirune
