#include "app/resort_launch.h"

#include <gtest/gtest.h>

#include <string>

#include "automation/excel_engine/memory_workbook.h"
#include "base/file.h"
#include "workbook/razoza_workbook.h"
#include "workbook/resort_messages.h"

#ifndef _WIN32
#include <sys/stat.h>
#include <unistd.h>
#endif

namespace mirune {
namespace {

std::string Work(const std::string& name) {
  const std::string folder = JoinPath(MIRUNE_BINARY_DIR, "resort_launch");
  (void)CreateFolder(folder);
  return JoinPath(folder, name);
}

// A saved Razoza.xls with three entries.
std::string MakeWorkbook(const std::string& name) {
  const std::string path = Work(name);
  EXPECT_TRUE(WriteRazozaXls("索引\tさくいん\t3\n読み\tよみ\t1\n索引\tさくいん\t5\n", path).ok());
  return path;
}

TEST(ResortLaunchTest, WritesBesideTheInputAndLeavesTheInputAlone) {
  const std::string input = MakeWorkbook("Razoza.xls");
  const auto before = ReadFileBytes(input);
  MemoryExcel excel;
  const ResortLaunchResult result = LaunchResort(excel, {input, ""});
  ASSERT_EQ(result.exit, ExitCode::kOk) << result.cause.message();
  EXPECT_EQ(result.output_path, Work("Razoza-resort.xls"));
  EXPECT_EQ(result.after_sort_rows, 2);
  EXPECT_TRUE(result.fixed_text.empty());
  EXPECT_EQ(*ReadFileBytes(input), *before);
  EXPECT_TRUE(FileExists(result.output_path));
}

TEST(ResortLaunchTest, RefusalsNameTheCauseAndKeepTheFixedTextForItsOwnCase) {
  const std::string input = MakeWorkbook("named.xls");
  const std::string no_org = Work("no_org.xls");
  {
    MemoryExcel excel;
    auto book = excel.AddWorkbook();
    ASSERT_TRUE(book.ok());
    ASSERT_TRUE((*book)->RenameSheet(1, "Sheet1").ok());
    ASSERT_TRUE((*book)->SaveAs(no_org).ok());
  }
  const std::string text_file = Work("entries.txt");
  ASSERT_TRUE(WriteFileAtomic(text_file, "索引\tさくいん\t3\n").ok());
  const struct {
    const char* name;
    ResortRequest request;
    const char* cause;  // part of the cause
    bool fixed_text;    // the re-sort's own message goes with it
  } cases[] = {
      {"missing input", {Work("no_such.xls"), ""}, "が見つかりません", false},
      {"output is the input", {input, input}, "入力は書き換えません", false},
      {"output is the input, spelled otherwise",
       {input, Work("../resort_launch/named.xls")},
       "入力は書き換えません",
       false},
      {"no sheet Org", {no_org, ""}, "シート「Org」がありません", true},
      {"not a workbook", {text_file, ""}, "entries.txt", false},
  };
  for (const auto& c : cases) {
    const auto before = ReadFileBytes(c.request.input);
    MemoryExcel excel;
    const ResortLaunchResult result = LaunchResort(excel, c.request);
    EXPECT_EQ(result.exit, ExitCode::kError) << c.name;
    EXPECT_NE(result.cause.message().find(c.cause), std::string::npos)
        << c.name << ": " << result.cause.message();
    EXPECT_EQ(result.fixed_text.empty(), !c.fixed_text) << c.name;
    if (c.fixed_text) {
      EXPECT_EQ(result.fixed_text, kResortFailedMessage) << c.name;
    }
    if (before.ok()) {
      EXPECT_EQ(*ReadFileBytes(c.request.input), *before) << c.name;
    }
  }
}

TEST(ResortLaunchTest, DefaultOutputPath) {
  EXPECT_EQ(DefaultResortPath("Razoza.xls"), "Razoza-resort.xls");
  EXPECT_EQ(DefaultResortPath("/data/RazozaData/Razoza.xls"), "/data/RazozaData/Razoza-resort.xls");
  EXPECT_EQ(DefaultResortPath("C:\\a.b\\Razoza"), "C:\\a.b\\Razoza-resort");
  EXPECT_EQ(DefaultResortPath("dir/.hidden"), "dir/.hidden-resort");
}

#ifndef _WIN32
TEST(ResortLaunchTest, LinksToTheInputAndPipesAreRefused) {
  const std::string input = MakeWorkbook("linked.xls");
  const std::string soft = Work("soft-link.xls");
  const std::string hard = Work("hard-link.xls");
  const std::string fifo = Work("pipe.xls");
  for (const std::string& p : {soft, hard, fifo}) (void)RemoveFile(p);
  ASSERT_EQ(symlink(input.c_str(), soft.c_str()), 0);
  ASSERT_EQ(link(input.c_str(), hard.c_str()), 0);
  ASSERT_EQ(mkfifo(fifo.c_str(), 0600), 0);
  const auto before = ReadFileBytes(input);
  for (const std::string& output : {soft, hard}) {
    MemoryExcel excel;
    const ResortLaunchResult result = LaunchResort(excel, {input, output});
    EXPECT_EQ(result.exit, ExitCode::kError) << output;
    EXPECT_EQ(*ReadFileBytes(input), *before) << output;
  }
  // A pipe would block the read for ever: refused at once.
  MemoryExcel excel;
  const ResortLaunchResult piped = LaunchResort(excel, {fifo, Work("from-pipe.xls")});
  EXPECT_EQ(piped.exit, ExitCode::kError);
  EXPECT_NE(piped.cause.message().find(fifo), std::string::npos) << piped.cause.message();
}
#endif

}  // namespace
}  // namespace mirune
