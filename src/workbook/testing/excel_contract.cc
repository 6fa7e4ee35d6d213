#include "workbook/testing/excel_contract.h"

#include <string>
#include <vector>

#include "base/file.h"
#include "base/path.h"
#include "workbook/entry_rows.h"
#include "workbook/razoza_workbook.h"

namespace mirune {

std::string ExcelContractName(const ::testing::TestParamInfo<ExcelContractParam>& info) {
  return info.param.name;
}

namespace {

CellValue T(const char* s) { return CellValue::Text(s); }
CellValue N(double v) { return CellValue::Number(v); }

// Rows of a sheet as "A|B|C" (trailing empty cells dropped), joined by " / ", read in one block.
std::string Rows(const ExcelWorkbook& book, std::string_view sheet_name, int columns = 5) {
  Result<int> sheet = book.FindSheet(sheet_name);
  if (!sheet.ok()) return "(" + sheet.message() + ")";
  Result<int> last = book.LastFilledRow(*sheet);
  if (!last.ok()) return "(" + last.message() + ")";
  if (*last == 0) return "";
  Result<CellBlock> block = book.GetCells(*sheet, CellRange::Area(1, 1, *last, columns));
  if (!block.ok()) return "(" + block.message() + ")";
  std::string out;
  for (int r = 0; r < block->rows; ++r) {
    int filled = 0;
    for (int c = 0; c < columns; ++c) {
      if (!block->at(r, c).is_empty()) filled = c + 1;
    }
    std::string row;
    for (int c = 0; c < filled; ++c) row += (c > 0 ? "|" : "") + block->at(r, c).AsText();
    out += (r > 0 ? " / " : "") + row;
  }
  return out;
}

std::string SheetNames(const ExcelWorkbook& book) {
  std::string out;
  for (int i = 1; i <= book.SheetCount(); ++i) {
    out += (i > 1 ? "," : "") + book.SheetName(i).value();
  }
  return out;
}

std::unique_ptr<ExcelWorkbook> NewBook(ExcelApplication& excel) {
  Result<std::unique_ptr<ExcelWorkbook>> book = excel.AddWorkbook();
  EXPECT_TRUE(book.ok()) << book.message();
  return book.ok() ? std::move(book).value() : nullptr;
}

TEST_P(ExcelContractTest, CellsKeepWhatWasWrittenAsText) {
  auto book = NewBook(*excel_);
  ASSERT_TRUE(book);
  const int sheet = book->ActiveSheet();
  ASSERT_GE(sheet, 1);
  // Texts that Excel would take for numbers, dates or formulas if typed stay texts.
  const CellValue values[] = {T("0012"), T("1-3"), T("=A1"),  T("'quoted"), T("索引"),
                              N(12),     N(1.5),   T("TRUE"), T("12,15")};
  for (int i = 0; i < static_cast<int>(std::size(values)); ++i) {
    ASSERT_TRUE(book->SetCell(sheet, i + 1, 2, values[i]).ok());
  }
  for (int i = 0; i < static_cast<int>(std::size(values)); ++i) {
    Result<CellValue> read = book->GetCell(sheet, i + 1, 2);
    ASSERT_TRUE(read.ok()) << read.message();
    EXPECT_EQ(*read, values[i]) << i << ": " << read->AsText();
  }
  EXPECT_EQ(*book->LastFilledRow(sheet), static_cast<int>(std::size(values)));
  ASSERT_TRUE(book->SetCell(sheet, 9, 2, T("")).ok());
  EXPECT_TRUE(book->GetCell(sheet, 9, 2)->is_empty());
  EXPECT_EQ(*book->LastFilledRow(sheet), 8);
  // A text written into a text-formatted cell stays as written.
  ASSERT_TRUE(book->SetNumberFormat(sheet, CellRange::Columns(3, 3), kNumberFormatText).ok());
  ASSERT_TRUE(book->SetCell(sheet, 1, 3, T("12")).ok());
  EXPECT_EQ(*book->GetCell(sheet, 1, 3), T("12"));
}

TEST_P(ExcelContractTest, BlocksOfCells) {
  auto book = NewBook(*excel_);
  ASSERT_TRUE(book);
  const int sheet = book->ActiveSheet();
  CellBlock block(2, 3);
  block.at(0, 0) = T("語");
  block.at(0, 1) = T("ご");
  block.at(0, 2) = N(3);
  block.at(1, 0) = T("007");
  ASSERT_TRUE(book->SetCells(sheet, 4, 1, block).ok());
  EXPECT_EQ(*book->LastFilledRow(sheet), 5);
  Result<CellBlock> read = book->GetCells(sheet, CellRange::Area(4, 1, 5, 3));
  ASSERT_TRUE(read.ok()) << read.message();
  ASSERT_EQ(read->cells.size(), 6u);
  for (size_t i = 0; i < 6; ++i) EXPECT_EQ(read->cells[i], block.cells[i]) << i;
  Result<CellBlock> one = book->GetCells(sheet, CellRange::Cell(4, 3));
  ASSERT_TRUE(one.ok()) << one.message();
  EXPECT_EQ(one->at(0, 0), N(3));
  EXPECT_EQ(*book->LastFilledRow(sheet), 5);
}

TEST_P(ExcelContractTest, SheetsAreCopiedRenamedFoundAndDeleted) {
  auto book = NewBook(*excel_);
  ASSERT_TRUE(book);
  while (book->SheetCount() > 1) ASSERT_TRUE(book->DeleteSheet(book->SheetCount()).ok());
  ASSERT_TRUE(book->RenameSheet(1, "Org").ok());
  ASSERT_TRUE(book->SetCell(1, 1, 1, T("元")).ok());
  Result<int> copy = book->CopySheet(1, 1);
  ASSERT_TRUE(copy.ok()) << copy.message();
  EXPECT_EQ(*copy, 2);
  EXPECT_EQ(book->ActiveSheet(), 2);
  ASSERT_TRUE(book->RenameSheet(2, "AfterSort").ok());
  EXPECT_EQ(book->GetCell(2, 1, 1)->AsText(), "元");
  Result<int> added = book->AddSheet("Extra");
  ASSERT_TRUE(added.ok()) << added.message();
  EXPECT_EQ(*added, 3);
  EXPECT_EQ(SheetNames(*book), "Org,AfterSort,Extra");
  EXPECT_EQ(*book->FindSheet("AfterSort"), 2);
  EXPECT_EQ(book->FindSheet("Nothing").code(), ErrorCode::kNotFound);
  EXPECT_EQ(book->SheetName(9).code(), ErrorCode::kNotFound);
  EXPECT_FALSE(book->RenameSheet(3, "Org").ok());  // taken
  ASSERT_TRUE(book->DeleteSheet(2).ok());
  EXPECT_EQ(SheetNames(*book), "Org,Extra");
  ASSERT_TRUE(book->ActivateSheet(2).ok());
  EXPECT_EQ(book->ActiveSheet(), 2);
  ASSERT_TRUE(book->DeleteSheet(2).ok());
  EXPECT_EQ(book->DeleteSheet(1).code(), ErrorCode::kInvalidArgument);  // the last one
}

TEST_P(ExcelContractTest, RowsDeletedAndColumnsInserted) {
  auto book = NewBook(*excel_);
  ASSERT_TRUE(book);
  const int sheet = book->ActiveSheet();
  for (int r = 1; r <= 6; ++r) {
    ASSERT_TRUE(book->SetCell(sheet, r, 1, N(r)).ok());
    ASSERT_TRUE(book->SetCell(sheet, r, 2, T("b")).ok());
  }
  ASSERT_TRUE(book->DeleteRows(sheet, 2, 3).ok());
  ASSERT_TRUE(book->DeleteRow(sheet, 1).ok());
  // Rows 1 … 40, of which every other pair goes in one step.
  for (int r = 1; r <= 40; ++r) ASSERT_TRUE(book->SetCell(sheet, r + 2, 4, N(r)).ok());
  std::vector<RowRun> runs;
  for (int r = 3; r <= 42; r += 4) runs.push_back({r + 2, 2});
  Status deleted = book->DeleteRowRuns(sheet, runs);
  ASSERT_TRUE(deleted.ok()) << deleted.message();
  Result<CellBlock> kept = book->GetCells(sheet, CellRange::Area(3, 4, 22, 4));
  ASSERT_TRUE(kept.ok()) << kept.message();
  for (int i = 0; i < 20; ++i) {
    // 1, 2, 5, 6, 9, 10 …
    EXPECT_EQ(kept->at(i, 0), N(i / 2 * 4 + i % 2 + 1)) << i;
  }
  EXPECT_EQ(*book->LastFilledRow(sheet), 22);
  for (int r = 22; r >= 3; --r) ASSERT_TRUE(book->SetCell(sheet, r, 4, CellValue::Empty()).ok());
  EXPECT_EQ(book->DeleteRowRuns(sheet, {{5, 2}, {6, 1}}).code(), ErrorCode::kInvalidArgument);
  ASSERT_TRUE(book->SetColumnWidth(sheet, 2, 2, 17).ok());
  ASSERT_TRUE(book->InsertColumn(sheet, 2).ok());
  EXPECT_EQ(*book->LastFilledRow(sheet), 2);
  EXPECT_EQ(*book->GetCell(sheet, 1, 1), N(5));
  EXPECT_EQ(*book->GetCell(sheet, 2, 1), N(6));
  EXPECT_TRUE(book->GetCell(sheet, 1, 2)->is_empty());
  EXPECT_EQ(*book->GetCell(sheet, 1, 3), T("b"));
  EXPECT_DOUBLE_EQ(*book->ColumnWidth(sheet, 3), 17);
}

TEST_P(ExcelContractTest, SortByReadingKeepsEqualKeysInOrder) {
  auto book = NewBook(*excel_);
  ASSERT_TRUE(book);
  const int sheet = book->ActiveSheet();
  const char* rows[][2] = {{"さ", "さ"}, {"甲", "こう"}, {"あ", "あ"}, {"乙", "こう"}};
  for (int r = 0; r < 4; ++r) {
    ASSERT_TRUE(book->SetCell(sheet, r + 1, 1, T(rows[r][0])).ok());
    ASSERT_TRUE(book->SetCell(sheet, r + 1, 2, T(rows[r][1])).ok());
    ASSERT_TRUE(book->SetCell(sheet, r + 1, 3, N(r + 1)).ok());
  }
  ASSERT_TRUE(book->SortRows(sheet, 2).ok());
  const std::string name = book->SheetName(sheet).value();
  EXPECT_EQ(Rows(*book, name), "あ|あ|3 / 甲|こう|2 / 乙|こう|4 / さ|さ|1");
}

TEST_P(ExcelContractTest, SortByTwoKeys) {
  auto book = NewBook(*excel_);
  ASSERT_TRUE(book);
  const int sheet = book->ActiveSheet();
  const std::vector<std::vector<CellValue>> rows = {
      {T("甲"), T("こう"), N(5)},    {T("乙"), T("こう"), N(2)}, {T("あ"), T("あ"), N(9)},
      {T("丙"), T("こう"), T("iv")}, {T("丁"), T("こう"), N(2)}, {T("戊"), T("こう"), N(10)}};
  for (size_t r = 0; r < rows.size(); ++r) {
    for (size_t c = 0; c < 3; ++c) {
      ASSERT_TRUE(
          book->SetCell(sheet, static_cast<int>(r) + 1, static_cast<int>(c) + 1, rows[r][c]).ok());
    }
  }
  // Equal readings by the second key: numbers by value, then texts; equal pairs in order.
  ASSERT_TRUE(book->SortRowsByTwoKeys(sheet, 2, 3).ok());
  const std::string name = book->SheetName(sheet).value();
  EXPECT_EQ(Rows(*book, name),
            "あ|あ|9 / 乙|こう|2 / 丁|こう|2 / 甲|こう|5 / 戊|こう|10 / 丙|こう|iv");
}

TEST_P(ExcelContractTest, Formats) {
  auto book = NewBook(*excel_);
  ASSERT_TRUE(book);
  const int sheet = book->ActiveSheet();
  ASSERT_TRUE(book->SetColumnWidth(sheet, 3, 26, 4).ok());
  EXPECT_DOUBLE_EQ(*book->ColumnWidth(sheet, 26), 4);
  ASSERT_TRUE(book->SetFontName(sheet, CellRange::Columns(1, 3), "ＭＳ 明朝").ok());
  ASSERT_TRUE(book->SetAlignment(sheet, CellRange::Columns(1, 2),
                                 {std::nullopt, VerticalAlignment::kCenter, std::nullopt})
                  .ok());
  ASSERT_TRUE(book->CopyFormat(sheet, 1, 1, CellRange::Area(1, 2, 3, 26)).ok());
  Result<CellFormat> copied = book->GetFormat(sheet, 3, 26);
  ASSERT_TRUE(copied.ok()) << copied.message();
  EXPECT_EQ(copied->font_name, "ＭＳ 明朝");
  EXPECT_EQ(copied->vertical, VerticalAlignment::kCenter);
  ASSERT_TRUE(book->SetNumberFormat(sheet, CellRange::Columns(3, 3), kNumberFormatText).ok());
  ASSERT_TRUE(book->SetAlignment(sheet, CellRange::Cell(2, 3),
                                 {HorizontalAlignment::kRight, VerticalAlignment::kTop, true})
                  .ok());
  Result<CellFormat> format = book->GetFormat(sheet, 2, 3);
  ASSERT_TRUE(format.ok()) << format.message();
  EXPECT_EQ(format->number_format, "@");
  EXPECT_EQ(format->horizontal, HorizontalAlignment::kRight);
  EXPECT_EQ(format->vertical, VerticalAlignment::kTop);
  EXPECT_TRUE(format->wrap_text);
}

TEST_P(ExcelContractTest, FoldingAndPageLists) {
  struct Case {
    const char* name;
    const char* entries;
    const char* folded;  // Sort_Syori1
  };
  const Case cases[] = {
      {"one entry", "索引\tさくいん\t12\n", "索引|さくいん|12"},
      {"adjacent equal pages dropped",
       "索引\tさくいん\t12\n索引\tさくいん\t12\n索引\tさくいん\t15\n", "索引|さくいん|12,15"},
      // Pages ascending and once each, whatever the order of the stories they came from.
      {"repeat in another story dropped",
       "索引\tさくいん\t12\n索引\tさくいん\t15\n索引\tさくいん\t12\n", "索引|さくいん|12,15"},
      {"pages of several stories ascending",
       "Lösung\tLösung\t6\nLösung\tLösung\t3\nLösung\tLösung\t4\nLösung\tLösung\t7\n"
       "Lösung\tLösung\t3\nLösung\tLösung\t7\nLösung\tLösung\t5\nLösung\tLösung\t4\n"
       "Lösung\tLösung\t7\n",
       "Lösung|Lösung|3,4,5,6,7"},
      {"numbers by value, not as text", "語\tご\t100\n語\tご\t20\n語\tご\t3\n", "語|ご|3,20,100"},
      // Equal readings are sorted by page before folding (Sort's second key).
      {"equal readings by page", "柿\tかき\t9\n牡蠣\tかき\t4\n", "牡蠣|かき|4 / 柿|かき|9"},
      {"same reading, different terms", "牡蠣\tかき\t3\n柿\tかき\t4\n", "牡蠣|かき|3 / 柿|かき|4"},
      {"letter case differs", "Index\tいんでっくす\t1\nindex\tいんでっくす\t2\n",
       "Index|いんでっくす|1 / index|いんでっくす|2"},
      // An occurrence without a page adds no page (not a 0).
      {"missing page in the middle", "語\tご\t12\n語\tご\t\n語\tご\t15\n", "語|ご|12,15"},
      // The first occurrence without a page does not strand the others outside column C.
      {"missing first page", "語\tご\t\n語\tご\t12\n語\tご\t15\n", "語|ご|12,15"},
      {"missing page between equal pages", "語\tご\t12\n語\tご\t\n語\tご\t12\n", "語|ご|12"},
      {"no page at all", "語\tご\t\n語\tご\t\n", "語|ご"},
      {"sorted by reading first", "さ\tさ\t1\nあ\tあ\t2\nさ\tさ\t3\n", "あ|あ|2 / さ|さ|1,3"},
      {"terms apart after sorting are not folded", "甲\tこう\t1\n乙\tこう\t2\n甲\tこう\t3\n",
       "甲|こう|1 / 乙|こう|2 / 甲|こう|3"},
      {"numeric-looking terms stay text", "123\t123\t5\n123\t123\t6\n", "123|123|5,6"},
      // Page names that are not page numbers go before the numbers, once each in order of
      // appearance, as in the finished index.
      {"roman and prefixed pages",
       "語\tご\t3\n語\tご\tiv\n語\tご\tiv\n語\tご\tA-3\n語\tご\tiv\n語\tご\t2\n",
       "語|ご|iv,A-3,2,3"},
      {"a page number as digits of any length",
       "語\tご\t0012\n語\tご\t12\n語\tご\t9999999999\n語\tご\t12345678901234567\n",
       "語|ご|12345678901234567,12,9999999999"},
  };
  for (const Case& c : cases) {
    auto book = NewBook(*excel_);
    ASSERT_TRUE(book);
    Result<std::vector<EntryRow>> rows = ParseEntryRows(c.entries);
    ASSERT_TRUE(rows.ok()) << c.name;
    Result<int32_t> n = BuildRazozaWorkbook(*book, *rows);
    ASSERT_TRUE(n.ok()) << c.name << ": " << n.message();
    EXPECT_EQ(Rows(*book, kSortSyoriSheet, 7), c.folded) << c.name;
  }
}

constexpr char kEntries[] =
    "索引\tさくいん\t12\n語\tご\t3\n索引\tさくいん\t15\n牡蠣\tかき\t4\n語\tご\t\n索引\tさくいん\t12"
    "\n"
    "柿\tかき\t9\n";

TEST_P(ExcelContractTest, BuildsTheIndexWorkbookAndResortsIt) {
  auto book = NewBook(*excel_);
  ASSERT_TRUE(book);
  Result<std::vector<EntryRow>> rows = ParseEntryRows(kEntries);
  ASSERT_TRUE(rows.ok());
  Result<int32_t> n = BuildRazozaWorkbook(*book, *rows);
  ASSERT_TRUE(n.ok()) << n.message();
  EXPECT_EQ(*n, 7);
  EXPECT_EQ(SheetNames(*book).substr(0, 25), "Org,Sort_Only,Sort_Syori1");
  EXPECT_EQ(Rows(*book, "Sort_Syori1"), "牡蠣|かき|4 / 柿|かき|9 / 語|ご|3 / 索引|さくいん|12,15");
  EXPECT_EQ(book->GetFormat(*book->FindSheet("Sort_Syori1"), 1, 3)->number_format, "@");

  // The user corrects a reading on Org, so that 柿 sorts before 牡蠣; the re-sort twice leaves
  // one AfterSort in second position.
  const int org = *book->FindSheet("Org");
  ASSERT_TRUE(book->SetCell(org, 7, 2, T("いち")).ok());
  ASSERT_TRUE(ResortRazozaWorkbook(*book).ok());
  ASSERT_TRUE(excel_->SetDisplayAlerts(true).ok());
  Status again = ResortRazozaWorkbook(*book);
  ASSERT_TRUE(again.ok()) << again.message();
  EXPECT_EQ(*book->FindSheet("AfterSort"), 2);
  EXPECT_EQ(book->ActiveSheet(), 2);
  EXPECT_EQ(Rows(*book, "AfterSort"), "柿|いち|9 / 牡蠣|かき|4 / 語|ご|3 / 索引|さくいん|12,15");
  EXPECT_EQ(Rows(*book, "Sort_Syori1"), "牡蠣|かき|4 / 柿|かき|9 / 語|ご|3 / 索引|さくいん|12,15");
}

TEST_P(ExcelContractTest, SavedWorkbookOpensAgainAndIsActive) {
  auto book = NewBook(*excel_);
  ASSERT_TRUE(book);
  const int sheet = book->ActiveSheet();
  ASSERT_TRUE(book->RenameSheet(sheet, "Org").ok());
  ASSERT_TRUE(book->SetCell(sheet, 1, 1, T("保存")).ok());
  ASSERT_TRUE(book->SetCell(sheet, 1, 3, N(7)).ok());
  const std::string path =
      JoinPath(::testing::TempDir(), "excel-contract-" + GetParam().name + ".xls");
  Status saved = book->SaveAs(path);
  ASSERT_TRUE(saved.ok()) << saved.message();
  // Saving again replaces the file without a question.
  ASSERT_TRUE(book->SaveAs(path).ok());
  Result<std::unique_ptr<ExcelWorkbook>> opened = excel_->OpenWorkbook(path);
  ASSERT_TRUE(opened.ok()) << opened.message();
  EXPECT_EQ(Rows(**opened, "Org"), "保存||7");
  Result<std::unique_ptr<ExcelWorkbook>> active = excel_->ActiveWorkbook();
  ASSERT_TRUE(active.ok()) << active.message();
  EXPECT_EQ(Rows(**active, "Org"), "保存||7");
  EXPECT_EQ(excel_->OpenWorkbook(path + ".missing").code(), ErrorCode::kNotFound);
  (void)RemoveFile(path);
}

}  // namespace
}  // namespace mirune
