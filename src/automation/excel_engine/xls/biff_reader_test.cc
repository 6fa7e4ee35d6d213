// The engine's own .xls reader on what Excel writes that the engine's writer does not
// (rich-text and phonetic runs, LABEL, MULRK, formulas, the mini stream) and on damage.

#include "automation/excel_engine/xls/biff_reader.h"
#include "automation/excel_engine/xls/xls_reader.h"

#include <gtest/gtest.h>

#include <string>

#include "automation/excel_engine/memory_workbook.h"
#include "automation/excel_engine/xls/biff_stream.h"
#include "automation/excel_engine/xls/cfb_writer.h"
#include "automation/excel_engine/xls/workbook_writer.h"
#include "base/utf.h"

namespace mirune::xls {
namespace {

void Bof(BiffWriter& w, uint16_t kind) {
  w.BeginRecord(record::kBof);
  w.U16(0x0600);
  w.U16(kind);
  w.Zeros(12);
  w.EndRecord();
}

void Eof(BiffWriter& w) {
  w.BeginRecord(record::kEof);
  w.EndRecord();
}

void Units(BiffWriter& w, std::u16string_view s, bool wide) { w.Units(s.data(), s.size(), !wide); }

// A workbook stream as Japanese Excel writes one: SST strings with rich-text runs and
// phonetic data crossing a CONTINUE, LABEL, MULRK, a formula with a text result.
std::string ExcelLikeStream() {
  BiffWriter w;
  Bof(w, 0x0005);
  for (int i = 0; i < 16; ++i) w.Record(record::kXf, std::string(20, '\0'));
  w.BeginRecord(record::kBoundSheet);
  const size_t offset_at = w.position();
  w.U32(0);
  w.U8(0);
  w.U8(0);
  w.U8(6);
  w.U8(0);
  w.Bytes("Sheet1");
  w.EndRecord();

  w.BeginRecord(record::kSst);
  w.U32(3);
  w.U32(2);
  // String 0: "索引" with one rich-text run and 10 bytes of phonetic data.
  const std::u16string s0 = u"索引";
  w.U16(static_cast<uint16_t>(s0.size()));
  w.U8(0x01 | 0x04 | 0x08);
  w.U16(1);   // runs
  w.U32(10);  // phonetic bytes
  Units(w, s0, true);
  w.U32(0x00050000);  // the run: character 0, font 5
  w.Bytes(std::string(4, 'P'));
  w.EndRecord();
  // The rest of the phonetic data goes on in a CONTINUE without a flags byte.
  w.BeginRecord(record::kContinue);
  w.Bytes(std::string(6, 'Q'));
  // String 1: "かな文字" whose characters cross into the next CONTINUE, stored compressed
  // ("ab") and then wide.
  w.U16(4);
  w.U8(0x00);
  w.Bytes("ab");
  w.EndRecord();
  w.BeginRecord(record::kContinue);
  w.U8(0x01);
  Units(w, u"文字", true);
  w.EndRecord();
  Eof(w);

  w.PatchU32(offset_at, static_cast<uint32_t>(w.position()));
  Bof(w, 0x0010);
  w.BeginRecord(record::kLabelSst);  // A1 = string 0
  w.U16(0);
  w.U16(0);
  w.U16(15);
  w.U32(0);
  w.EndRecord();
  w.BeginRecord(record::kLabelSst);  // B1 = string 1
  w.U16(0);
  w.U16(1);
  w.U16(15);
  w.U32(1);
  w.EndRecord();
  w.BeginRecord(0x0204);  // LABEL A2 "ラベル"
  w.U16(1);
  w.U16(0);
  w.U16(15);
  w.U16(3);
  w.U8(1);
  Units(w, u"ラベル", true);
  w.EndRecord();
  w.BeginRecord(0x00BD);  // MULRK B3:C3 = 12, 1.5 (x100 flag)
  w.U16(2);
  w.U16(1);
  w.U16(15);
  w.U32((12u << 2) | 2u);
  w.U16(15);
  w.U32((150u << 2) | 3u);
  w.U16(2);
  w.EndRecord();
  w.BeginRecord(0x0006);  // FORMULA D1 with a text result in the STRING record that follows
  w.U16(0);
  w.U16(3);
  w.U16(15);
  w.U8(0);
  w.U8(0);
  w.U8(0);
  w.U8(0);
  w.U8(0);
  w.U8(0);
  w.U16(0xFFFF);
  w.Zeros(6);
  w.EndRecord();
  w.BeginRecord(0x0207);
  w.U16(2);
  w.U8(0);
  w.Bytes("ok");
  w.EndRecord();
  // An embedded chart substream is passed over.
  Bof(w, 0x0020);
  w.BeginRecord(record::kLabelSst);
  w.U16(9);
  w.U16(9);
  w.U16(15);
  w.U32(0);
  w.EndRecord();
  Eof(w);
  Eof(w);
  return w.bytes();
}

TEST(BiffReaderTest, ReadsWhatExcelWrites) {
  auto model = ParseXlsBytes(WrapInCompoundFile(ExcelLikeStream()));
  ASSERT_TRUE(model.ok()) << model.message();
  MemoryWorkbook book(std::move(*model));
  ASSERT_EQ(book.SheetCount(), 1);
  EXPECT_EQ(*book.SheetName(1), "Sheet1");
  EXPECT_EQ(*book.GetCell(1, 1, 1), CellValue::Text("索引"));
  EXPECT_EQ(*book.GetCell(1, 1, 2), CellValue::Text("ab文字"));
  EXPECT_EQ(*book.GetCell(1, 2, 1), CellValue::Text("ラベル"));
  EXPECT_EQ(*book.GetCell(1, 3, 2), CellValue::Number(12));
  EXPECT_EQ(*book.GetCell(1, 3, 3), CellValue::Number(1.5));
  EXPECT_EQ(*book.GetCell(1, 1, 4), CellValue::Text("ok"));
  EXPECT_EQ(*book.LastFilledRow(1), 3);  // nothing from the chart
}

// A small workbook kept in the compound file's mini stream, as LibreOffice saves one.
std::string MiniStreamFile(const std::string& stream) {
  // Header, directory, FAT, mini FAT, then the mini stream's container sectors.
  const size_t container = (stream.size() + 511) / 512;
  std::string f(512 * (4 + container), '\0');
  auto put32 = [&f](size_t at, uint32_t v) {
    for (int i = 0; i < 4; ++i) f[at + i] = static_cast<char>((v >> (8 * i)) & 0xFF);
  };
  auto put16 = [&f](size_t at, uint16_t v) {
    f[at] = static_cast<char>(v & 0xFF);
    f[at + 1] = static_cast<char>(v >> 8);
  };
  const unsigned char sig[8] = {0xD0, 0xCF, 0x11, 0xE0, 0xA1, 0xB1, 0x1A, 0xE1};
  for (int i = 0; i < 8; ++i) f[i] = static_cast<char>(sig[i]);
  put16(24, 0x3E);
  put16(26, 3);
  put16(28, 0xFFFE);
  put16(30, 9);
  put16(32, 6);
  put32(44, 1);  // one FAT sector: sector 1
  put32(48, 0);  // directory: sector 0
  put32(56, 4096);
  put32(60, 2);  // mini FAT: sector 2
  put32(64, 1);
  put32(68, 0xFFFFFFFE);
  put32(76, 1);
  for (int i = 1; i < 109; ++i) put32(76 + 4 * i, 0xFFFFFFFF);
  // Directory (sector 0 at 512): root with the mini stream in sector 3, then "Workbook".
  auto entry = [&](size_t at, std::u16string_view name, uint8_t type, uint32_t child,
                   uint32_t start, uint32_t size) {
    for (size_t i = 0; i < name.size(); ++i) put16(at + 2 * i, name[i]);
    put16(at + 64, static_cast<uint16_t>((name.size() + 1) * 2));
    f[at + 66] = static_cast<char>(type);
    f[at + 67] = 1;
    put32(at + 68, 0xFFFFFFFF);
    put32(at + 72, 0xFFFFFFFF);
    put32(at + 76, child);
    put32(at + 116, start);
    put32(at + 120, size);
  };
  entry(512, u"Root Entry", 5, 1, 3, static_cast<uint32_t>(container * 512));
  entry(512 + 128, u"Workbook", 2, 0xFFFFFFFF, 0, static_cast<uint32_t>(stream.size()));
  // FAT (sector 1 at 1024).
  for (size_t i = 0; i < 128; ++i) {
    uint32_t v = 0xFFFFFFFF;
    if (i == 0 || i == 2) v = 0xFFFFFFFE;
    if (i == 1) v = 0xFFFFFFFD;
    if (i >= 3 && i < 3 + container) {
      v = i + 1 < 3 + container ? static_cast<uint32_t>(i + 1) : 0xFFFFFFFE;
    }
    put32(1024 + 4 * i, v);
  }
  // Mini FAT (sector 2 at 1536): the stream's 64-byte pieces in a row.
  const size_t pieces = (stream.size() + 63) / 64;
  for (size_t i = 0; i < 128; ++i) {
    put32(1536 + 4 * i, i + 1 < pieces ? static_cast<uint32_t>(i + 1)
                                       : (i + 1 == pieces ? 0xFFFFFFFE : 0xFFFFFFFF));
  }
  f.replace(2048, stream.size(), stream);
  return f;
}

TEST(BiffReaderTest, ReadsAStreamInTheMiniStream) {
  MemoryWorkbook small;
  ASSERT_TRUE(small.SetCell(1, 1, 1, CellValue::Text("mini")).ok());
  const std::string stream = *WriteWorkbookStream(small.model());
  ASSERT_LT(stream.size(), 4096u);
  auto model = ParseXlsBytes(MiniStreamFile(stream));
  ASSERT_TRUE(model.ok()) << model.message();
  EXPECT_EQ(*MemoryWorkbook(std::move(*model)).GetCell(1, 1, 1), CellValue::Text("mini"));
}

// Damage inside a workbook (files that are no workbook at all: xls_reader_test).
TEST(BiffReaderTest, DamageIsAFormatError) {
  MemoryWorkbook book;
  ASSERT_TRUE(book.SetCell(1, 1, 1, CellValue::Text("x")).ok());
  const std::string good = *book.ToXlsBytes();
  ASSERT_TRUE(ParseXlsBytes(good).ok());

  std::string stream = ExcelLikeStream();
  std::string bad_index = stream;  // LABELSST pointing past the string table
  const size_t labelsst = bad_index.find(std::string("\xFD\x00\x0A\x00", 4));
  ASSERT_NE(labelsst, std::string::npos);
  bad_index[labelsst + 4 + 6] = 9;
  std::string long_string = stream;  // a string count past the table's end
  const size_t count_at =
      long_string.find(std::string("\x04\x00\x00"
                                   "ab",
                                   5));
  ASSERT_NE(count_at, std::string::npos);
  long_string[count_at] = 60;

  std::string mulrk_last = stream;  // MULRK whose last column disagrees with its size
  const size_t mulrk = mulrk_last.find(std::string("\xBD\x00\x12\x00", 4));
  ASSERT_NE(mulrk, std::string::npos);
  mulrk_last[mulrk + 4 + 16] = 9;
  std::string bad_xf = stream;  // a cell pointing past the format records
  bad_xf[labelsst + 4 + 4] = 99;
  std::string small_extent = stream;  // DIMENSIONS of one row before cells on three
  const size_t sheet_bof =
      small_extent.rfind(std::string("\x09\x08\x10\x00\x00\x06\x10\x00", 8), labelsst);
  ASSERT_NE(sheet_bof, std::string::npos);
  small_extent.insert(sheet_bof + 20, std::string("\x00\x02\x0E\x00"
                                                  "\x00\x00\x00\x00\x01\x00\x00\x00"
                                                  "\x00\x00\x10\x00\x00\x00",
                                                  18));

  std::string twice = stream;  // a second record for cell A1
  twice.insert(labelsst, stream.substr(labelsst, 14));
  std::string sheet_kind = stream;  // a sheet type that does not exist
  const size_t boundsheet = sheet_kind.find(std::string("\x85\x00", 2));
  ASSERT_NE(boundsheet, std::string::npos);
  sheet_kind[boundsheet + 4 + 5] = 0x74;

  std::string long_name = good;  // the root entry's name length past its 64 bytes
  const size_t dir = (static_cast<uint8_t>(good[48]) + 1u) * 512;
  long_name[dir + 64] = '\xFF';
  long_name[dir + 65] = '\xFF';

  struct Case {
    const char* name;
    std::string file;
  };
  const Case cases[] = {
      {"truncated", good.substr(0, 3000)},
      {"no workbook stream", WrapInCompoundFile("")},
      {"shared string index", WrapInCompoundFile(bad_index)},
      {"string past the table", WrapInCompoundFile(long_string)},
      {"directory name length", long_name},
      {"multiple-cell record", WrapInCompoundFile(mulrk_last)},
      {"format index", WrapInCompoundFile(bad_xf)},
      {"cell outside DIMENSIONS", WrapInCompoundFile(small_extent)},
      {"two records for one cell", WrapInCompoundFile(twice)},
      {"sheet type", WrapInCompoundFile(sheet_kind)},
      {"stream cut in a record", WrapInCompoundFile(stream.substr(0, labelsst + 7))},
  };
  for (const Case& c : cases) {
    auto model = ParseXlsBytes(c.file);
    EXPECT_EQ(model.code(), ErrorCode::kFormatError) << c.name;
  }
}

}  // namespace
}  // namespace mirune::xls
