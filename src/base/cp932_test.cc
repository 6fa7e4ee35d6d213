#include "base/cp932.h"

#include <gtest/gtest.h>

// One table of cases for both builds: the POSIX build answers through iconv, the Windows
// build through WideCharToMultiByte, and the answers must agree with Windows'.

namespace mirune {
namespace {

constexpr uint16_t kNo = 0;  // marks "not representable" in the table

TEST(Cp932Test, CodesAgreeWithWindows) {
  struct Case {
    char32_t c;
    uint16_t code;
  } cases[] = {
      {U'A', 0x41},
      {U'\t', 0x09},
      {U'\r', 0x0D},
      {U'?', 0x3F},
      {U'ｱ', 0xB1},
      {U'ﾟ', 0xDF},
      {U'あ', 0x82A0},
      {U'ア', 0x8341},
      {U'ー', 0x815B},
      {U'々', 0x8158},
      {U'〇', 0x815A},
      {U'仝', 0x8157},
      {U'〆', 0x8159},
      {U'亜', 0x889F},
      {U'熙', 0xEAA4},
      {U'纊', 0xFA5C},  // NEC-selected IBM kanji encode to their IBM code, never ED40-EEFC
      {U'黑', 0xFC4B},
      {U'ヴ', 0x8394},
      {U'ヵ', 0x8395},
      {U'ヶ', 0x8396},
      {U'\u3000', 0x8140},
      {U'★', 0x819A},
      {U'◆', 0x819F},
      {U'♪', 0x81F4},
      {U'♭', 0x81F3},
      {U'♯', 0x81F2},
      {U'～', 0x8160},
      {U'－', 0x817C},
      {U'￥', 0x818F},
      {U'①', 0x8740},
      {U'髙', 0xFBFC},
      // Not in code page 932, or only by best fit.
      {U'〜', kNo},
      {U'—', kNo},
      {U'−', kNo},
      {U'\u00A5', kNo},
      {U'ゔ', kNo},
      {U'ゕ', kNo},
      {U'𠮷', kNo},
      {U'é', kNo},
      {U'鷗', kNo},
      {U'\u2016', kNo},
      {U'\u203E', kNo},
  };
  for (const auto& c : cases) {
    const auto code = Cp932Code(c.c);
    if (c.code == kNo) {
      EXPECT_FALSE(code.has_value()) << std::hex << static_cast<uint32_t>(c.c);
    } else {
      ASSERT_TRUE(code.has_value()) << std::hex << static_cast<uint32_t>(c.c);
      EXPECT_EQ(*code, c.code) << std::hex << static_cast<uint32_t>(c.c);
      EXPECT_EQ(Cp932Char(*code), c.c);
    }
  }
}

TEST(Cp932Test, EncodeReplacesWhatItCannotRepresent) {
  bool all = true;
  EXPECT_EQ(EncodeCp932("aあ𠮷", &all), "a\x82\xA0?");
  EXPECT_FALSE(all);
  EXPECT_EQ(EncodeCp932("索引\tｱ", &all), "\x8D\xF5\x88\xF8\t\xB1");
  EXPECT_TRUE(all);
}

TEST(Cp932Test, DecodeRoundTripsAndMarksBadBytes) {
  EXPECT_EQ(DecodeCp932("\x8D\xF5\x88\xF8\t\xB1"), "索引\tｱ");
  EXPECT_EQ(DecodeCp932("a\x82"), "a\xEF\xBF\xBD");  // truncated lead byte
  EXPECT_EQ(Cp932Char(0xED40), U'纊');               // the NEC-selected code of the same kanji
}

}  // namespace
}  // namespace mirune
