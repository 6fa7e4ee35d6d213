// The compound file read back by a small independent reader that follows the header's
// DIFAT, the DIFAT sector chain and the FAT.

#include "automation/excel_engine/xls/cfb_writer.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "base/little_endian.h"

namespace mirune::xls {
namespace {

struct ReadBack {
  std::string stream;
  uint32_t fat_sectors = 0;
  uint32_t difat_sectors = 0;
  std::string error;
};

ReadBack ReadWorkbookStream(const std::string& file) {
  ReadBack out;
  auto sector = [&](uint32_t s) { return static_cast<size_t>(s + 1) * 512; };
  if (file.size() % 512 != 0 || ReadLe32(file, 0) != 0xE011CFD0u) {
    out.error = "bad header";
    return out;
  }
  out.fat_sectors = ReadLe32(file, 44);
  out.difat_sectors = ReadLe32(file, 72);
  std::vector<uint32_t> fat_sectors;
  for (int i = 0; i < 109 && fat_sectors.size() < out.fat_sectors; ++i) {
    fat_sectors.push_back(ReadLe32(file, 76 + 4 * i));
  }
  uint32_t difat = ReadLe32(file, 68);
  for (uint32_t d = 0; d < out.difat_sectors; ++d) {
    for (int k = 0; k < 127 && fat_sectors.size() < out.fat_sectors; ++k) {
      fat_sectors.push_back(ReadLe32(file, sector(difat) + 4 * k));
    }
    difat = ReadLe32(file, sector(difat) + 4 * 127);
  }
  std::vector<uint32_t> fat;
  for (uint32_t s : fat_sectors) {
    for (int k = 0; k < 128; ++k) fat.push_back(ReadLe32(file, sector(s) + 4 * k));
  }
  const size_t dir = sector(ReadLe32(file, 48));
  const uint32_t start = ReadLe32(file, dir + 128 + 116);
  const uint32_t size = ReadLe32(file, dir + 128 + 120);
  for (uint32_t s = start; s != 0xFFFFFFFEu; s = fat.at(s)) {
    out.stream += file.substr(sector(s), 512);
    if (out.stream.size() > file.size()) {
      out.error = "chain loops";
      return out;
    }
  }
  out.stream.resize(size);
  return out;
}

TEST(CfbWriterTest, SmallStreamIsPaddedToTheMiniStreamCutoff) {
  const std::string stream = "BIFF records";
  const std::string file = WrapInCompoundFile(stream);
  const ReadBack back = ReadWorkbookStream(file);
  ASSERT_EQ(back.error, "");
  ASSERT_EQ(back.stream.size(), 4096u);
  EXPECT_EQ(back.stream.substr(0, stream.size()), stream);
  EXPECT_EQ(back.stream.find_first_not_of('\0', stream.size()), std::string::npos);
  EXPECT_EQ(back.difat_sectors, 0u);
}

TEST(CfbWriterTest, StreamSizesAroundTheDifatThreshold) {
  // 109 FAT sectors map 109 * 128 sectors; past that the FAT continues through DIFAT sectors.
  const size_t sizes[] = {4097, 512 * 1000 + 3, 109 * 128 * 512 - 512 * 120, 109 * 128 * 512 + 1,
                          20 * 1024 * 1024 + 77};
  for (size_t size : sizes) {
    std::string stream(size, '\0');
    for (size_t i = 0; i < size; ++i) stream[i] = static_cast<char>((i * 7 + i / 511) & 0xFF);
    const std::string file = WrapInCompoundFile(stream);
    const ReadBack back = ReadWorkbookStream(file);
    ASSERT_EQ(back.error, "") << size;
    EXPECT_TRUE(back.stream == stream) << size;
    EXPECT_EQ(back.difat_sectors > 0, back.fat_sectors > 109) << size;
    // Every sector of the file is covered by the FAT.
    EXPECT_GE(back.fat_sectors * 128u, file.size() / 512 - 1) << size;
  }
}

}  // namespace
}  // namespace mirune::xls
