#include "app/index_launch.h"

#include <gtest/gtest.h>

#include <filesystem>

#include "automation/excel_engine/memory_workbook.h"
#include "automation/excel_engine/xls/xls_reader.h"
#include "base/file.h"
#include "base/path.h"
#include "workbook/index_output.h"
#include "workbook/razoza_workbook.h"

namespace mirune {
namespace {

std::string Folder() {
  const std::string dir = JoinPath(MIRUNE_BINARY_DIR, "index_launch_test");
  std::filesystem::create_directories(dir);
  return dir;
}

// From entry lines through the workbook (and its re-sort) to the three outputs: AfterSort is
// read when there, its rows' corrections are the source, and the input is never written.
TEST(IndexLaunchTest, FromTheCorrectedWorkbook) {
  const std::string xls = JoinPath(Folder(), "Razoza.xls");
  ASSERT_TRUE(WriteRazozaXls("索引\tさくいん\t12\n読み\tよみ\t3\n索引\tさくいん\t13\n"
                             "索引\tさくいん\t14\n和紙\tわし\tiv\n",
                             xls)
                  .ok());
  const auto before = ReadFileBytes(xls);
  MemoryExcel excel;
  IndexRequest request;
  request.input = xls;
  IndexLaunchResult result = LaunchIndex(excel, request);
  ASSERT_TRUE(result.cause.ok()) << result.cause.message();
  EXPECT_EQ(result.sheet, "Sort_Syori1");
  const std::string base = JoinPath(Folder(), "Razoza-索引");
  // The text, the tagged text, the IDML (in builds with IDML: index_idml_test) and the copy.
  ASSERT_GE(result.written.size(), 3u);
  EXPECT_EQ(result.written.front(), base + ".txt");
  EXPECT_EQ(result.written[1], base + "-tagged.txt");
  EXPECT_EQ(result.written.back(), base + ".xls");
  EXPECT_EQ(*ReadFileBytes(base + ".txt"),
            "さ行\r\n索引\t12–14\r\nや行\r\n読み\t3\r\nわ行\r\n和紙\tiv\r\n");
  EXPECT_EQ(*ReadFileBytes(xls), *before);
  auto written = OpenXlsWorkbook(base + ".xls");
  ASSERT_TRUE(written.ok()) << written.message();
  const int sheet = *(*written)->FindSheet(kIndexSheet);
  EXPECT_EQ((*written)->GetCell(sheet, 2, 1)->AsText(), "索引");
  EXPECT_EQ((*written)->GetCell(sheet, 2, 2)->AsText(), "12–14");
  EXPECT_EQ((*written)->ActiveSheet(), 1);

  // A sheet that is not there is named; so is an output that would be the input.
  request.sheet = "AfterSort";
  result = LaunchIndex(excel, request);
  EXPECT_NE(result.cause.message().find("シート「AfterSort」がありません"), std::string::npos);
  request.sheet.clear();
  request.base = JoinPath(Folder(), "Razoza");
  result = LaunchIndex(excel, request);
  EXPECT_NE(result.cause.message().find("入力と同じファイル"), std::string::npos);
  EXPECT_EQ(*ReadFileBytes(xls), *before);
}

// One index per mark: the marks travel from the entries to the sheet "マーク" and split the
// corrected rows; a workbook of one mark gives one index and says so.
TEST(IndexLaunchTest, OneIndexPerMark) {
  const std::string xls = JoinPath(Folder(), "marks.xls");
  const std::string entries =
      "索引\tさくいん\t12\n鈴木\tすずき\t3\n索引\tさくいん\t13\n鈴木\tすずき\t4\n";
  const std::vector<EntryMark> marks = {
      {"索引", "12", 1}, {"鈴木", "3", 2}, {"索引", "13", 2}, {"鈴木", "4", 2}};
  ASSERT_TRUE(WriteRazozaXls(entries, xls, {}, {}, marks).ok());
  MemoryExcel excel;
  IndexRequest request;
  request.input = xls;
  request.by_mark = true;
  const IndexLaunchResult result = LaunchIndex(excel, request);
  ASSERT_TRUE(result.cause.ok()) << result.cause.message();
  EXPECT_EQ(result.marks, (std::vector<int>{1, 2}));
  EXPECT_TRUE(result.note.empty()) << result.note;
  const std::string base = JoinPath(Folder(), "marks-索引");
  EXPECT_EQ(*ReadFileBytes(base + "-1.txt"), "さ行\r\n索引\t12\r\n");
  EXPECT_EQ(*ReadFileBytes(base + "-2.txt"), "さ行\r\n索引\t13\r\n鈴木\t3、4\r\n");
  auto written = OpenXlsWorkbook(base + ".xls");
  ASSERT_TRUE(written.ok());
  EXPECT_TRUE((*written)->FindSheet("索引1").ok());
  EXPECT_TRUE((*written)->FindSheet("索引2").ok());

  // One mark only: no sheet of marks, one index, and the note.
  const std::string single = JoinPath(Folder(), "single.xls");
  ASSERT_TRUE(WriteRazozaXls(entries, single, {}, {}, {{"索引", "12", 1}, {"鈴木", "3", 1}}).ok());
  request.input = single;
  const IndexLaunchResult one = LaunchIndex(excel, request);
  ASSERT_TRUE(one.cause.ok()) << one.cause.message();
  EXPECT_TRUE(one.marks.empty());
  EXPECT_NE(one.note.find("索引を 1 つだけ作りました"), std::string::npos);
  EXPECT_TRUE(FileExists(JoinPath(Folder(), "single-索引.txt")));
}

// The outputs are one set: a failure at the last of them (a folder named BASE.xls) leaves the
// previous outputs as they were, never new ones beside old ones.
TEST(IndexLaunchTest, OutputsAreReplacedTogetherOrNotAtAll) {
  const std::string dir = JoinPath(Folder(), "set");
  std::filesystem::remove_all(dir);
  std::filesystem::create_directories(dir);
  const std::string xls = JoinPath(dir, "Razoza.xls");
  ASSERT_TRUE(WriteRazozaXls("索引\tさくいん\t12\n", xls).ok());
  const std::string base = JoinPath(dir, "idx");
  ASSERT_TRUE(WriteFileAtomic(base + ".txt", "previous txt").ok());
  ASSERT_TRUE(CreateFolder(base + ".xls").ok());
  MemoryExcel excel;
  IndexRequest request;
  request.input = xls;
  request.base = base;
  const IndexLaunchResult result = LaunchIndex(excel, request);
  ASSERT_FALSE(result.cause.ok());
  EXPECT_NE(result.cause.message().find(base + ".xls"), std::string::npos)
      << result.cause.message();
  EXPECT_TRUE(result.written.empty());
  EXPECT_EQ(*ReadFileBytes(base + ".txt"), "previous txt");
  EXPECT_FALSE(FileExists(base + "-tagged.txt"));
  EXPECT_FALSE(FileExists(base + ".idml"));
  std::vector<std::string> names;
  for (const FolderEntry& e : *ListFolder(dir)) names.push_back(e.name);
  EXPECT_EQ(names, (std::vector<std::string>{"Razoza.xls", "idx.txt", "idx.xls"}));
}

// A separator or range mark with a line break (or another control character) would break the
// index's lines: refused before anything is read or written.
TEST(IndexLaunchTest, LineBreaksInTheSeparatorsAreRefused) {
  const std::string xls = JoinPath(Folder(), "separators.xls");
  ASSERT_TRUE(WriteRazozaXls("索引\tさくいん\t12\n", xls).ok());
  ASSERT_TRUE(RemoveFile(JoinPath(Folder(), "separators-out.txt")).ok());
  MemoryExcel excel;
  for (const char* bad : {"\r\n", "\n", "、\r", "\t"}) {
    IndexRequest request;
    request.input = xls;
    request.base = JoinPath(Folder(), "separators-out");
    request.options.page_separator = bad;
    IndexLaunchResult result = LaunchIndex(excel, request);
    ASSERT_FALSE(result.cause.ok());
    EXPECT_EQ(result.cause.message().rfind("ページの区切りに", 0), 0u) << result.cause.message();
    request.options.page_separator = "、";
    request.options.range_mark = bad;
    result = LaunchIndex(excel, request);
    ASSERT_FALSE(result.cause.ok());
    EXPECT_EQ(result.cause.message().rfind("範囲の記号に", 0), 0u) << result.cause.message();
    EXPECT_FALSE(FileExists(request.base + ".txt"));
  }
}

// Truth and error values that formulas show in the page column are no pages: left out, named
// in the note.
TEST(IndexLaunchTest, FormulaValuesAreNoPages) {
  const std::string xls = JoinPath(Folder(), "formulas.xls");
  ASSERT_TRUE(WriteRazozaXls("索引\tさくいん\t12\n和紙\tわし\t3\n", xls).ok());
  {
    MemoryExcel excel;
    auto book = excel.OpenWorkbook(xls);
    ASSERT_TRUE(book.ok());
    const int sheet = *(*book)->FindSheet(kSortSyoriSheet);
    // As the reader gives formula results: 12,#REF! and TRUE.
    ASSERT_TRUE((*book)->SetCell(sheet, 1, 3, CellValue::Text("12,#REF!")).ok());
    ASSERT_TRUE((*book)->SetCell(sheet, 2, 3, CellValue::Text("TRUE")).ok());
    ASSERT_TRUE((*book)->SaveAs(xls).ok());
  }
  MemoryExcel excel;
  IndexRequest request;
  request.input = xls;
  const IndexLaunchResult result = LaunchIndex(excel, request);
  ASSERT_TRUE(result.cause.ok()) << result.cause.message();
  const std::string base = JoinPath(Folder(), "formulas-索引");
  EXPECT_EQ(*ReadFileBytes(base + ".txt"), "さ行\r\n索引\t12\r\nわ行\r\n和紙\t\r\n");
  EXPECT_NE(result.note.find("ページではない値"), std::string::npos) << result.note;
  EXPECT_NE(result.note.find("「索引」の #REF!"), std::string::npos) << result.note;
  EXPECT_NE(result.note.find("「和紙」の TRUE"), std::string::npos) << result.note;
}

}  // namespace
}  // namespace mirune
