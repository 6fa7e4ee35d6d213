// The Excel client against the test server's application object in the same process: the
// contract of the Excel interface, what the client sends (text prefix, alerts), how many calls
// the workbook jobs cost, and the failures in Japanese.

#include "automation/com/excel_client_win.h"

#include <gtest/gtest.h>

#include "automation/com/testing/excel_dispatch_win.h"
#include "workbook/entry_rows.h"
#include "workbook/razoza_workbook.h"
#include "workbook/testing/excel_contract.h"

namespace mirune::com {
namespace {

// Also with the clipboard held by another program: the client copies formats without it.
INSTANTIATE_TEST_SUITE_P(
    InProcess, ExcelContractTest,
    ::testing::Values(
        ExcelContractParam{"client_in_process",
                           [] { return std::make_unique<ExcelClient>(MakeExcelDispatch({})); }},
        ExcelContractParam{"client_clipboard_busy",
                           [] {
                             ExcelServerHooks hooks;
                             hooks.clipboard_busy = true;
                             return std::make_unique<ExcelClient>(MakeExcelDispatch(hooks));
                           }}),
    ExcelContractName);

int32_t Calls(ExcelClient& excel) {
  Result<UniqueVariant> calls = excel.application().Call("TestCalls");
  return calls.ok() ? VariantToInt32(calls->get()).value() : -1;
}

std::string EntryText(int terms, int occurrences) {
  std::string text;
  for (int o = 0; o < occurrences; ++o) {
    for (int t = 0; t < terms; ++t) {
      text += "語" + std::to_string(t) + "\tご" + std::to_string(t) + "\t" +
              std::to_string(o * 10 + 1) + "\n";
    }
  }
  return text;
}

TEST(ExcelClientTest, TheResortCostsAFewCallsNotOnePerRow) {
  // 3,000 rows of 1,000 terms: the folding reads the sheet in one call and deletes the 2,000
  // rows of the further occurrences in a few calls of many areas each.
  ExcelClient excel(MakeExcelDispatch({}));
  auto book = excel.AddWorkbook();
  ASSERT_TRUE(book.ok()) << book.message();
  Result<std::vector<EntryRow>> rows = ParseEntryRows(EntryText(1000, 3));
  ASSERT_TRUE(rows.ok());
  ASSERT_TRUE(BuildRazozaWorkbook(**book, *rows).ok());
  const int32_t before = Calls(excel);
  Status sorted = ResortRazozaWorkbook(**book);
  ASSERT_TRUE(sorted.ok()) << sorted.message();
  const int32_t calls = Calls(excel) - before;
  EXPECT_LT(calls, 200) << calls;
  EXPECT_EQ(*(*book)->LastFilledRow(2), 1000);
}

// A workbook open in Protected View is not the active workbook: the cause says so, and what
// to do; with nothing open the cause stays that nothing is open.
TEST(ExcelClientTest, AWorkbookInProtectedViewIsNamedAsTheCause) {
  ExcelServerHooks hooks;
  hooks.protected_view = true;
  ExcelClient excel(MakeExcelDispatch(hooks));
  Result<std::unique_ptr<ExcelWorkbook>> none = excel.ActiveWorkbook();
  EXPECT_EQ(none.code(), ErrorCode::kNotFound);
  EXPECT_EQ(none.message(), "Excel で開いているブックがありません。");
  ASSERT_TRUE(excel.AddWorkbook().ok());
  Result<std::unique_ptr<ExcelWorkbook>> active = excel.ActiveWorkbook();
  EXPECT_EQ(active.code(), ErrorCode::kNotFound);
  EXPECT_NE(active.message().find("保護ビュー"), std::string::npos) << active.message();
}

TEST(ExcelClientTest, DeletingASheetNeverPromptsAndPutsTheAlertsBack) {
  // The test server fails a sheet's Delete while alerts are on, as a prompt nobody answers.
  ExcelClient excel(MakeExcelDispatch({}));
  auto book = excel.AddWorkbook();
  ASSERT_TRUE(book.ok());
  ASSERT_TRUE((*book)->AddSheet("Two").ok());
  ASSERT_TRUE(excel.SetDisplayAlerts(true).ok());
  Status deleted = (*book)->DeleteSheet(2);
  ASSERT_TRUE(deleted.ok()) << deleted.message();
  EXPECT_TRUE(excel.application().GetBool("DisplayAlerts").value());
}

TEST(ExcelClientTest, FailuresNameTheMemberAndCarryExcelsText) {
  ExcelClient excel(MakeExcelDispatch({}));
  EXPECT_EQ(excel.ActiveWorkbook().code(), ErrorCode::kNotFound);
  auto book = excel.AddWorkbook();
  ASSERT_TRUE(book.ok());
  Status renamed = (*book)->RenameSheet(1, "a/b");
  ASSERT_FALSE(renamed.ok());
  EXPECT_EQ(renamed.code(), ErrorCode::kHostError);
  EXPECT_EQ(
      renamed.message().rfind(
          "Excel の ActiveWorkbook.Sheets.Item(1).Name(\"a/b\") が失敗しました（0x80020009: ", 0),
      0u)
      << renamed.message();
  EXPECT_EQ((*book)->GetCell(5, 1, 1).code(), ErrorCode::kNotFound);

  // Every call after the next one fails: the job's status says which call.
  ASSERT_TRUE(
      excel.application().Call("TestFailAfter", std::vector<UniqueVariant>{}).status().code() ==
      ErrorCode::kHostError);  // no argument: refused
  const UniqueVariant zero = UniqueVariant::Int32(0);
  ASSERT_TRUE(
      excel.application().Call("TestFailAfter", std::span<const UniqueVariant>(&zero, 1)).ok());
  Status failed = (*book)->SetCell(1, 1, 1, CellValue::Number(1));
  ASSERT_FALSE(failed.ok());
  EXPECT_NE(failed.message().find("試験のために失敗させた呼び出しです"), std::string::npos)
      << failed.message();
}

}  // namespace
}  // namespace mirune::com
