#include "automation/excel_engine/memory_workbook.h"

#include <gtest/gtest.h>

#include <cmath>
#include <filesystem>
#include <string>
#include <vector>

#include "base/file.h"

namespace mirune {
namespace {

CellValue T(const char* s) { return CellValue::Text(s); }
CellValue N(double v) { return CellValue::Number(v); }

std::string ColumnA(const MemoryWorkbook& book, int sheet) {
  std::string out;
  const int last = *book.LastFilledRow(sheet);
  for (int r = 1; r <= last; ++r) {
    if (r > 1) out += ",";
    out += book.GetCell(sheet, r, 1)->AsText();
  }
  return out;
}

TEST(CellValueTest, AsTextShowsNumbersAsExcelDoes) {
  struct Case {
    CellValue value;
    const char* text;
  };
  const Case cases[] = {{N(12), "12"},       {N(0), "0"},     {N(-3), "-3"},
                        {N(1.5), "1.5"},     {T("12"), "12"}, {CellValue::Empty(), ""},
                        {N(9999), "9999"},   {N(0.1), "0.1"}, {N(1e300), "1E+300"},
                        {N(-1e20), "-1E+20"}};
  for (const Case& c : cases) EXPECT_EQ(c.value.AsText(), c.text);
  EXPECT_TRUE(CellValue::Text("").is_empty());
}

TEST(MemoryWorkbookTest, CellsKeepTypeAndEmptyTextEmptiesTheCell) {
  MemoryWorkbook book;
  ASSERT_TRUE(book.SetCell(1, 2, 3, T("0012")).ok());
  ASSERT_TRUE(book.SetCell(1, 3, 3, N(12)).ok());
  EXPECT_EQ(*book.GetCell(1, 2, 3), T("0012"));
  EXPECT_EQ(*book.GetCell(1, 3, 3), N(12));
  EXPECT_EQ(*book.LastFilledRow(1), 3);
  ASSERT_TRUE(book.SetNumberFormat(1, CellRange::Cell(3, 3), "@").ok());
  ASSERT_TRUE(book.SetCell(1, 3, 3, T("")).ok());
  EXPECT_TRUE(book.GetCell(1, 3, 3)->is_empty());
  EXPECT_EQ(book.GetFormat(1, 3, 3)->number_format, "@");  // the format stays
  EXPECT_EQ(*book.LastFilledRow(1), 2);
}

TEST(MemoryWorkbookTest, BoundsAreChecked) {
  MemoryWorkbook book;
  EXPECT_EQ(book.GetCell(2, 1, 1).code(), ErrorCode::kNotFound);
  EXPECT_EQ(book.GetCell(1, 0, 1).code(), ErrorCode::kInvalidArgument);
  EXPECT_EQ(book.SetCell(1, kExcelMaxRows + 1, 1, N(1)).code(), ErrorCode::kInvalidArgument);
  EXPECT_EQ(book.SetCell(1, 1, kExcelMaxColumns + 1, N(1)).code(), ErrorCode::kInvalidArgument);
  EXPECT_TRUE(book.SetCell(1, kExcelMaxRows, kExcelMaxColumns, N(1)).ok());
  EXPECT_EQ(book.SetColumnWidth(1, 1, 1, 300).code(), ErrorCode::kInvalidArgument);
}

TEST(MemoryWorkbookTest, SheetNames) {
  struct Case {
    const char* name;
    bool ok;
  };
  const Case cases[] = {
      {"Org", true},
      {"Sort_Syori1", true},
      {"索引", true},
      {"", false},
      {"a/b", false},
      {"a[1]", false},
      {"what?", false},
      {"'quoted'", false},
      {"Sheet1", false},                          // taken
      {"SHEET1", false},                          // Latin case is not a difference for Excel
      {"1234567890123456789012345678901", true},  // 31 characters
      {"12345678901234567890123456789012", false},
  };
  for (const Case& c : cases) {
    MemoryWorkbook book;
    EXPECT_EQ(book.AddSheet(c.name).ok(), c.ok) << c.name;
  }
}

TEST(MemoryWorkbookTest, CopySheetPlacesTheCopyAfterAndActivatesIt) {
  MemoryWorkbook book;
  ASSERT_TRUE(book.RenameSheet(1, "Org").ok());
  ASSERT_TRUE(book.AddSheet("Last").ok());
  ASSERT_TRUE(book.SetCell(1, 1, 1, T("x")).ok());
  ASSERT_TRUE(book.SetColumnWidth(1, 1, 1, 30).ok());
  auto copy = book.CopySheet(1, 1);
  ASSERT_TRUE(copy.ok());
  EXPECT_EQ(*copy, 2);
  EXPECT_EQ(book.ActiveSheet(), 2);
  EXPECT_EQ(*book.SheetName(2), "Org (2)");
  EXPECT_EQ(*book.SheetName(3), "Last");
  EXPECT_EQ(*book.GetCell(2, 1, 1), T("x"));
  EXPECT_EQ(*book.ColumnWidth(2, 1), 30);
  // The copy is independent of its source.
  ASSERT_TRUE(book.SetCell(2, 1, 1, T("y")).ok());
  EXPECT_EQ(*book.GetCell(1, 1, 1), T("x"));
  // A second copy of the same sheet finds the next free name.
  auto again = book.CopySheet(1, 1);
  ASSERT_TRUE(again.ok());
  EXPECT_EQ(*book.SheetName(*again), "Org (3)");
}

TEST(MemoryWorkbookTest, DeleteSheet) {
  MemoryWorkbook book;
  EXPECT_EQ(book.DeleteSheet(1).code(), ErrorCode::kInvalidArgument);
  ASSERT_TRUE(book.AddSheet("B").ok());
  ASSERT_TRUE(book.AddSheet("C").ok());
  ASSERT_TRUE(book.ActivateSheet(3).ok());
  ASSERT_TRUE(book.DeleteSheet(3).ok());
  EXPECT_EQ(book.ActiveSheet(), 2);
  ASSERT_TRUE(book.DeleteSheet(1).ok());
  EXPECT_EQ(book.ActiveSheet(), 1);
  EXPECT_EQ(*book.SheetName(1), "B");
  EXPECT_EQ(book.FindSheet("Sheet1").code(), ErrorCode::kNotFound);
}

// Deleting rows one after another, as the folding does, gives what a plain list gives.
TEST(MemoryWorkbookTest, DeleteRowsMatchesAPlainList) {
  MemoryWorkbook book;
  std::vector<std::string> expected;
  for (int r = 1; r <= 200; ++r) {
    ASSERT_TRUE(book.SetCell(1, r, 1, T(std::to_string(r).c_str())).ok());
    expected.push_back(std::to_string(r));
  }
  // Deletions going down, jumping back up, and past the end.
  const int deletions[] = {5, 5, 5, 6, 7, 100, 100, 2, 150, 1, 180, 185, 3, 3, 60, 250};
  for (int d : deletions) {
    ASSERT_TRUE(book.DeleteRow(1, d).ok());
    if (d <= static_cast<int>(expected.size())) expected.erase(expected.begin() + (d - 1));
    ASSERT_TRUE(book.SetCell(1, 4, 2, N(d)).ok());  // writes between deletions
  }
  std::string want;
  for (size_t i = 0; i < expected.size(); ++i) want += (i ? "," : "") + expected[i];
  EXPECT_EQ(ColumnA(book, 1), want);
}

TEST(MemoryWorkbookTest, InsertColumnShiftsCellsWidthsAndFormats) {
  MemoryWorkbook book;
  ASSERT_TRUE(book.SetCell(1, 1, 2, T("b")).ok());
  ASSERT_TRUE(book.SetCell(1, 1, 3, N(12)).ok());
  ASSERT_TRUE(book.SetCell(1, 1, 4, N(15)).ok());
  ASSERT_TRUE(book.SetColumnWidth(1, 3, 3, 4).ok());
  ASSERT_TRUE(book.SetColumnWidth(1, 4, 4, 5).ok());
  ASSERT_TRUE(book.SetFontName(1, CellRange::Cell(1, 2), "ＭＳ 明朝").ok());
  ASSERT_TRUE(book.InsertColumn(1, 3).ok());
  EXPECT_TRUE(book.GetCell(1, 1, 3)->is_empty());
  EXPECT_EQ(*book.GetCell(1, 1, 4), N(12));
  EXPECT_EQ(*book.GetCell(1, 1, 5), N(15));
  EXPECT_EQ(*book.ColumnWidth(1, 4), 4);
  EXPECT_EQ(*book.ColumnWidth(1, 5), 5);
  EXPECT_EQ(book.GetFormat(1, 1, 3)->font_name, "ＭＳ 明朝");  // from its left neighbour

  ASSERT_TRUE(book.SetCell(1, 2, kExcelMaxColumns, T("edge")).ok());
  EXPECT_EQ(book.InsertColumn(1, 1).code(), ErrorCode::kOverflow);
  EXPECT_EQ(*book.GetCell(1, 1, 4), N(12));  // nothing moved
}

TEST(MemoryWorkbookTest, FormatsOfWholeColumnsAndAreas) {
  MemoryWorkbook book;
  ASSERT_TRUE(book.SetCell(1, 1, 1, T("a")).ok());
  ASSERT_TRUE(book.SetFontName(1, CellRange::Columns(1, 3), "ＭＳ 明朝").ok());
  // A cell written later in a formatted column takes the column's format.
  ASSERT_TRUE(book.SetCell(1, 500, 2, T("b")).ok());
  EXPECT_EQ(book.GetFormat(1, 500, 2)->font_name, "ＭＳ 明朝");
  EXPECT_EQ(book.GetFormat(1, 1, 4)->font_name, std::string(xls::kStandardFontName));
  ASSERT_TRUE(book.SetAlignment(1, CellRange::Area(1, 1, 2, 2),
                                {std::nullopt, VerticalAlignment::kCenter, std::nullopt})
                  .ok());
  EXPECT_EQ(book.GetFormat(1, 2, 2)->vertical, VerticalAlignment::kCenter);
  EXPECT_EQ(book.GetFormat(1, 3, 2)->vertical, VerticalAlignment::kBottom);
  ASSERT_TRUE(book.CopyFormat(1, 1, 1, CellRange::Area(1, 5, 1, 6)).ok());
  EXPECT_EQ(*book.GetFormat(1, 1, 6), *book.GetFormat(1, 1, 1));
  // Formatted empty cells do not count as filled.
  EXPECT_EQ(*book.LastFilledRow(1), 500);
  ASSERT_TRUE(book.SetAlignment(1, CellRange::Area(900, 1, 900, 1), {}).ok());
  EXPECT_EQ(*book.LastFilledRow(1), 500);
}

TEST(MemoryWorkbookTest, SortRowsPutsNaNAfterTheOtherNumbers) {
  MemoryWorkbook book;
  const double values[] = {3, std::nan(""), 1, std::nan(""), 2};
  for (int r = 1; r <= 5; ++r) {
    ASSERT_TRUE(book.SetCell(1, r, 1, T(std::to_string(r).c_str())).ok());
    ASSERT_TRUE(book.SetCell(1, r, 2, N(values[r - 1])).ok());
  }
  ASSERT_TRUE(book.SortRows(1, 2).ok());
  EXPECT_EQ(ColumnA(book, 1), "3,5,1,2,4");
}

TEST(MemoryWorkbookTest, SortRowsIsStableWithNumbersFirstAndEmptyLast) {
  MemoryWorkbook book;
  const struct {
    const char* a;
    CellValue b;
  } rows[] = {{"r1", T("か")}, {"r2", CellValue::Empty()},
              {"r3", T("あ")}, {"r4", N(5)},
              {"r5", T("か")}, {"r6", N(2)},
              {"r7", T("あ")}, {"r8", T("か")}};
  int r = 1;
  for (const auto& row : rows) {
    ASSERT_TRUE(book.SetCell(1, r, 1, T(row.a)).ok());
    ASSERT_TRUE(book.SetCell(1, r, 2, row.b).ok());
    ++r;
  }
  ASSERT_TRUE(book.SortRows(1, 2).ok());
  // Equal readings keep their order.
  EXPECT_EQ(ColumnA(book, 1), "r6,r4,r3,r7,r1,r5,r8,r2");
}

// As Excel does, a read-only workbook and a folder are not replaced; the cause is said in
// Japanese and the file stays as it was.
TEST(MemoryWorkbookTest, SaveAsRefusesReadOnlyFilesAndFolders) {
  namespace fs = std::filesystem;
  const std::string folder = JoinPath(MIRUNE_BINARY_DIR, "memory_workbook_save_as");
  ASSERT_TRUE(CreateFolder(folder).ok());
  const std::string locked = JoinPath(folder, "読み取り 専用.xls");
  const fs::path locked_path(std::u8string(locked.begin(), locked.end()));
  std::error_code ec;
  fs::permissions(locked_path, fs::perms::owner_write, fs::perm_options::add, ec);  // earlier run
  ASSERT_TRUE(WriteFileAtomic(locked, "previous").ok());
  fs::permissions(locked_path, fs::perms::owner_write, fs::perm_options::remove);
  EXPECT_TRUE(IsReadOnlyFile(locked));

  MemoryWorkbook book;
  ASSERT_TRUE(book.SetCell(book.ActiveSheet(), 1, 1, T("索引")).ok());
  const Status refused = book.SaveAs(locked);
  fs::permissions(locked_path, fs::perms::owner_write, fs::perm_options::add);
  EXPECT_EQ(refused.code(), ErrorCode::kIoError);
  EXPECT_EQ(refused.message(), locked + " を置き換えられません: 読み取り専用のファイルです");
  EXPECT_EQ(*ReadFileBytes(locked), "previous");
  EXPECT_FALSE(IsReadOnlyFile(locked));

  const std::string sub = JoinPath(folder, "Razoza.xls");
  ASSERT_TRUE(CreateFolder(sub).ok());
  EXPECT_EQ(book.SaveAs(sub).message(),
            sub + " を置き換えられません: 同じ名前のフォルダーがあります");
  EXPECT_TRUE(FolderExists(sub));

  const Status saved = book.SaveAs(locked);
  EXPECT_TRUE(saved.ok()) << saved.message();
  EXPECT_NE(*ReadFileBytes(locked), "previous");
}

}  // namespace
}  // namespace mirune

namespace mirune {
namespace {

TEST(MemoryExcelTest, HandlesShareTheWorkbookAndTheLastOneIsActive) {
  MemoryExcel excel;
  EXPECT_EQ(excel.ActiveWorkbook().code(), ErrorCode::kNotFound);
  auto first = excel.AddWorkbook();
  ASSERT_TRUE(first.ok());
  auto second = excel.AddWorkbook();
  ASSERT_TRUE(second.ok());
  ASSERT_TRUE((*second)->SetCell(1, 1, 1, CellValue::Text("二")).ok());
  auto active = excel.ActiveWorkbook();
  ASSERT_TRUE(active.ok());
  EXPECT_EQ((*active)->GetCell(1, 1, 1)->AsText(), "二");
  // A handle keeps its workbook after the application is gone.
  std::unique_ptr<ExcelWorkbook> kept;
  {
    MemoryExcel other;
    kept = std::move(other.AddWorkbook()).value();
  }
  EXPECT_TRUE(kept->SetCell(1, 1, 1, CellValue::Number(1)).ok());
}

TEST(MemoryExcelTest, BlocksOfCellsAndRowsDeletedTogether) {
  MemoryWorkbook book;
  CellBlock block(3, 2);
  block.at(0, 0) = CellValue::Text("a");
  block.at(1, 1) = CellValue::Number(2);
  block.at(2, 0) = CellValue::Text("c");
  ASSERT_TRUE(book.SetCells(1, 2, 2, block).ok());
  EXPECT_EQ(book.GetCell(1, 2, 2)->AsText(), "a");
  EXPECT_EQ(*book.GetCell(1, 3, 3), CellValue::Number(2));
  Result<CellBlock> read = book.GetCells(1, CellRange::Area(1, 1, 4, 3));
  ASSERT_TRUE(read.ok());
  EXPECT_EQ(read->rows, 4);
  EXPECT_EQ(read->columns, 3);
  EXPECT_TRUE(read->at(0, 0).is_empty());
  EXPECT_EQ(read->at(3, 1).AsText(), "c");
  ASSERT_TRUE(book.DeleteRows(1, 2, 2).ok());
  EXPECT_EQ(book.GetCell(1, 2, 2)->AsText(), "c");
  EXPECT_EQ(*book.LastFilledRow(1), 2);
  EXPECT_EQ(book.GetCells(1, CellRange::Area(2, 2, 1, 1)).code(), ErrorCode::kInvalidArgument);
}

}  // namespace
}  // namespace mirune
