#include "app/resort_launch.h"

#include <gtest/gtest.h>

#include <filesystem>
#include <string>
#include <utility>
#include <vector>

#include "analysis/reading_memory.h"
#include "analysis/testing/fake_phonetic.h"
#include "app/data_folder.h"
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

// A re-sort that does not learn.
ResortRequest Plain(const std::string& input, const std::string& output) {
  ResortRequest request;
  request.input = input;
  request.output = output;
  request.learn = false;
  return request;
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
  const ResortLaunchResult result = LaunchResort(excel, Plain(input, ""));
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
      {"missing input", Plain(Work("no_such.xls"), ""), "が見つかりません", false},
      {"output is the input", Plain(input, input), "入力は書き換えません", false},
      {"output is the input, spelled otherwise", Plain(input, Work("../resort_launch/named.xls")),
       "入力は書き換えません", false},
      {"no sheet Org", Plain(no_org, ""), "シート「Org」がありません", true},
      {"not a workbook", Plain(text_file, ""), "entries.txt", false},
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

// The machine's readings in tests: a fixed table, words divided by script.
class FakeReadings : public ReadingService {
 public:
  FakeReadings()
      : lookup_(FakePhonetic::Table{
            {"索引", "サクイン"}, {"東海林", "トウカイリン"}, {"日本", "ニホン"}, {"読", "ヨ"}}) {}
  Result<std::string> Phonetic(std::string_view text) override {
    if (fail) return Result<std::string>(ErrorCode::kHostError, "辞書が壊れています");
    return lookup_.Phonetic(text);
  }
  Result<std::vector<std::string>> DivideWords(std::string_view text) override {
    return divider_.DivideWords(text);
  }
  bool fail = false;

 private:
  FakePhonetic lookup_;
  ScriptWordDivider divider_;
};

// An empty data folder of the given name.
std::string DataFolder(const std::string& name) {
  const std::string folder = Work(name);
  (void)CreateFolder(folder);
  (void)RemoveFile(JoinPath(folder, kReadingMemoryFileName));
  return folder;
}

ResortRequest Learning(const std::string& input, const std::string& data_folder) {
  ResortRequest request;
  request.input = input;
  request.output = Work("learned-resort.xls");
  (void)RemoveFile(request.output);
  request.data_folder = data_folder;
  return request;
}

// A saved Razoza.xls with the given entry lines as the extraction wrote them, then corrected
// by the user on Org: `corrections` give rows (1-based) their new reading; `extra` rows are
// added to Org (rows the extraction never wrote, cells such as control characters).
std::string MakeCorrectedWorkbook(
    const std::string& name, const std::string& entries,
    const std::vector<std::pair<int, std::string>>& corrections = {},
    const std::vector<std::pair<std::string, std::string>>& extra = {}) {
  const std::string path = Work(name);
  EXPECT_TRUE(WriteRazozaXls(entries, path).ok());
  if (corrections.empty() && extra.empty()) return path;
  MemoryExcel excel;
  auto book = excel.OpenWorkbook(path);
  EXPECT_TRUE(book.ok());
  const int org = *(*book)->FindSheet(kOrgSheet);
  for (const auto& [row, reading] : corrections) {
    EXPECT_TRUE((*book)->SetCell(org, row, 2, CellValue::Text(reading)).ok());
  }
  int row = *(*book)->LastFilledRow(org);
  for (const auto& [term, reading] : extra) {
    ++row;
    EXPECT_TRUE((*book)->SetCell(org, row, 1, CellValue::Text(term)).ok());
    EXPECT_TRUE((*book)->SetCell(org, row, 2, CellValue::Text(reading)).ok());
    EXPECT_TRUE((*book)->SetCell(org, row, 3, CellValue::Number(row)).ok());
  }
  EXPECT_TRUE((*book)->SaveAs(path).ok());
  return path;
}

std::string Remembered(const std::string& memory_path, std::string_view term) {
  auto memory = ReadingMemory::Load(memory_path);
  EXPECT_TRUE(memory.ok()) << memory.message();
  if (!memory.ok()) return "(error)";
  const std::string* reading = memory->Find(term);
  return reading == nullptr ? "(none)" : *reading;
}

TEST(ResortLaunchTest, LearnsTheCorrectionsOfOrgAndNothingElse) {
  const std::string input = MakeCorrectedWorkbook(
      "corrected.xls",
      "索引\tさくいん\t3\n"        // 1: as extracted
      "東海林\tとうかいりん\t4\n"  // 2: corrected
      "日本\tにほん\t5\n"          // 3: corrected
      "日本\tにほん\t9\n"          // 4: as extracted
      "鬱\t鬱★読み再確認★\t6\n"    // 5: still to be checked
      "憂鬱\tゆううつ\t7\n"        // 6: corrected with kanji left in it
      "空欄\tくうらん\t8\n"        // 7: emptied
      "読み\tよみ\t10\n"           // 8: corrected
      "読み\tよみ\t11\n",          // 9: corrected again: the later row wins
      {{2, "しょうじ"}, {3, "にっぽん"}, {6, "ゆう鬱"}, {7, ""}, {8, "よみかた"}, {9, "よむ"}},
      {{"制御", "せい\x01ぎょ"}});
  const std::string data = DataFolder("learn-data");
  FakeReadings readings;
  MemoryExcel excel;
  const ResortLaunchResult result = LaunchResort(excel, Learning(input, data), &readings);
  ASSERT_EQ(result.exit, ExitCode::kOk) << result.cause.message();
  EXPECT_TRUE(result.saved);
  EXPECT_TRUE(FileExists(result.output_path));
  EXPECT_EQ(result.memory_path, JoinPath(data, "ReadingMemory.txt"));
  EXPECT_EQ(result.learned, 3);
  EXPECT_TRUE(result.memory_warnings.empty());

  const struct {
    const char* term;
    const char* reading;
  } expected[] = {
      {"東海林", "しょうじ"}, {"日本", "にっぽん"}, {"読み", "よむ"},   {"索引", "(none)"},
      {"鬱", "(none)"},       {"憂鬱", "(none)"},   {"空欄", "(none)"}, {"制御", "(none)"},
  };
  for (const auto& e : expected) {
    EXPECT_EQ(Remembered(result.memory_path, e.term), e.reading) << e.term;
  }
}

// Only what the user changed in a workbook is learned: re-sorting an older copy, made before
// a correction was learned, never writes its machine reading back over the learned one.
TEST(ResortLaunchTest, AnOlderWorkbookDoesNotUndoWhatWasLearned) {
  const std::string data = DataFolder("older-data");
  const std::string extracted = "和紙\tわし\t3\n楮\tちょ\t4\n";
  const std::string newer = MakeCorrectedWorkbook("newer.xls", extracted, {{1, "わがみ"}});
  const std::string older = MakeCorrectedWorkbook("older.xls", extracted, {{2, "こうぞ"}});
  FakeReadings readings;
  MemoryExcel excel;
  ResortLaunchResult result = LaunchResort(excel, Learning(newer, data), &readings);
  ASSERT_EQ(result.exit, ExitCode::kOk) << result.cause.message();
  EXPECT_EQ(result.learned, 1);
  result = LaunchResort(excel, Learning(older, data), &readings);
  ASSERT_EQ(result.exit, ExitCode::kOk) << result.cause.message();
  EXPECT_EQ(result.learned, 1);
  EXPECT_TRUE(result.memory_warnings.empty());
  EXPECT_EQ(Remembered(result.memory_path, "和紙"), "わがみ");
  EXPECT_EQ(Remembered(result.memory_path, "楮"), "こうぞ");
}

// Without Sort_Only the extraction's readings are unknown: nothing is learned, and the warning
// says why.
TEST(ResortLaunchTest, AWorkbookWithoutSortOnlyLearnsNothing) {
  const std::string input =
      MakeCorrectedWorkbook("no-sort-only.xls", "和紙\tわし\t3\n", {{1, "わがみ"}});
  {
    MemoryExcel excel;
    auto book = excel.OpenWorkbook(input);
    ASSERT_TRUE(book.ok());
    ASSERT_TRUE((*book)->DeleteSheet(*(*book)->FindSheet(kSortOnlySheet)).ok());
    ASSERT_TRUE((*book)->SaveAs(input).ok());
  }
  const std::string data = DataFolder("no-sort-only-data");
  FakeReadings readings;
  MemoryExcel excel;
  const ResortLaunchResult result = LaunchResort(excel, Learning(input, data), &readings);
  ASSERT_EQ(result.exit, ExitCode::kOk) << result.cause.message();
  EXPECT_EQ(result.learned, 0);
  EXPECT_FALSE(FileExists(result.memory_path));
  ASSERT_EQ(result.memory_warnings.size(), 1u);
  EXPECT_NE(result.memory_warnings[0].find("シート「Sort_Only」がないため、読みを学習しません"),
            std::string::npos)
      << result.memory_warnings[0];
}

// A row the user added on Org (its term is not in Sort_Only) is learned where it differs from
// what the next extraction would give.
TEST(ResortLaunchTest, ARowAddedOnOrgIsLearnedWhereItDiffers) {
  const std::string input = MakeCorrectedWorkbook(
      "added.xls", "索引\tさくいん\t3\n", {}, {{"日本", "にっぽん"}, {"東海林", "とうかいりん"}});
  const std::string data = DataFolder("added-data");
  FakeReadings readings;
  MemoryExcel excel;
  const ResortLaunchResult result = LaunchResort(excel, Learning(input, data), &readings);
  ASSERT_EQ(result.exit, ExitCode::kOk) << result.cause.message();
  EXPECT_EQ(result.learned, 1);
  EXPECT_EQ(Remembered(result.memory_path, "日本"), "にっぽん");
  EXPECT_EQ(Remembered(result.memory_path, "東海林"), "(none)");
}

TEST(ResortLaunchTest, WithoutLearningNothingIsWrittenAndTheWorkbookIsTheSame) {
  const std::string input =
      MakeCorrectedWorkbook("no-learn.xls", "東海林\tとうかいりん\t4\n", {{1, "しょうじ"}});
  const std::string data = DataFolder("no-learn-data");
  FakeReadings readings;
  ResortRequest request = Learning(input, data);
  request.learn = false;
  request.output = Work("no-learn-resort.xls");
  MemoryExcel excel;
  const ResortLaunchResult quiet = LaunchResort(excel, request, &readings);
  ASSERT_EQ(quiet.exit, ExitCode::kOk) << quiet.cause.message();
  EXPECT_EQ(quiet.learned, 0);
  EXPECT_TRUE(quiet.memory_path.empty());
  EXPECT_FALSE(FileExists(JoinPath(data, kReadingMemoryFileName)));

  // Learning changes nothing in the re-sort's own output.
  const ResortLaunchResult learning = LaunchResort(excel, Learning(input, data), &readings);
  ASSERT_EQ(learning.exit, ExitCode::kOk) << learning.cause.message();
  EXPECT_EQ(learning.learned, 1);
  EXPECT_EQ(*ReadFileBytes(learning.output_path), *ReadFileBytes(quiet.output_path));
}

TEST(ResortLaunchTest, NothingToLearnWritesNoMemory) {
  const std::string input = MakeCorrectedWorkbook("as-read.xls", "索引\tさくいん\t3\n");
  const std::string data = DataFolder("as-read-data");
  FakeReadings readings;
  MemoryExcel excel;
  const ResortLaunchResult result = LaunchResort(excel, Learning(input, data), &readings);
  ASSERT_EQ(result.exit, ExitCode::kOk) << result.cause.message();
  EXPECT_EQ(result.learned, 0);
  EXPECT_FALSE(FileExists(result.memory_path));
}

// The memory's lines stay where they are; a remembered reading replaced by a correction is
// named in a warning.
TEST(ResortLaunchTest, TheMemorysLinesSurviveAndReplacementsAreNamed) {
  const std::string data = DataFolder("damaged-data");
  const std::string memory_path = JoinPath(data, kReadingMemoryFileName);
  const std::string before =
      "# 私の記憶\n"
      "日本\tにほんご\n"
      "読みが無い行\n"
      "東海林\tしょうじ\n"
      "索引\tさくいん\n";
  ASSERT_TRUE(WriteFileAtomic(memory_path, before).ok());
  // As the extraction wrote it with the memory, then corrected.
  const std::string input = MakeCorrectedWorkbook(
      "against-memory.xls", "日本\tにほんご\t5\n東海林\tしょうじ\t4\n索引\tさくいん\t3\n",
      {{1, "にっぽん"}, {2, "とうかいりん"}});
  FakeReadings readings;
  MemoryExcel excel;
  const ResortLaunchResult result = LaunchResort(excel, Learning(input, data), &readings);
  ASSERT_EQ(result.exit, ExitCode::kOk) << result.cause.message();
  EXPECT_EQ(result.learned, 2);
  ASSERT_EQ(result.memory_warnings.size(), 2u);
  EXPECT_NE(result.memory_warnings[0].find(memory_path + " の 3 行目"), std::string::npos)
      << result.memory_warnings[0];
  EXPECT_NE(result.memory_warnings[1].find("記憶していた読みを 2 件置き換えました"),
            std::string::npos)
      << result.memory_warnings[1];
  EXPECT_NE(result.memory_warnings[1].find("日本 にほんご → にっぽん"), std::string::npos)
      << result.memory_warnings[1];
  EXPECT_NE(result.memory_warnings[1].find("東海林 しょうじ → とうかいりん"), std::string::npos)
      << result.memory_warnings[1];
  EXPECT_EQ(*ReadFileBytes(memory_path),
            "# 私の記憶\n"
            "日本\tにっぽん\n"
            "読みが無い行\n"
            "東海林\tとうかいりん\n"
            "索引\tさくいん\n");
}

TEST(ResortLaunchTest, ATermTheFileCannotHoldIsReported) {
  const std::string input = MakeCorrectedWorkbook("hash.xls", "#タグ\tたぐ\t3\n", {{1, "たっぐ"}});
  const std::string data = DataFolder("hash-data");
  FakeReadings readings;
  MemoryExcel excel;
  const ResortLaunchResult result = LaunchResort(excel, Learning(input, data), &readings);
  ASSERT_EQ(result.exit, ExitCode::kOk) << result.cause.message();
  EXPECT_EQ(result.learned, 0);
  ASSERT_EQ(result.memory_warnings.size(), 1u);
  EXPECT_NE(result.memory_warnings[0].find(
                input + " のシート「Org」の 1 行目「#タグ」の読みは記憶できません"),
            std::string::npos)
      << result.memory_warnings[0];
}

TEST(ResortLaunchTest, LearningFailuresNameTheirCause) {
  // A correction, and a row added on Org, whose reading the machine is asked for.
  const std::string input = MakeCorrectedWorkbook("failing.xls", "東海林\tとうかいりん\t4\n",
                                                  {{1, "しょうじ"}}, {{"日本", "にっぽん"}});
  FakeReadings readings;
  MemoryExcel excel;
  {
    // The memory cannot be read: nothing is written.
    const std::string data = DataFolder("unreadable-data");
    ASSERT_TRUE(CreateFolder(JoinPath(data, kReadingMemoryFileName)).ok());
    const ResortLaunchResult result = LaunchResort(excel, Learning(input, data), &readings);
    EXPECT_EQ(result.exit, ExitCode::kError);
    EXPECT_FALSE(result.saved);
    EXPECT_FALSE(FileExists(result.output_path));
    EXPECT_NE(result.cause.message().find(result.memory_path), std::string::npos)
        << result.cause.message();
  }
  {
    // Another job holds the data folder: refused before anything is written.
    const std::string data = DataFolder("busy-data");
    auto held = DataFolderLock::Acquire(data);
    ASSERT_TRUE(held.ok()) << held.message();
    const ResortLaunchResult result = LaunchResort(excel, Learning(input, data), &readings);
    EXPECT_EQ(result.exit, ExitCode::kRefused);
    EXPECT_FALSE(FileExists(result.output_path));
    EXPECT_NE(result.cause.message().find(data), std::string::npos) << result.cause.message();
    // The message names what holds the folder.
    EXPECT_NE(result.cause.message().find("（索引抽出、プロセス "), std::string::npos)
        << result.cause.message();
  }
  {
    // The readings fail: the workbook is written, the memory is not, and the cause says why.
    const std::string data = DataFolder("failing-readings-data");
    FakeReadings failing;
    failing.fail = true;
    const ResortLaunchResult result = LaunchResort(excel, Learning(input, data), &failing);
    EXPECT_EQ(result.exit, ExitCode::kError);
    EXPECT_TRUE(result.saved);
    EXPECT_TRUE(FileExists(result.output_path));
    EXPECT_FALSE(FileExists(result.memory_path));
    EXPECT_NE(result.cause.message().find("辞書が壊れています"), std::string::npos)
        << result.cause.message();
  }
  {
    // The output named as the memory file: refused.
    const std::string data = DataFolder("memory-as-output-data");
    ResortRequest request = Learning(input, data);
    request.output = JoinPath(data, kReadingMemoryFileName);
    ASSERT_TRUE(WriteFileAtomic(request.output, "東海林\tしょうじ\n").ok());
    const ResortLaunchResult result = LaunchResort(excel, request, &readings);
    EXPECT_EQ(result.exit, ExitCode::kError);
    EXPECT_EQ(*ReadFileBytes(request.output), "東海林\tしょうじ\n");
  }
  {
    // The memory cannot be saved: the workbook is written all the same, and the command fails
    // naming the memory file.
    namespace fs = std::filesystem;
    const std::string data = Work("read-only-data");
    (void)CreateFolder(data);
    const std::string memory_path = JoinPath(data, kReadingMemoryFileName);
    std::error_code ec;
    fs::permissions(memory_path, fs::perms::owner_write, fs::perm_options::add, ec);
    ASSERT_TRUE(WriteFileAtomic(memory_path, "索引\tさくいん\n").ok());
    fs::permissions(memory_path, fs::perms::owner_write, fs::perm_options::remove);
    const ResortLaunchResult result = LaunchResort(excel, Learning(input, data), &readings);
    EXPECT_EQ(result.exit, ExitCode::kError);
    EXPECT_TRUE(result.saved);
    EXPECT_TRUE(FileExists(result.output_path));
    EXPECT_NE(result.cause.message().find(memory_path), std::string::npos)
        << result.cause.message();
    EXPECT_EQ(*ReadFileBytes(memory_path), "索引\tさくいん\n");
    fs::permissions(memory_path, fs::perms::owner_write, fs::perm_options::add);
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
    const ResortLaunchResult result = LaunchResort(excel, Plain(input, output));
    EXPECT_EQ(result.exit, ExitCode::kError) << output;
    EXPECT_EQ(*ReadFileBytes(input), *before) << output;
  }
  // A pipe would block the read for ever: refused at once.
  MemoryExcel excel;
  const ResortLaunchResult piped = LaunchResort(excel, Plain(fifo, Work("from-pipe.xls")));
  EXPECT_EQ(piped.exit, ExitCode::kError);
  EXPECT_NE(piped.cause.message().find(fifo), std::string::npos) << piped.cause.message();
}
#endif

}  // namespace
}  // namespace mirune
