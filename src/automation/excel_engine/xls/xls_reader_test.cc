// The reader on formula results, cells it cannot read and files that are no readable .xls:
// each gives its value or its own Japanese cause, never a silently empty cell.

#include "automation/excel_engine/xls/xls_reader.h"

#include <gtest/gtest.h>

#include <filesystem>
#include <functional>
#include <string>

#include "automation/excel_engine/memory_workbook.h"
#include "automation/excel_engine/xls/biff_reader.h"
#include "automation/excel_engine/xls/biff_stream.h"
#include "automation/excel_engine/xls/cfb_format.h"
#include "automation/excel_engine/xls/cfb_writer.h"
#include "base/file.h"
#include "base/little_endian.h"

namespace mirune::xls {
namespace {

constexpr uint16_t kFormula = 0x0006;
constexpr uint16_t kString = 0x0207;
constexpr uint16_t kShrFmla = 0x04BC;
constexpr uint16_t kArray = 0x0221;
constexpr uint16_t kBoolErr = 0x0205;

void Bof(BiffWriter& w, uint16_t version, uint16_t kind) {
  w.BeginRecord(record::kBof);
  w.U16(version);
  w.U16(kind);
  w.Zeros(12);
  w.EndRecord();
}

// A workbook stream with one worksheet "Org" whose cell records `cells` writes, and
// `globals` written among the workbook's records.
std::string Workbook(const std::function<void(BiffWriter&)>& cells,
                     const std::function<void(BiffWriter&)>& globals = nullptr,
                     uint16_t version = 0x0600) {
  BiffWriter w;
  Bof(w, version, 0x0005);
  if (globals) globals(w);
  for (int i = 0; i < 16; ++i) w.Record(record::kXf, std::string(20, '\0'));
  w.BeginRecord(record::kBoundSheet);
  const size_t offset_at = w.position();
  w.U32(0);
  w.U16(0);
  w.U8(3);
  w.U8(0);
  w.Bytes("Org");
  w.EndRecord();
  w.Record(record::kEof, "");
  w.PatchU32(offset_at, static_cast<uint32_t>(w.position()));
  Bof(w, version, 0x0010);
  cells(w);
  w.Record(record::kEof, "");
  return w.bytes();
}

// A FORMULA record at (row, column) from 0; `result` is its 8-byte result field.
void Formula(BiffWriter& w, uint16_t row, uint16_t column, const std::string& result) {
  w.BeginRecord(kFormula);
  w.U16(row);
  w.U16(column);
  w.U16(15);
  w.Bytes(result);
  w.U16(0x0008);  // flags: shared formula
  w.U32(0);
  w.U16(3);  // formula: a reference to a shared formula (PtgExp)
  w.U8(0x01);
  w.U16(0);
  w.U16(0);
  w.EndRecord();
}

// The result field of a non-numeric result: kind, 0, value, then 0xFFFF in its last two bytes.
std::string Special(uint8_t kind, uint8_t value) {
  return std::string{static_cast<char>(kind), 0, static_cast<char>(value), 0, 0, 0} +
         std::string("\xFF\xFF", 2);
}

std::string NumberResult(double v) {
  BiffWriter w;
  w.F64(v);
  return w.bytes();
}

void StringRecord(BiffWriter& w, std::string_view text) {
  w.BeginRecord(kString);
  w.U16(static_cast<uint16_t>(text.size()));
  w.U8(0);
  w.Bytes(text);
  w.EndRecord();
}

Result<MemoryWorkbook> Read(const std::string& stream) {
  Result<WorkbookModel> model = ParseXlsBytes(WrapInCompoundFile(stream), "Book.xls");
  if (!model.ok()) return model.error();
  return MemoryWorkbook(std::move(*model));
}

TEST(XlsReaderTest, FormulasGiveTheirCachedResults) {
  // A text result of 9,000 characters: its STRING record goes on in two CONTINUE records,
  // the second one with wide characters.
  const std::string long_head(8000, 'a');
  const std::u16string long_tail = u"読み";
  const auto book = Read(Workbook([&](BiffWriter& w) {
    Formula(w, 0, 0, NumberResult(12.5));
    Formula(w, 0, 1, Special(0, 0));
    StringRecord(w, "sushi");
    Formula(w, 1, 0, Special(0, 0));
    w.Record(kShrFmla, std::string(10, '\0'));  // the shared formula the cell refers to
    StringRecord(w, "PHONETIC");
    Formula(w, 1, 1, Special(0, 0));
    w.Record(kArray, std::string(14, '\0'));
    StringRecord(w, "array");
    Formula(w, 2, 0, Special(1, 1));
    Formula(w, 2, 1, Special(1, 0));
    Formula(w, 3, 0, Special(2, 0x07));
    Formula(w, 3, 1, Special(2, 0x2A));
    Formula(w, 4, 0, Special(3, 0));
    Formula(w, 5, 0, Special(0, 0));
    w.BeginRecord(kString);
    w.U16(static_cast<uint16_t>(long_head.size() + 1000 + long_tail.size()));
    w.U8(0);
    w.Bytes(long_head);
    w.EndRecord();
    w.BeginRecord(record::kContinue);
    w.U8(0);
    w.Bytes(std::string(1000, 'b'));
    w.EndRecord();
    w.BeginRecord(record::kContinue);
    w.U8(1);
    w.Units(long_tail.data(), long_tail.size(), false);
    w.EndRecord();
    w.BeginRecord(kBoolErr);  // a plain error value
    w.U16(6);
    w.U16(0);
    w.U16(15);
    w.U8(0x0F);
    w.U8(1);
    w.EndRecord();
  }));
  ASSERT_TRUE(book.ok()) << book.message();
  struct Case {
    int row, column;
    CellValue value;
  };
  const Case cases[] = {
      {1, 1, CellValue::Number(12.5)},
      {1, 2, CellValue::Text("sushi")},
      {2, 1, CellValue::Text("PHONETIC")},
      {2, 2, CellValue::Text("array")},
      {3, 1, CellValue::Text("TRUE")},
      {3, 2, CellValue::Text("FALSE")},
      {4, 1, CellValue::Text("#DIV/0!")},
      {4, 2, CellValue::Text("#N/A")},
      {5, 1, CellValue::Empty()},
      {6, 1, CellValue::Text(long_head + std::string(1000, 'b') + "読み")},
      {7, 1, CellValue::Text("#VALUE!")},
  };
  for (const Case& c : cases) {
    EXPECT_EQ(*book->GetCell(1, c.row, c.column), c.value) << c.row << "," << c.column;
  }
}

void LabelSst(BiffWriter& w, uint16_t row, uint16_t column, uint32_t index) {
  w.BeginRecord(record::kLabelSst);
  w.U16(row);
  w.U16(column);
  w.U16(15);
  w.U32(index);
  w.EndRecord();
}

TEST(XlsReaderTest, SharedStringsIncludingAnEmptyOne) {
  const auto book = Read(Workbook(
      [](BiffWriter& w) {
        LabelSst(w, 0, 0, 0);
        LabelSst(w, 0, 1, 1);
        LabelSst(w, 1, 0, 1);
        LabelSst(w, 1, 1, 0);
      },
      [](BiffWriter& w) {
        w.BeginRecord(record::kSst);
        w.U32(4);
        w.U32(2);
        w.U16(0);  // ""
        w.U8(0);
        w.U16(2);  // "索引"
        w.U8(1);
        const std::u16string s = u"索引";
        w.Units(s.data(), s.size(), false);
        w.EndRecord();
      }));
  ASSERT_TRUE(book.ok()) << book.message();
  EXPECT_EQ(*book->GetCell(1, 1, 1), CellValue::Empty());
  EXPECT_EQ(*book->GetCell(1, 1, 2), CellValue::Text("索引"));
  EXPECT_EQ(*book->GetCell(1, 2, 1), CellValue::Text("索引"));
  EXPECT_EQ(*book->GetCell(1, 2, 2), CellValue::Empty());
  EXPECT_EQ(book->model().strings.size(), 1u);  // one table entry for the two cells
}

TEST(XlsReaderTest, ACellThatCannotBeReadNamesItsSheetAndCell) {
  struct Case {
    const char* name;
    std::function<void(BiffWriter&)> cells;
    const char* message;
  };
  const Case cases[] = {
      {"text result without STRING", [](BiffWriter& w) { Formula(w, 11, 2, Special(0, 0)); },
       "「Book.xls」のシート「Org」のセル C12 を読めません（数式の文字列の結果 (STRING 記録) "
       "がありません）。"},
      {"unknown result kind", [](BiffWriter& w) { Formula(w, 0, 27, Special(7, 0)); },
       "「Book.xls」のシート「Org」のセル AB1 を読めません（数式の結果の種類が不明です）。"},
      {"unknown error value",
       [](BiffWriter& w) {
         w.BeginRecord(kBoolErr);
         w.U16(1);
         w.U16(1);
         w.U16(15);
         w.U8(0x63);
         w.U8(1);
         w.EndRecord();
       },
       "「Book.xls」のシート「Org」のセル B2 を読めません（不明なエラー値です）。"},
      {"cell of Excel 4",
       [](BiffWriter& w) {
         w.BeginRecord(0x0004);  // LABEL of Excel 2
         w.U16(4);
         w.U16(0);
         w.Zeros(3);
         w.U8(1);
         w.Bytes("x");
         w.EndRecord();
       },
       "「Book.xls」のシート「Org」のセル A5 を読めません（Excel 4.0 以前の形式のセルです）。"},
      {"shared string missing",
       [](BiffWriter& w) {
         w.BeginRecord(record::kLabelSst);
         w.U16(0);
         w.U16(255);
         w.U16(15);
         w.U32(0);
         w.EndRecord();
       },
       "「Book.xls」のシート「Org」のセル IV1 を読めません（共有文字列 0 番がありません）。"},
  };
  for (const Case& c : cases) {
    const auto book = Read(Workbook(c.cells));
    EXPECT_EQ(book.code(), ErrorCode::kFormatError) << c.name;
    EXPECT_EQ(book.message(), c.message) << c.name;
  }
}

// A file whose FAT marks every sector free: no chain can be followed.
std::string WithBrokenChains(std::string file) {
  const size_t fat = (ReadLe32(file, 76) + 1u) * 512;
  for (size_t i = 0; i < 512; ++i) file[fat + i] = '\xFF';
  return file;
}

// A compound file whose one stream is named "Book" (Excel 5.0 and 95).
std::string WithStreamNamed(std::string file, std::u16string_view name) {
  const size_t dir = (ReadLe32(file, 48) + 1u) * 512 + 128;
  for (size_t i = 0; i < 32; ++i) file[dir + i] = 0;
  for (size_t i = 0; i < name.size(); ++i) {
    file[dir + 2 * i] = static_cast<char>(name[i] & 0xFF);
    file[dir + 2 * i + 1] = static_cast<char>(name[i] >> 8);
  }
  file[dir + 64] = static_cast<char>((name.size() + 1) * 2);
  return file;
}

TEST(XlsReaderTest, EachUnreadableFileHasItsOwnCause) {
  const std::string good =
      WrapInCompoundFile(Workbook([](BiffWriter& w) { Formula(w, 0, 0, NumberResult(1)); }));
  ASSERT_TRUE(ParseXlsBytes(good).ok());
  const std::string filepass = WrapInCompoundFile(
      Workbook([](BiffWriter&) {}, [](BiffWriter& w) { w.Record(0x002F, std::string(6, '\0')); }));
  struct Case {
    const char* name;
    std::string file;
    const char* message_start;
  };
  const Case cases[] = {
      {"empty", "", "「Book.xls」は空のファイルです"},
      {"xlsx", std::string("PK\x03\x04", 4) + std::string(600, '\0'),
       "「Book.xls」は .xlsx 形式です。Excel で「Excel 97-2003 ブック」(.xls) として保存して"
       "下さい。"},
      {"zip signature alone", std::string("PK\x03\x04\x00", 5), "「Book.xls」は .xlsx 形式です。"},
      {"ods",
       std::string("PK\x03\x04", 4) + std::string(26, '\0') +
           "mimetypeapplication/vnd.oasis.opendocument.spreadsheet" + std::string(600, '\0'),
       "「Book.xls」は OpenDocument スプレッドシート (.ods) です。Excel で「Excel 97-2003 ブッ"
       "ク」(.xls) として保存して下さい。"},
      {"text", "索引,さくいん\r\n", "「Book.xls」は Excel 97-2003 ブック (.xls) ではありません"},
      {"html", "<html><body></body></html>", "「Book.xls」は XML または HTML のファイルで"},
      {"Excel 4", std::string("\x09\x04\x06\x00\x00\x00\x10\x00", 8),
       "「Book.xls」は Excel 4.0 以前の形式のブックです。"},
      {"short compound file", good.substr(0, 300), "「Book.xls」の複合ファイル"},
      {"broken chain", WithBrokenChains(good), "「Book.xls」の複合ファイル"},
      {"no Workbook stream", WithStreamNamed(good, u"WordDocument"),
       "「Book.xls」は複合ファイルですが Excel のブックのデータ（Workbook ストリーム）を含んで"
       "いません"},
      {"Excel 95 stream", WithStreamNamed(good, u"Book"),
       "「Book.xls」は Excel 5.0/95 の形式のブックです。"},
      {"BIFF5 in a Workbook stream",
       WrapInCompoundFile(Workbook([](BiffWriter&) {}, nullptr, 0x0500)),
       "「Book.xls」は Excel 5.0/95 以前の形式のブックです。"},
      {"encrypted", filepass, "「Book.xls」はパスワードで保護（暗号化）されています。"},
  };
  for (const Case& c : cases) {
    const auto model = ParseXlsBytes(c.file, "Book.xls");
    ASSERT_FALSE(model.ok()) << c.name;
    EXPECT_EQ(model.code(), ErrorCode::kFormatError) << c.name;
    EXPECT_EQ(model.message().substr(0, std::string_view(c.message_start).size()), c.message_start)
        << c.name << ": " << model.message();
  }
  EXPECT_NE(ParseXlsBytes(WithBrokenChains(good), "Book.xls").message().find("セクタの連鎖"),
            std::string::npos);
}

TEST(XlsReaderTest, MissingFileAndFolderAreNamed) {
  const std::string missing = JoinPath(MIRUNE_BINARY_DIR, "no_such_book.xls");
  auto model = ReadXlsFile(missing);
  EXPECT_EQ(model.code(), ErrorCode::kNotFound);
  EXPECT_EQ(model.message(), "「" + missing + "」が見つかりません。");
  model = ReadXlsFile(MIRUNE_BINARY_DIR);
  EXPECT_EQ(model.code(), ErrorCode::kInvalidArgument);
}

// What a file is, is told from its first bytes and its size before it is read whole: a large
// file that is no workbook, or a workbook past the limit, is refused without being read (both
// files here are sparse: reading them would take seconds and their size in memory).
TEST(XlsReaderTest, SignatureAndSizeAreCheckedBeforeReading) {
  namespace fs = std::filesystem;
  const std::string text = JoinPath(MIRUNE_BINARY_DIR, "large_text.xls");
  ASSERT_TRUE(WriteFileAtomic(text, "just some text, no workbook\n").ok());
  fs::resize_file(text, kMaxXlsFileBytes + 1);
  auto model = ReadXlsFile(text);
  EXPECT_EQ(model.code(), ErrorCode::kFormatError);
  EXPECT_NE(model.message().find("複合ファイルの署名がありません"), std::string::npos)
      << model.message();

  const std::string large = JoinPath(MIRUNE_BINARY_DIR, "large_book.xls");
  ASSERT_TRUE(WriteFileAtomic(large, std::string(cfb::kSignature)).ok());
  fs::resize_file(large, kMaxXlsFileBytes + 1);
  model = ReadXlsFile(large);
  EXPECT_EQ(model.code(), ErrorCode::kOverflow);
  EXPECT_EQ(model.message().rfind("「" + large + "」は大きすぎるため読み込みません（", 0), 0u)
      << model.message();
  EXPECT_TRUE(RemoveFile(text).ok());
  EXPECT_TRUE(RemoveFile(large).ok());
}

TEST(XlsReaderTest, CellNamesAreExcels) {
  EXPECT_EQ(CellName(0, 0), "A1");
  EXPECT_EQ(CellName(11, 2), "C12");
  EXPECT_EQ(CellName(0, 25), "Z1");
  EXPECT_EQ(CellName(0, 26), "AA1");
  EXPECT_EQ(CellName(65535, 255), "IV65536");
}

}  // namespace
}  // namespace mirune::xls
