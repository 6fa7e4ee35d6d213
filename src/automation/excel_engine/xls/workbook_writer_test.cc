// The record layer of written workbooks, read back by a small independent decoder: record
// sizes, the shared string table across CONTINUE records, and its EXTSST index.

#include "automation/excel_engine/xls/workbook_writer.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "automation/excel_engine/memory_workbook.h"
#include "automation/excel_engine/xls/sst_writer.h"
#include "base/little_endian.h"
#include "base/utf.h"

namespace mirune::xls {
namespace {

struct RawRecord {
  uint16_t type;
  size_t start;  // stream position of the 4-byte header
  std::string data;
};

std::vector<RawRecord> Records(const std::string& stream) {
  std::vector<RawRecord> out;
  size_t pos = 0;
  while (pos + 4 <= stream.size()) {
    const uint16_t type = ReadLe16(stream, pos);
    const uint16_t length = ReadLe16(stream, pos + 2);
    out.push_back({type, pos, stream.substr(pos + 4, length)});
    pos += 4 + length;
    if (type == 0x000A && out.size() > 1 && pos >= stream.size()) break;
  }
  return out;
}

// Decodes the SST and its CONTINUE records the way Excel reads them.
struct DecodedSst {
  uint32_t total = 0;
  std::vector<std::u16string> strings;
  std::vector<size_t> positions;       // stream position of each string's header
  std::vector<size_t> record_offsets;  // its offset in its record, header included
  bool header_split = false;           // a string header or first character split off
};

DecodedSst DecodeSst(const std::vector<RawRecord>& records) {
  DecodedSst sst;
  size_t r = 0;
  while (records[r].type != 0x00FC) ++r;
  sst.total = ReadLe32(records[r].data, 0);
  const uint32_t unique = ReadLe32(records[r].data, 4);
  size_t at = 8;
  for (uint32_t i = 0; i < unique; ++i) {
    if (at == records[r].data.size()) {
      ++r;
      at = 0;
    }
    const std::string* data = &records[r].data;
    sst.positions.push_back(records[r].start + 4 + at);
    sst.record_offsets.push_back(4 + at);
    if (at + 3 > data->size()) sst.header_split = true;
    const uint16_t count = ReadLe16(*data, at);
    bool wide = ((*data)[at + 2] & 1) != 0;
    at += 3;
    if (at + (wide ? 2 : 1) > data->size()) sst.header_split = true;
    std::u16string s;
    while (s.size() < count) {
      if (at == data->size()) {
        ++r;
        data = &records[r].data;
        EXPECT_EQ(records[r].type, 0x003C);
        wide = ((*data)[0] & 1) != 0;
        at = 1;
      }
      if (wide) {
        s.push_back(ReadLe16(*data, at));
        at += 2;
      } else {
        s.push_back(static_cast<uint8_t>((*data)[at]));
        at += 1;
      }
    }
    sst.strings.push_back(std::move(s));
  }
  return sst;
}

std::string StreamOf(MemoryWorkbook& book) {
  auto stream = WriteWorkbookStream(book.model());
  EXPECT_TRUE(stream.ok()) << stream.message();
  return stream.ok() ? *stream : std::string();
}

// A long text of `n` copies of a character.
std::string Repeat(std::string_view c, int n) {
  std::string s;
  for (int i = 0; i < n; ++i) s += c;
  return s;
}

TEST(WorkbookWriterTest, SharedStringsSurviveContinueRecords) {
  MemoryWorkbook book;
  std::vector<std::string> texts = {
      Repeat("a", 9000),                            // compressed, two records
      Repeat("索", 5000),                           // UTF-16, two records
      Repeat("𠮷", 4500),                           // surrogate pairs across a boundary
      std::string("x").append(Repeat("𩸽", 4111)),  // an odd start so a pair would straddle
      Repeat("かな", 7000),                         // three records
      "短い",
      "ascii then 漢字",
  };
  // Many short strings of varying length so that boundaries fall at every offset.
  for (int i = 0; i < 3000; ++i) texts.push_back(Repeat("𠀋", i % 7 + 1) + std::to_string(i));
  for (size_t i = 0; i < texts.size(); ++i) {
    ASSERT_TRUE(book.SetCell(1, static_cast<int>(i + 1), 1, CellValue::Text(texts[i])).ok());
  }
  ASSERT_TRUE(book.SetCell(1, 1, 2, CellValue::Text(texts[0])).ok());  // a repeat: total + 1
  ASSERT_TRUE(book.SetCell(1, 2, 2, CellValue::Text("")).ok());        // never in the table

  const std::string stream = StreamOf(book);
  const auto records = Records(stream);
  for (const RawRecord& r : records) EXPECT_LE(r.data.size(), kMaxRecordData);
  const DecodedSst sst = DecodeSst(records);
  EXPECT_FALSE(sst.header_split);
  EXPECT_EQ(sst.total, texts.size() + 1);
  ASSERT_EQ(sst.strings.size(), texts.size());
  for (size_t i = 0; i < texts.size(); ++i) {
    EXPECT_EQ(Utf16ToUtf8(sst.strings[i]), texts[i]) << "string " << i;
  }

  // EXTSST: one entry per bucket, pointing at the bucket's first string.
  size_t e = 0;
  while (records[e].type != 0x00FF) ++e;
  const std::string& ext = records[e].data;
  const uint16_t bucket = ReadLe16(ext, 0);
  EXPECT_EQ(bucket, ExtSstBucketSize(texts.size()));
  const size_t entries = (ext.size() - 2) / 8;
  ASSERT_EQ(entries, (texts.size() + bucket - 1) / bucket);
  for (size_t k = 0; k < entries; ++k) {
    EXPECT_EQ(ReadLe32(ext, 2 + 8 * k), sst.positions[k * bucket]) << k;
    EXPECT_EQ(ReadLe16(ext, 6 + 8 * k), sst.record_offsets[k * bucket]) << k;
  }
}

TEST(WorkbookWriterTest, EmptyWorkbookHasNoEmptyString) {
  MemoryWorkbook book;
  ASSERT_TRUE(book.SetCell(1, 1, 1, CellValue::Text("")).ok());
  const DecodedSst sst = DecodeSst(Records(StreamOf(book)));
  EXPECT_EQ(sst.total, 0u);
  EXPECT_TRUE(sst.strings.empty());
}

TEST(WorkbookWriterTest, BoundSheetOffsetsPointAtEachSheetsBof) {
  MemoryWorkbook book;
  ASSERT_TRUE(book.AddSheet("二").ok());
  ASSERT_TRUE(book.AddSheet("three").ok());
  ASSERT_TRUE(book.SetCell(2, 3, 3, CellValue::Number(7)).ok());
  const std::string stream = StreamOf(book);
  int sheets = 0;
  for (const RawRecord& r : Records(stream)) {
    if (r.type != 0x0085) continue;
    const uint32_t at = ReadLe32(r.data, 0);
    ASSERT_LT(at + 8, stream.size());
    EXPECT_EQ(ReadLe16(stream, at), 0x0809);
    EXPECT_EQ(ReadLe16(stream, at + 6), 0x0010);  // a worksheet's BOF
    ++sheets;
  }
  EXPECT_EQ(sheets, 3);
}

TEST(WorkbookWriterTest, OverlongTextIsRefused) {
  MemoryWorkbook book;
  ASSERT_TRUE(book.SetCell(1, 1, 1, CellValue::Text(std::string(32768, 'a'))).ok());
  EXPECT_EQ(WriteXlsWorkbook(book.model()).code(), ErrorCode::kOverflow);
  ASSERT_TRUE(book.SetCell(1, 1, 1, CellValue::Text(std::string(32767, 'a'))).ok());
  EXPECT_TRUE(WriteXlsWorkbook(book.model()).ok());
}

}  // namespace
}  // namespace mirune::xls
