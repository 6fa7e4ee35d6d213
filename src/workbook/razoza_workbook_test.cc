#include "workbook/razoza_workbook.h"

#include <gtest/gtest.h>

#include <cstdio>
#include <cstdlib>
#include <string>

#include "automation/excel_engine/memory_workbook.h"
#include "automation/excel_engine/testing/xls_from_windows.h"
#include "base/file.h"
#include "progress/testing/recording_progress.h"

namespace mirune {
namespace {

// Rows of a sheet as "A|B|C|D…" (trailing empty cells dropped), joined by " / ".
std::string Rows(const ExcelWorkbook& book, std::string_view sheet_name, int columns = 7) {
  const int sheet = *book.FindSheet(sheet_name);
  std::string out;
  const int last = *book.LastFilledRow(sheet);
  for (int r = 1; r <= last; ++r) {
    std::string row;
    int filled = 0;
    for (int c = 1; c <= columns; ++c) {
      const std::string text = book.GetCell(sheet, r, c)->AsText();
      if (!text.empty()) filled = c;
    }
    for (int c = 1; c <= filled; ++c) {
      if (c > 1) row += "|";
      row += book.GetCell(sheet, r, c)->AsText();
    }
    out += (r > 1 ? " / " : "") + row;
  }
  return out;
}

std::unique_ptr<MemoryWorkbook> Build(const std::string& text, int32_t* count = nullptr) {
  auto rows = ParseEntryRows(text);
  EXPECT_TRUE(rows.ok()) << rows.message();
  auto book = std::make_unique<MemoryWorkbook>();
  auto n = BuildRazozaWorkbook(*book, *rows);
  EXPECT_TRUE(n.ok()) << n.message();
  if (count != nullptr && n.ok()) *count = *n;
  return book;
}

// The folding cases run for every implementation of the Excel interface:
// ExcelContractTest.FoldingAndPageLists (workbook/testing/excel_contract.cc).

TEST(RazozaWorkbookTest, SheetsTypesAndFormats) {
  int32_t n = 0;
  auto book = Build("123\t１２３\t12\n索引\tさくいん\t\n索引\tさくいん\t15\n", &n);
  EXPECT_EQ(n, 3);
  ASSERT_EQ(book->SheetCount(), 3);
  EXPECT_EQ(*book->SheetName(1), "Org");
  EXPECT_EQ(*book->SheetName(2), "Sort_Only");
  EXPECT_EQ(*book->SheetName(3), "Sort_Syori1");
  EXPECT_EQ(book->ActiveSheet(), 1);
  // Org: term and reading text, page a number.
  EXPECT_EQ(*book->GetCell(1, 1, 1), CellValue::Text("123"));
  EXPECT_EQ(*book->GetCell(1, 1, 3), CellValue::Number(12));
  EXPECT_TRUE(book->GetCell(1, 2, 3)->is_empty());
  EXPECT_EQ(*book->ColumnWidth(1, 1), 30);
  EXPECT_EQ(*book->ColumnWidth(1, 2), 40);
  EXPECT_EQ(*book->ColumnWidth(1, 3), 4);
  EXPECT_EQ(*book->ColumnWidth(1, 26), 4);
  const CellFormat a1 = *book->GetFormat(1, 1, 1);
  EXPECT_EQ(a1.font_name, "ＭＳ 明朝");
  EXPECT_EQ(a1.vertical, VerticalAlignment::kCenter);
  const CellFormat z3 = *book->GetFormat(1, 3, 26);
  EXPECT_EQ(z3.font_name, "ＭＳ 明朝");
  EXPECT_EQ(z3.number_format, "General");
  EXPECT_EQ(z3.vertical, VerticalAlignment::kCenter);
  // Sort_Syori1: the page list is text in an inserted column of width 30 with format "@".
  EXPECT_EQ(*book->GetCell(3, 1, 3), CellValue::Text("12"));
  EXPECT_EQ(*book->GetCell(3, 2, 3), CellValue::Text("15"));
  EXPECT_EQ(*book->ColumnWidth(3, 3), 30);
  EXPECT_EQ(*book->ColumnWidth(3, 4), 4);
  EXPECT_EQ(book->GetFormat(3, 1, 3)->number_format, "@");
  EXPECT_EQ(book->GetFormat(3, 100, 3)->number_format, "@");
  for (int c = 4; c <= 27; ++c) EXPECT_TRUE(book->GetCell(3, 2, c)->is_empty()) << c;
}

TEST(RazozaWorkbookTest, SortOrder) {
  // Readings in the order the sort must give them (each distinct at the primary or
  // secondary level on both platforms; the finer points are the collation's own tests).
  const char* ordered[] = {
      "1", "a", "あい", "あお", "か", "かき", "がき", "さ", "しゃ", "ん", "漢字よみ★読み再確認★"};
  std::string text;
  for (int i = static_cast<int>(std::size(ordered)) - 1; i >= 0; --i) {
    text +=
        std::string("t") + std::to_string(i) + "\t" + ordered[i] + "\t" + std::to_string(i) + "\n";
  }
  auto book = Build(text);
  for (size_t i = 0; i < std::size(ordered); ++i) {
    EXPECT_EQ(book->GetCell(2, static_cast<int>(i + 1), 2)->AsText(), ordered[i]);
  }
}

TEST(RazozaWorkbookTest, SortIsStable) {
  // Equal readings keep the order of appearance; the terms differ so nothing folds.
  std::string text;
  // Appended piece by piece: "t" + std::to_string(i) draws a false -Wrestrict from the
  // mingw-w64 GCC 12 at -O2.
  for (int i = 0; i < 50; ++i) {
    text.append("t").append(std::to_string(i)).append("\tおなじ\t");
    text.append(std::to_string(i + 1)).append("\n");
  }
  text += "前\tあ\t99\n";
  auto book = Build(text);
  EXPECT_EQ(book->GetCell(2, 1, 1)->AsText(), "前");
  for (int i = 0; i < 50; ++i) {
    EXPECT_EQ(book->GetCell(2, i + 2, 1)->AsText(), std::string("t").append(std::to_string(i)));
    EXPECT_EQ(book->GetCell(3, i + 2, 3)->AsText(), std::to_string(i + 1));
  }
}

TEST(RazozaWorkbookTest, ProgressSteps) {
  RecordingProgress progress;
  auto rows = ParseEntryRows("a\tあ\t1\n");
  MemoryWorkbook book;
  ASSERT_TRUE(BuildRazozaWorkbook(book, *rows, {&progress, 100}).ok());
  EXPECT_EQ(progress.Values(), (std::vector<int32_t>{60, 70, 80, 90, 100}));
  EXPECT_EQ(progress.updates[0].activity, "索引データ書き出し処理中です... ");
  EXPECT_EQ(progress.yields, 5);
}

TEST(RazozaWorkbookTest, ResortBuildsAfterSortFromCorrectedOrg) {
  // A wrong reading (ほ) keeps the two 語 rows apart until it is corrected on Org.
  auto book = Build("語\tご\t12\n他\tた\t13\n語\tほ\t15\n");
  EXPECT_EQ(Rows(*book, kSortSyoriSheet), "語|ご|12 / 他|た|13 / 語|ほ|15");
  ASSERT_TRUE(book->SetCell(1, 3, 2, CellValue::Text("ご")).ok());
  ASSERT_TRUE(book->AddSheet(std::string(kAfterSortSheet)).ok());  // an older AfterSort
  ASSERT_TRUE(ResortRazozaWorkbook(*book).ok());
  ASSERT_EQ(book->SheetCount(), 4);
  EXPECT_EQ(*book->SheetName(2), "AfterSort");
  EXPECT_EQ(book->ActiveSheet(), 2);
  EXPECT_EQ(Rows(*book, kAfterSortSheet), "語|ご|12,15 / 他|た|13");
  // The other sheets are unchanged.
  EXPECT_EQ(Rows(*book, kSortSyoriSheet), "語|ご|12 / 他|た|13 / 語|ほ|15");
  EXPECT_EQ(Rows(*book, kOrgSheet), "語|ご|12 / 他|た|13 / 語|ご|15");
  // Again: still one AfterSort, in second position.
  ASSERT_TRUE(ResortRazozaWorkbook(*book).ok());
  EXPECT_EQ(book->SheetCount(), 4);
  EXPECT_EQ(*book->SheetName(2), "AfterSort");
}

TEST(RazozaWorkbookTest, ResortWithoutOrgChangesNothing) {
  MemoryWorkbook book;
  ASSERT_TRUE(book.AddSheet("AfterSort").ok());
  EXPECT_EQ(ResortRazozaWorkbook(book).code(), ErrorCode::kNotFound);
  EXPECT_EQ(book.SheetCount(), 2);
}

TEST(RazozaWorkbookTest, PageCellsOfEveryKindFold) {
  // A re-sort reads pages the user may have typed: text digits are numbers, other text and
  // other numbers are the page names they show; none fails the fold.
  MemoryWorkbook book;
  const CellValue pages[] = {CellValue::Text("12"),  CellValue::Number(12), CellValue::Text("p.3"),
                             CellValue::Number(2.5), CellValue::Empty(),    CellValue::Text("p.3")};
  int row = 1;
  for (const CellValue& page : pages) {
    ASSERT_TRUE(book.SetCell(1, row, 1, CellValue::Text("語")).ok());
    ASSERT_TRUE(book.SetCell(1, row, 3, page).ok());
    ++row;
  }
  auto lists = MergeSameTerms(book, 1);
  ASSERT_TRUE(lists.ok()) << lists.message();
  // Listed as the index lists them: page names first in their order, then the numbers
  // ascending, each once.
  EXPECT_EQ(*lists, (PageLists{{"p.3", "2.5", "12"}}));
  ASSERT_TRUE(JoinPageList(book, 1, *lists).ok());
  EXPECT_EQ(Rows(book, "Sheet1"), "語||p.3,2.5,12");
}

TEST(RazozaWorkbookTest, OrgHoldsPageNumbersAsNumbersAndPageNamesAsText) {
  auto book = Build(
      "a\ta\t0012\nb\tb\tiv\nc\tc\tA-3\nd\td\t123456789012345\n"
      "e\te\t1234567890123456\nf\tf\t１２\n");
  EXPECT_EQ(*book->GetCell(1, 1, 3), CellValue::Number(12));
  EXPECT_EQ(*book->GetCell(1, 2, 3), CellValue::Text("iv"));
  EXPECT_EQ(*book->GetCell(1, 3, 3), CellValue::Text("A-3"));
  EXPECT_EQ(*book->GetCell(1, 4, 3), CellValue::Number(123456789012345.0));
  EXPECT_EQ(*book->GetCell(1, 5, 3), CellValue::Text("1234567890123456"));
  EXPECT_EQ(*book->GetCell(1, 6, 3), CellValue::Text("１２"));
}

TEST(RazozaWorkbookTest, ATermOnAThousandPagesFoldsIntoOneRow) {
  // Past 253 pages the extra columns of the sheet would run out; the pages are held in
  // memory instead.
  std::string text;
  std::string want = "和紙|わし|";
  for (int page = 1; page <= 1000; ++page) {
    text.append("和紙\tわし\t").append(std::to_string(page)).append("\n");
    if (page > 1) want += ',';
    want += std::to_string(page);
  }
  int32_t n = 0;
  auto book = Build(text, &n);
  EXPECT_EQ(n, 1000);
  EXPECT_EQ(Rows(*book, kSortSyoriSheet), want);
  const std::string path = JoinPath(MIRUNE_BINARY_DIR, "workbook_test_thousand_pages.xls");
  auto written = WriteRazozaXls(text, path);
  ASSERT_TRUE(written.ok()) << written.message();
  MemoryExcel excel;
  auto reread = excel.OpenWorkbook(path);
  ASSERT_TRUE(reread.ok()) << reread.message();
  ASSERT_TRUE(ResortRazozaWorkbook(**reread).ok());
  EXPECT_EQ(*(*reread)->LastFilledRow((*reread)->ActiveSheet()), 1);
  (void)RemoveFile(path);
}

TEST(RazozaWorkbookTest, APageListLongerThanACellFailsNamingTheTerm) {
  std::string text;
  for (int page = 1; page <= 6000; ++page) {
    text.append("和紙\tわし\t").append(std::to_string(100000 + page)).append("\n");
  }
  auto rows = ParseEntryRows(text);
  ASSERT_TRUE(rows.ok());
  MemoryWorkbook book;
  auto n = BuildRazozaWorkbook(book, *rows);
  ASSERT_FALSE(n.ok());
  EXPECT_EQ(n.code(), ErrorCode::kOverflow);
  EXPECT_NE(n.message().find("語句「和紙」"), std::string::npos) << n.message();
}

TEST(RazozaWorkbookTest, ControlCharactersLeaveTheEntries) {
  using namespace std::string_literals;
  auto book = Build(
      "和\0紙\tわ\x1bし\t1\x7f"
      "2\n和紙\tわし\t13\n"s);
  EXPECT_EQ(Rows(*book, kOrgSheet), "和紙|わし|12 / 和紙|わし|13");
  EXPECT_EQ(Rows(*book, kSortSyoriSheet), "和紙|わし|12,13");

  // Rows built elsewhere are cleaned when written.
  MemoryWorkbook direct;
  std::vector<EntryRow> rows(1);
  rows[0].term =
      "a\x01"
      "b";
  rows[0].reading = "\xc2\x85x";
  rows[0].page = PageField::FromName("7");
  ASSERT_TRUE(BuildRazozaWorkbook(direct, rows).ok());
  EXPECT_EQ(Rows(direct, kOrgSheet), "ab|x|7");

  // A user's Org with control characters: AfterSort holds the entries without them, and
  // the terms that differed only by them fold.
  ASSERT_TRUE(book->SetCell(1, 2, 1, CellValue::Text("和紙\x07")).ok());
  ASSERT_TRUE(book->SetCell(1, 2, 3,
                            CellValue::Text("\x1b"
                                            "14"))
                  .ok());
  ASSERT_TRUE(ResortRazozaWorkbook(*book).ok());
  EXPECT_EQ(Rows(*book, kAfterSortSheet), "和紙|わし|12,14");
}

TEST(RazozaWorkbookTest, WriteRazozaXlsSavesAndReplaces) {
  const std::string path = JoinPath(MIRUNE_BINARY_DIR, "workbook_test_Razoza.xls");
  ASSERT_TRUE(WriteFileAtomic(path, "old").ok());
  auto n = WriteRazozaXls("索引\tさくいん\t12\n索引\tさくいん\t15\n", path);
  ASSERT_TRUE(n.ok()) << n.message();
  EXPECT_EQ(*n, 2);
  auto bytes = ReadFileBytes(path);
  ASSERT_TRUE(bytes.ok());
  EXPECT_EQ(bytes->substr(0, 4), "\xD0\xCF\x11\xE0");
  // Too many entries: an error, and the previous file stays.
  std::string big;
  for (int i = 0; i < 65537; ++i) big += "a\tb\t1\n";
  auto fail = WriteRazozaXls(big, path);
  EXPECT_EQ(fail.code(), ErrorCode::kOverflow);
  EXPECT_EQ(*ReadFileBytes(path), *bytes);
  EXPECT_EQ(WriteRazozaXls("", path).code(), ErrorCode::kInvalidArgument);
}

// The saved workbook read back has every sheet's cells as built.
TEST(RazozaWorkbookTest, SavedWorkbookReadsBackAndResortsIntoANewFile) {
  const std::string text =
      "索引\tさくいん\t12\n𠮷野\tよしの\t3\n索引\tさくいん\t\n123\t456\t15\n索引\tさくいん\t15\n";
  const std::string path = JoinPath(MIRUNE_BINARY_DIR, "workbook_test_roundtrip.xls");
  ASSERT_TRUE(WriteRazozaXls(text, path).ok());
  auto built = Build(text);
  auto read = OpenXlsWorkbook(path);
  ASSERT_TRUE(read.ok()) << read.message();
  const MemoryWorkbook& back = **read;
  // The three index sheets, then the (empty) sheet of readings to check.
  ASSERT_EQ(back.SheetCount(), 4);
  EXPECT_EQ(*back.SheetName(4), "読み確認");
  EXPECT_EQ(*back.LastFilledRow(4), 1);
  EXPECT_EQ(back.ActiveSheet(), 1);
  for (int s = 1; s <= 3; ++s) {
    EXPECT_EQ(*back.SheetName(s), *built->SheetName(s));
    EXPECT_EQ(*back.LastFilledRow(s), *built->LastFilledRow(s));
    for (int r = 1; r <= *built->LastFilledRow(s); ++r) {
      for (int c = 1; c <= 27; ++c) {
        EXPECT_EQ(*back.GetCell(s, r, c), *built->GetCell(s, r, c)) << s << " " << r << " " << c;
      }
    }
  }

  // The re-sort of the saved workbook, saved again and read back.
  MemoryExcel excel;
  auto reread = excel.OpenWorkbook(path);
  ASSERT_TRUE(reread.ok()) << reread.message();
  ASSERT_TRUE(ResortRazozaWorkbook(**reread).ok());
  EXPECT_EQ(*(*reread)->LastFilledRow((*reread)->ActiveSheet()), 3);
  const std::string resorted = JoinPath(MIRUNE_BINARY_DIR, "workbook_test_resorted.xls");
  ASSERT_TRUE((*reread)->SaveAs(resorted).ok());
  auto out = OpenXlsWorkbook(resorted);
  ASSERT_TRUE(out.ok());
  EXPECT_EQ(*(*out)->SheetName(2), "AfterSort");
  EXPECT_EQ(Rows(**out, kAfterSortSheet), Rows(*built, kSortSyoriSheet));
  // The layout comes along: widths, font, the page list's text format.
  const int after = *(*out)->FindSheet(kAfterSortSheet);
  EXPECT_EQ(*(*out)->ColumnWidth(after, 1), 30);
  EXPECT_EQ(*(*out)->ColumnWidth(after, 3), 30);
  EXPECT_EQ(*(*out)->ColumnWidth(after, 4), 4);
  EXPECT_EQ((*out)->GetFormat(after, 1, 1)->font_name, "ＭＳ 明朝");
  EXPECT_EQ((*out)->GetFormat(after, 1, 3)->number_format, "@");
  for (std::string_view name : {kOrgSheet, kSortOnlySheet, kSortSyoriSheet}) {
    EXPECT_EQ(Rows(**out, name), Rows(*built, name)) << name;
  }
}

// The whole written workbook, as python3-xlrd reads it (cells, widths, formats of every
// sheet), against the golden dump. The Windows build has no xlrd: there the workbook and
// the golden dump are left for the check workbook_test_xlrd, which reads the file on the
// Linux side.
TEST(RazozaWorkbookTest, GoldenWorkbookThroughXlrd) {
  const std::string data = MIRUNE_SOURCE_DIR "/tests/data/workbook/";
#ifndef _WIN32
  if (std::system("/usr/bin/python3 -c 'import xlrd' >/dev/null 2>&1") != 0) {
    GTEST_SKIP() << "python3-xlrd is not available";
  }
#endif
  auto text = ReadFileBytes(data + "entries.txt");
  ASSERT_TRUE(text.ok());
  const std::string path = JoinPath(MIRUNE_BINARY_DIR, "workbook_test_golden.xls");
  // Readings to check: candidates, several pages (one not a number), several causes.
  const std::vector<ReadingCheck> checks = {
      {"正倉院", "しょうそういん", {{"しょうぞういん"}, kDoubtSeveralReadings}, {"1", "12", "iv"}},
      {"文房四宝", "ぶんぼうよんたから", {{}, kDoubtComposed}, {"3"}},
      {"鬱金",
       "鬱きん★読み再確認★",
       {{"うこん"}, std::string(kDoubtSourcesDisagree) + "、" + kDoubtKanjiLeft},
       {}},
  };
  ASSERT_TRUE(WriteRazozaXls(*text, path, {}, checks).ok());
#ifdef _WIN32
  auto golden = ReadFileBytes(data + "razoza.golden.txt");
  ASSERT_TRUE(golden.ok());
  LinuxReaderExpectations expected;
  expected.xlrd_dump = *golden;
  const Status left = LeaveForLinuxReaders("workbook_test", "golden", path, expected);
  EXPECT_TRUE(left.ok()) << left.message();
#else
  const std::string command = "/usr/bin/python3 '" + data + "xls_dump.py' '" + path + "'";
  std::string dump;
  FILE* pipe = popen(command.c_str(), "r");
  ASSERT_NE(pipe, nullptr);
  char buf[65536];
  size_t n;
  while ((n = fread(buf, 1, sizeof buf, pipe)) > 0) dump.append(buf, n);
  ASSERT_EQ(pclose(pipe), 0);
  auto golden = ReadFileBytes(data + "razoza.golden.txt");
  ASSERT_TRUE(golden.ok());
  EXPECT_EQ(dump, *golden);
#endif
}

}  // namespace
}  // namespace mirune
