#include "base/little_endian.h"

#include <gtest/gtest.h>

#include <string>

namespace mirune {
namespace {

TEST(LittleEndianTest, ReadsLowByteFirst) {
  const std::string b("\x01\x82\x03\xF4\x05\x06\x07\x88\x09", 9);
  EXPECT_EQ(ReadLe16(b, 0), 0x8201u);
  EXPECT_EQ(ReadLe16(b, 1), 0x0382u);  // unaligned
  EXPECT_EQ(ReadLe32(b, 0), 0xF4038201u);
  EXPECT_EQ(ReadLe64(b, 1), 0x0988070605F40382ull);
  const std::string one("\x00\x00\x00\x00\x00\x00\xF0\x3F", 8);
  EXPECT_EQ(ReadLeDouble(one, 0), 1.0);
}

TEST(LittleEndianTest, CheckedReadersStopAtTheEnd) {
  const std::string b("\x01\x02\x03\x04", 4);
  EXPECT_EQ(ReadLe16At(b, 2), 0x0403u);
  EXPECT_EQ(ReadLe16At(b, 3), std::nullopt);
  EXPECT_EQ(ReadLe32At(b, 0), 0x04030201u);
  EXPECT_EQ(ReadLe32At(b, 1), std::nullopt);
  EXPECT_EQ(ReadLe32At(b, SIZE_MAX), std::nullopt);  // no overflow of at + width
  EXPECT_EQ(ReadLe64At(b, 0), std::nullopt);
}

}  // namespace
}  // namespace mirune
