#include "marking/running_excel_keyword_source.h"

#include <gtest/gtest.h>

#include "automation/excel_engine/memory_workbook.h"

namespace mirune {
namespace {

TEST(RunningExcelKeywordSourceTest, ReadsTheActiveWorkbookOfTheRunningExcel) {
  auto keywords = std::make_shared<MemoryWorkbook>();
  ASSERT_TRUE(keywords->SetCell(1, 1, 2, CellValue::Text("索引")).ok());
  bool shown = false;
  int attempts = 0;
  RunningExcelKeywordSource source([&] { return shown; },
                                   [&]() -> Result<std::unique_ptr<ExcelApplication>> {
                                     ++attempts;
                                     auto excel = std::make_unique<MemoryExcel>();
                                     excel->Adopt(keywords);
                                     return std::unique_ptr<ExcelApplication>(std::move(excel));
                                   });
  Status check = source.CheckKeywordWorkbookShown();
  EXPECT_EQ(check.code(), ErrorCode::kNotFound);
  EXPECT_EQ(check.message(), "Keyword.xls を表示している Excel のウィンドウがありません");
  shown = true;
  ASSERT_TRUE(source.CheckKeywordWorkbookShown().ok());
  Result<ExcelWorkbook*> book = source.AttachActiveWorkbook();
  ASSERT_TRUE(book.ok()) << book.message();
  EXPECT_EQ((*book)->GetCell(1, 1, 2)->AsText(), "索引");
  EXPECT_EQ(attempts, 1);
}

TEST(RunningExcelKeywordSourceTest, AnExcelWithoutWorkbooksIsAFailedAttempt) {
  RunningExcelKeywordSource source([] { return true; },
                                   []() -> Result<std::unique_ptr<ExcelApplication>> {
                                     return std::unique_ptr<ExcelApplication>(new MemoryExcel());
                                   });
  Result<ExcelWorkbook*> book = source.AttachActiveWorkbook();
  EXPECT_EQ(book.code(), ErrorCode::kNotFound);
  EXPECT_EQ(book.message(), "Excel で開いているブックがありません。");
}

// With two Excel windows shown, a failed attempt says that only the first Excel is reached.
TEST(RunningExcelKeywordSourceTest, SeveralExcelInstancesAreNamedInAFailure) {
  for (const int instances : {1, 2}) {
    RunningExcelKeywordSource source([] { return true; },
                                     []() -> Result<std::unique_ptr<ExcelApplication>> {
                                       return std::unique_ptr<ExcelApplication>(new MemoryExcel());
                                     },
                                     [instances] { return instances; });
    Result<ExcelWorkbook*> book = source.AttachActiveWorkbook();
    EXPECT_EQ(book.code(), ErrorCode::kNotFound);
    EXPECT_EQ(book.message().find("Excel が 2 個起動しています") != std::string::npos,
              instances == 2)
        << book.message();
  }
}

}  // namespace
}  // namespace mirune
