#include "workbook/resort_job.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "automation/excel_engine/memory_workbook.h"
#include "desktop/testing/recording_desktop.h"
#include "workbook/entry_rows.h"
#include "workbook/razoza_workbook.h"
#include "workbook/resort_messages.h"

namespace mirune {
namespace {

class RecordingSleeper : public Sleeper {
 public:
  void SleepMilliseconds(int32_t milliseconds) override { sleeps.push_back(milliseconds); }
  std::vector<int32_t> sleeps;
};

std::string Rows(const ExcelWorkbook& book, std::string_view sheet_name) {
  const int sheet = *book.FindSheet(sheet_name);
  std::string out;
  for (int r = 1; r <= *book.LastFilledRow(sheet); ++r) {
    out += r > 1 ? " / " : "";
    for (int c = 1; c <= 3; ++c) out += (c > 1 ? "|" : "") + book.GetCell(sheet, r, c)->AsText();
  }
  return out;
}

std::string SheetNames(const ExcelWorkbook& book) {
  std::string out;
  for (int i = 1; i <= book.SheetCount(); ++i) out += (i > 1 ? "," : "") + *book.SheetName(i);
  return out;
}

// The user's Razoza.xls open in the running (in-memory) Excel.
struct Session {
  explicit Session(const char* entries) {
    auto book = std::make_shared<MemoryWorkbook>();
    auto rows = ParseEntryRows(entries);
    EXPECT_TRUE(rows.ok());
    EXPECT_TRUE(BuildRazozaWorkbook(*book, *rows).ok());
    workbook = book;
    excel.Adopt(book);
  }
  ResortJobHosts Hosts() {
    return ResortJobHosts{
        desktop,
        flags,
        sleeper,
        [this] { return shown; },
        [this]() -> Result<std::unique_ptr<ExcelApplication>> {
          running_during_attach = flags.job_running;
          if (attach_failures > 0) {
            --attach_failures;
            return Error{ErrorCode::kNotFound, "起動している Excel が見つかりません"};
          }
          // A new client on the same Excel, as each attach is.
          auto client = std::make_unique<MemoryExcel>();
          client->Adopt(workbook);
          last_client = client.get();
          return std::unique_ptr<ExcelApplication>(std::move(client));
        },
        [this] { return excel_windows; }};
  }
  MemoryExcel excel;
  std::shared_ptr<MemoryWorkbook> workbook;
  RecordingDesktop desktop;
  JobFlags flags;
  RecordingSleeper sleeper;
  bool shown = true;
  int attach_failures = 0;
  int excel_windows = 1;
  bool running_during_attach = false;
  MemoryExcel* last_client = nullptr;
};

constexpr char kEntries[] = "索引\tさくいん\t12\n柿\tかき\t9\n牡蠣\tかき\t4\n柿\tかき\t3\n";

TEST(ResortJobTest, CorrectedReadingFoldsRowsThatWereApartAndTheWorkbookIsNotSaved) {
  Session s(kEntries);
  // Sort_Syori1 has 柿, 牡蠣, 柿 apart (equal readings by page); a corrected reading of 牡蠣
  // moves it away, so the two 柿 rows become adjacent and fold, their pages ascending.
  EXPECT_EQ(Rows(*s.workbook, "Sort_Syori1"),
            "柿|かき|3 / 牡蠣|かき|4 / 柿|かき|9 / 索引|さくいん|12");
  ASSERT_TRUE(
      s.workbook->SetCell(*s.workbook->FindSheet("Org"), 3, 2, CellValue::Text("ぼれい")).ok());
  ResortJobHosts hosts = s.Hosts();
  ResortJobResult result = ResortRazozaXls(hosts);
  ASSERT_EQ(result.outcome, ResortOutcome::kFinished) << result.cause.message();
  EXPECT_EQ(SheetNames(*s.workbook), "Org,AfterSort,Sort_Only,Sort_Syori1");
  EXPECT_EQ(Rows(*s.workbook, "AfterSort"), "柿|かき|3,9 / 索引|さくいん|12 / 牡蠣|ぼれい|4");
  EXPECT_EQ(result.after_sort_rows, 3);
  EXPECT_EQ(s.workbook->ActiveSheet(), 2);
  EXPECT_EQ(s.desktop.Texts(), (std::vector<std::string>{std::string(kResortStartMessage),
                                                         std::string(kResortDoneMessage)}));
  EXPECT_EQ(s.desktop.messages[0].style, kStyleConfirmStart);
  EXPECT_EQ(s.desktop.messages[1].style, kStyleCompletion);
  EXPECT_EQ(s.desktop.messages[1].title, kResortTitle);
  EXPECT_EQ(s.desktop.focus_calls, 2);
  EXPECT_TRUE(s.running_during_attach);
  EXPECT_FALSE(s.flags.job_running);
  EXPECT_EQ(result.attach_attempts, 1);
  EXPECT_TRUE(s.sleeper.sleeps.empty());
}

TEST(ResortJobTest, AnOldAfterSortIsReplacedWithoutAPrompt) {
  Session s(kEntries);
  ASSERT_TRUE(ResortRazozaWorkbook(*s.workbook).ok());
  // A stray second one, as a user might leave by copying.
  ASSERT_TRUE(s.workbook->AddSheet("AfterSort (2)").ok());
  ASSERT_TRUE(s.workbook->SetCell(2, 1, 1, CellValue::Text("古い")).ok());
  ResortJobHosts hosts = s.Hosts();
  ASSERT_EQ(ResortRazozaXls(hosts).outcome, ResortOutcome::kFinished);
  EXPECT_EQ(SheetNames(*s.workbook), "Org,AfterSort,Sort_Only,Sort_Syori1,AfterSort (2)");
  EXPECT_EQ(Rows(*s.workbook, "AfterSort"),
            "柿|かき|3 / 牡蠣|かき|4 / 柿|かき|9 / 索引|さくいん|12");
  // Alerts are back on, Excel is shown.
  EXPECT_TRUE(s.last_client->display_alerts());
  EXPECT_TRUE(s.last_client->visible());
}

TEST(ResortJobTest, EndingsBeforeAndInsteadOfTheSort) {
  struct Case {
    const char* name;
    bool shown;
    int r1_answer;
    int attach_failures;
    bool drop_org;
    int excel_windows;
    ResortOutcome outcome;
    std::vector<std::string_view> messages;
    std::string cause;
    int attempts;
    size_t sleeps;
  };
  const Case cases[] = {
      {"no window shows Razoza.xls",
       false,
       kAnswerOk,
       0,
       false,
       1,
       ResortOutcome::kNotOpen,
       {kResortOpenFirstMessage},
       "",
       0,
       0},
      {"cancel on kResortStartMessage",
       true,
       kAnswerCancel,
       0,
       false,
       1,
       ResortOutcome::kCancelled,
       {kResortStartMessage},
       "",
       0,
       0},
      {"Excel attached on the third attempt",
       true,
       kAnswerOk,
       2,
       false,
       1,
       ResortOutcome::kFinished,
       {kResortStartMessage, kResortDoneMessage},
       "",
       3,
       2},
      {"attach fails 20 times",
       true,
       kAnswerOk,
       20,
       false,
       1,
       ResortOutcome::kNoExcel,
       {kResortStartMessage, kResortNoExcelMessage},
       "起動している Excel が見つかりません",
       20,
       19},
      {"no sheet Org",
       true,
       kAnswerOk,
       0,
       true,
       1,
       ResortOutcome::kFailed,
       {kResortStartMessage, kResortFailedMessage},
       "ブックにシート「Org」がありません。",
       1,
       0},
      {"attach fails 20 times, two Excel windows shown",
       true,
       kAnswerOk,
       20,
       false,
       2,
       ResortOutcome::kNoExcel,
       {kResortStartMessage, kResortNoExcelMessage},
       "起動している Excel が見つかりません（Excel が 2 個起動しています。本ソフトが接続できるのは"
       "最初に起動した Excel だけです。Razoza.xls を開いている Excel 以外は終了して下さい）",
       20,
       19},
      {"no sheet Org in the Excel reached, three Excel windows shown",
       true,
       kAnswerOk,
       0,
       true,
       3,
       ResortOutcome::kFailed,
       {kResortStartMessage, kResortFailedMessage},
       "ブックにシート「Org」がありません。（Excel が 3 個起動しています。本ソフトが接続できるのは"
       "最初に起動した Excel だけです。Razoza.xls を開いている Excel 以外は終了して下さい）",
       1,
       0},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.name);
    Session s(kEntries);
    s.shown = c.shown;
    s.attach_failures = c.attach_failures;
    s.excel_windows = c.excel_windows;
    s.desktop.watched_flags = &s.flags;
    s.desktop.answers.push_back(c.r1_answer);
    if (c.drop_org) {
      // With an AfterSort of an earlier run, which must survive: the workbook is checked for
      // Org before anything is deleted.
      ASSERT_TRUE(ResortRazozaWorkbook(*s.workbook).ok());
      ASSERT_TRUE(s.workbook->RenameSheet(1, "Original").ok());
    }
    const std::string before = SheetNames(*s.workbook) + Rows(*s.workbook, "Sort_Syori1");
    if (c.drop_org) {
      EXPECT_EQ(SheetNames(*s.workbook), "Original,AfterSort,Sort_Only,Sort_Syori1");
    }
    ResortJobHosts hosts = s.Hosts();
    const ResortJobResult result = ResortRazozaXls(hosts);
    EXPECT_EQ(result.outcome, c.outcome);
    ASSERT_EQ(s.desktop.messages.size(), c.messages.size());
    for (size_t i = 0; i < c.messages.size(); ++i) {
      EXPECT_EQ(s.desktop.messages[i].text, c.messages[i]) << i;
      EXPECT_EQ(s.desktop.messages[i].title, kResortTitle);
      // Held from the first question on: no other job starts while the user is asked.
      EXPECT_TRUE(s.desktop.messages[i].job_running) << i;
    }
    EXPECT_EQ(s.desktop.messages.back().cause, c.cause);
    EXPECT_EQ(result.cause.message(), c.cause);
    EXPECT_EQ(result.attach_attempts, c.attempts);
    EXPECT_EQ(s.sleeper.sleeps.size(), c.sleeps);
    for (int32_t ms : s.sleeper.sleeps) EXPECT_EQ(ms, 500);
    EXPECT_FALSE(s.flags.job_running);
    if (c.outcome != ResortOutcome::kFinished) {
      EXPECT_EQ(SheetNames(*s.workbook) + Rows(*s.workbook, "Sort_Syori1"), before);
    }
  }
}

TEST(ResortJobTest, AnExcelWithoutAnOpenWorkbookEndsWithTheCause) {
  Session s(kEntries);
  ResortJobHosts hosts = s.Hosts();
  hosts.attach_excel = []() -> Result<std::unique_ptr<ExcelApplication>> {
    return std::unique_ptr<ExcelApplication>(new MemoryExcel());
  };
  const ResortJobResult result = ResortRazozaXls(hosts);
  EXPECT_EQ(result.outcome, ResortOutcome::kFailed);
  EXPECT_EQ(s.desktop.messages.back().text, kResortFailedMessage);
  EXPECT_EQ(s.desktop.messages.back().cause, "Excel で開いているブックがありません。");
  EXPECT_FALSE(s.flags.job_running);
}

}  // namespace
}  // namespace mirune
