// Workbooks that real spreadsheet programs wrote (LibreOffice and gnumeric; how they were
// made is in tests/data/xls/README.md), read cell by cell.

#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "automation/excel_engine/memory_workbook.h"
#include "automation/excel_engine/xls/xls_reader.h"
#include "base/file.h"

namespace mirune {
namespace {

std::string DataPath(const std::string& name) {
  return JoinPath(MIRUNE_SOURCE_DIR, "tests/data/xls/" + name);
}

std::string Cycle(std::string_view unit, size_t n) {
  std::string out;
  for (size_t i = 0; i < n; ++i) out += unit.substr(i % 10, 1);
  return out;
}

std::string CycleKana(size_t n) {
  static const char* const kKana[] = {"あ", "い", "う", "え", "お", "か", "き", "く", "け", "こ"};
  std::string out;
  for (size_t i = 0; i < n; ++i) out += kKana[i % 10];
  return out;
}

struct Program {
  const char* file;
  CellValue text_result;       // B7: =B1&"です"
  CellValue long_text_result;  // B15: =B14
};

// Column B of sheet Org from row 1 on (column A names each row; column C is empty).
std::vector<CellValue> ExpectedColumnB(const Program& p) {
  return {
      CellValue::Text("索引"),
      CellValue::Number(12),
      CellValue::Number(-3.5),
      CellValue::Number(1e12),
      CellValue::Number(3),
      CellValue::Number(-42),
      p.text_result,
      CellValue::Empty(),  // =""
      CellValue::Text("TRUE"),
      CellValue::Text("FALSE"),
      CellValue::Text("#DIV/0!"),
      CellValue::Text("#N/A"),
      CellValue::Text(Cycle("abcdefghij", 20000)),  // three SST records
      CellValue::Text(CycleKana(9000)),             // three SST records, wide
      p.long_text_result,
      CellValue::Text("普通太字普通"),  // rich text
      CellValue::Text("結合"),          // merged with C17
      CellValue::Number(45366),         // 2024-03-15
      CellValue::Number(12.5 / 24),     // 12:30
  };
}

const char* const kNames[] = {"text",
                              "integer",
                              "negative",
                              "large",
                              "sum",
                              "product",
                              "text result",
                              "empty text result",
                              "true",
                              "false",
                              "div0",
                              "na",
                              "long latin",
                              "long kana",
                              "long text result",
                              "rich",
                              "merged",
                              "date",
                              "time"};

TEST(XlsRealFilesTest, EveryCellOfWhatSpreadsheetProgramsWrite) {
  const Program programs[] = {
      // LibreOffice stores a formula's text result as the number 0, without a STRING record.
      {"libreoffice.xls", CellValue::Number(0), CellValue::Number(0)},
      // gnumeric writes STRING records; a long one goes on in CONTINUE records without flags
      // bytes, cut inside a character.
      {"gnumeric.xls", CellValue::Text("索引です"), CellValue::Text(CycleKana(9000))},
  };
  for (const Program& p : programs) {
    SCOPED_TRACE(p.file);
    auto book = OpenXlsWorkbook(DataPath(p.file));
    ASSERT_TRUE(book.ok()) << book.message();
    MemoryWorkbook& b = **book;
    ASSERT_EQ(b.SheetCount(), 2);
    EXPECT_EQ(*b.SheetName(1), "Org");
    EXPECT_EQ(*b.SheetName(2), "読み");
    const std::vector<CellValue> column_b = ExpectedColumnB(p);
    ASSERT_EQ(*b.LastFilledRow(1), static_cast<int>(column_b.size()));
    for (int r = 1; r <= static_cast<int>(column_b.size()); ++r) {
      EXPECT_EQ(*b.GetCell(1, r, 1), CellValue::Text(kNames[r - 1])) << "row " << r;
      EXPECT_EQ(*b.GetCell(1, r, 2), column_b[r - 1]) << kNames[r - 1];
      for (int c = 3; c <= kExcelMaxColumns; ++c) {
        ASSERT_EQ(*b.GetCell(1, r, c), CellValue::Empty()) << "row " << r << " column " << c;
      }
    }
    EXPECT_EQ(*b.LastFilledRow(2), 2);
    EXPECT_EQ(*b.GetCell(2, 1, 1), CellValue::Text("かな"));
    EXPECT_EQ(*b.GetCell(2, 2, 1), CellValue::Number(13));  // =Org!B2+1
    EXPECT_EQ(*b.GetCell(2, 1, 2), CellValue::Empty());
  }
}

TEST(XlsRealFilesTest, FilesThatAreNoExcel97WorkbookAreNamed) {
  struct Case {
    const char* file;
    const char* cause;
  };
  const Case cases[] = {
      {"gnumeric_excel95.xls",
       "」は Excel 5.0/95 の形式のブックです。Excel で「Excel 97-2003 ブック」(.xls) として"
       "保存して下さい。"},
      {"libreoffice_xlsx_named.xls",
       "」は .xlsx 形式です。Excel で「Excel 97-2003 ブック」(.xls) として保存して下さい。"},
  };
  for (const Case& c : cases) {
    auto model = xls::ReadXlsFile(DataPath(c.file));
    EXPECT_EQ(model.code(), ErrorCode::kFormatError) << c.file;
    EXPECT_EQ(model.message(), "「" + DataPath(c.file) + c.cause);
  }
}

}  // namespace
}  // namespace mirune
