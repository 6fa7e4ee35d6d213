// The Excel client against test-excel-server.exe across processes, under Wine in CI: the
// contract of the Excel interface, the re-sort job attached to the running server as to a
// running Excel, and the faults of a server (killed in the middle of the job, answering every
// call with an error, busy).

#include <gtest/gtest.h>

#include <chrono>
#include <string>

#include "automation/com/activation_win.h"
#include "automation/com/excel_client_win.h"
#include "automation/com/message_filter_win.h"
#include "automation/com/testing/server_process_win.h"
#include "automation/excel_engine/memory_workbook.h"
#include "base/file.h"
#include "base/path.h"
#include "desktop/testing/recording_desktop.h"
#include "marking/running_excel_keyword_source.h"
#include "workbook/razoza_workbook.h"
#include "workbook/resort_job.h"
#include "workbook/resort_messages.h"
#include "workbook/testing/excel_contract.h"

namespace mirune::com {
namespace {

constexpr char kProgId[] = "Mirune.TestExcel";

// The server registered and the test thread in a COM apartment for the whole run; the server
// told to quit at the end.
class ServerEnvironment : public ::testing::Environment {
 public:
  void SetUp() override {
    ASSERT_EQ(testing::RunServerExecutable(MIRUNE_TEST_EXCEL_SERVER, L"/RegServer"), 0u);
    apartment_ = std::make_unique<ComApartment>();
    ASSERT_TRUE(apartment_->status().ok());
  }
  void TearDown() override {
    if (Result<std::unique_ptr<ExcelClient>> running = ExcelClient::AttachOnce(kProgId);
        running.ok()) {
      (void)(*running)->application().Call("Quit");
    }
    apartment_.reset();
    testing::RunServerExecutable(MIRUNE_TEST_EXCEL_SERVER, L"/UnregServer");
  }

 private:
  std::unique_ptr<ComApartment> apartment_;
};

const ::testing::Environment* const kEnvironment =
    ::testing::AddGlobalTestEnvironment(new ServerEnvironment);

std::unique_ptr<ExcelApplication> StartClient() {
  Result<std::unique_ptr<ExcelClient>> client = ExcelClient::Create(kProgId);
  EXPECT_TRUE(client.ok()) << client.message();
  if (!client.ok()) return nullptr;
  return std::move(client).value();
}

INSTANTIATE_TEST_SUITE_P(AcrossProcesses, ExcelContractTest,
                         ::testing::Values(ExcelContractParam{"client_across_processes",
                                                              StartClient}),
                         ExcelContractName);

class NoSleep : public Sleeper {
 public:
  void SleepMilliseconds(int32_t) override { ++sleeps; }
  int sleeps = 0;
};

constexpr char kEntries[] = "索引\tさくいん\t12\n柿\tかき\t9\n牡蠣\tかき\t4\n柿\tかき\t3\n";

// A Razoza.xls written by the embedded engine, opened in a started server as the user opens
// it in Excel.
class ServerResortTest : public ::testing::Test {
 protected:
  void SetUp() override {
    path_ = JoinPath(::testing::TempDir(),
                     std::string("resort-") +
                         ::testing::UnitTest::GetInstance()->current_test_info()->name() + ".xls");
    ASSERT_TRUE(WriteRazozaXls(kEntries, path_).ok());
    before_ = ReadFileBytes(path_).value();
    Result<std::unique_ptr<ExcelClient>> client = ExcelClient::Create(kProgId);
    ASSERT_TRUE(client.ok()) << client.message();
    client_ = std::move(client).value();
    Result<std::unique_ptr<ExcelWorkbook>> book = client_->OpenWorkbook(path_);
    ASSERT_TRUE(book.ok()) << book.message();
    book_ = std::move(book).value();
  }
  void TearDown() override { (void)RemoveFile(path_); }

  Status Switch(const char* name, int32_t value) {
    const UniqueVariant arg = UniqueVariant::Int32(value);
    return client_->application().Call(name, std::span<const UniqueVariant>(&arg, 1)).status();
  }

  ResortJobResult RunJob(RecordingDesktop& desktop, JobFlags& flags, NoSleep& sleeper) {
    ResortJobHosts hosts{
        desktop, flags, sleeper, [] { return true; }, [] { return AttachRunningExcel(kProgId); },
        {}};
    return ResortRazozaXls(hosts);
  }

  std::string path_;
  std::string before_;
  std::unique_ptr<ExcelClient> client_;
  std::unique_ptr<ExcelWorkbook> book_;
};

TEST_F(ServerResortTest, TheJobResortsTheWorkbookOpenInTheRunningServer) {
  ASSERT_TRUE(book_->SetCell(*book_->FindSheet("Org"), 3, 2, CellValue::Text("ぼれい")).ok());
  RecordingDesktop desktop;
  JobFlags flags;
  NoSleep sleeper;
  const ResortJobResult result = RunJob(desktop, flags, sleeper);
  ASSERT_EQ(result.outcome, ResortOutcome::kFinished) << result.cause.message();
  EXPECT_EQ(result.after_sort_rows, 3);
  EXPECT_EQ(*book_->FindSheet("AfterSort"), 2);
  const int sheet = 2;
  // The term's pages ascending (the old folding gave "9,3").
  EXPECT_EQ(book_->GetCell(sheet, 1, 3)->AsText(), "3,9");
  EXPECT_EQ(book_->GetCell(sheet, 3, 2)->AsText(), "ぼれい");
  EXPECT_TRUE(client_->application().GetBool("Visible").value());
  EXPECT_TRUE(client_->application().GetBool("DisplayAlerts").value());
  // The second run replaces AfterSort; the server refuses a sheet's Delete while the alerts
  // are on, so this also shows that they were off.
  RecordingDesktop again;
  ASSERT_EQ(RunJob(again, flags, sleeper).outcome, ResortOutcome::kFinished);
  EXPECT_EQ(book_->SheetCount(), 4);
  EXPECT_EQ(ReadFileBytes(path_).value(), before_);  // not saved
  EXPECT_FALSE(flags.job_running);
}

TEST_F(ServerResortTest, AServerAnsweringEveryCallWithAnErrorEndsTheJobWithItsCause) {
  ASSERT_TRUE(Switch("TestFailAfter", 0).ok());
  RecordingDesktop desktop;
  JobFlags flags;
  NoSleep sleeper;
  const ResortJobResult result = RunJob(desktop, flags, sleeper);
  ASSERT_TRUE(Switch("TestFailAfter", -1).ok());
  EXPECT_EQ(result.outcome, ResortOutcome::kFailed);
  ASSERT_EQ(desktop.messages.size(), 2u);
  EXPECT_EQ(desktop.messages[1].text, kResortFailedMessage);
  EXPECT_EQ(desktop.messages[1].cause.rfind("Excel の ActiveWorkbook が失敗しました（0x80020009: "
                                            "試験のために失敗させた呼び出しです",
                                            0),
            0u)
      << desktop.messages[1].cause;
  EXPECT_FALSE(flags.job_running);
  EXPECT_EQ(ReadFileBytes(path_).value(), before_);
}

TEST_F(ServerResortTest, AServerKilledInTheMiddleEndsTheJobWithoutHanging) {
  // The server ends its process at its 40th call from now: in the middle of the sheet work.
  ASSERT_TRUE(Switch("TestExitAfter", 40).ok());
  RecordingDesktop desktop;
  JobFlags flags;
  NoSleep sleeper;
  const auto start = std::chrono::steady_clock::now();
  const ResortJobResult result = RunJob(desktop, flags, sleeper);
  const double seconds =
      std::chrono::duration<double>(std::chrono::steady_clock::now() - start).count();
  EXPECT_EQ(result.outcome, ResortOutcome::kFailed);
  ASSERT_EQ(desktop.messages.size(), 2u);
  EXPECT_EQ(desktop.messages[1].text, kResortFailedMessage);
  EXPECT_NE(desktop.messages[1].cause.find("が失敗しました（0x800"), std::string::npos)
      << desktop.messages[1].cause;
  EXPECT_FALSE(flags.job_running);
  EXPECT_LT(seconds, 30.0);
  EXPECT_EQ(ReadFileBytes(path_).value(), before_);
  std::printf("killed server: the job ended after %.2f s with: %s\n", seconds,
              desktop.messages[1].cause.c_str());
  // The client's own objects are dead too: calls fail at once instead of hanging.
  EXPECT_FALSE(book_->SetCell(1, 1, 1, CellValue::Number(1)).ok());
}

TEST_F(ServerResortTest, AServerStillBusyEndsTheJobWithTheBusyCause) {
  // What Wine allows: the server itself answers "rejected" (Wine does not let a server's
  // message filter reject calls, so the retry of the client's filter cannot be shown here).
  ASSERT_TRUE(Switch("TestRejectAfter", 0).ok());
  RecordingDesktop desktop;
  JobFlags flags;
  NoSleep sleeper;
  const ResortJobResult result = RunJob(desktop, flags, sleeper);
  ASSERT_TRUE(Switch("TestRejectAfter", -1).ok());
  EXPECT_EQ(result.outcome, ResortOutcome::kFailed);
  ASSERT_EQ(desktop.messages.size(), 2u);
  EXPECT_EQ(desktop.messages[1].text, kResortFailedMessage);
  EXPECT_EQ(desktop.messages[1].cause,
            "Excel の ActiveWorkbook が失敗しました（0x80010001: "
            "アプリケーションが呼び出しを受け付けません（ダイアログが開いているなど））");
  EXPECT_FALSE(flags.job_running);
  EXPECT_EQ(ReadFileBytes(path_).value(), before_);
}

TEST_F(ServerResortTest, ABusyServerIsWaitedFor) {
  if (testing::UnderWine()) GTEST_SKIP() << "Wine ignores the server's message filter";
  MessageFilterScope filter(BusyRetryPolicy{10000, 100});
  ASSERT_TRUE(filter.status().ok());
  ASSERT_TRUE(Switch("BeBusy", 600).ok());
  RecordingDesktop desktop;
  JobFlags flags;
  NoSleep sleeper;
  EXPECT_EQ(RunJob(desktop, flags, sleeper).outcome, ResortOutcome::kFinished);
  EXPECT_GT(filter.filter()->rejections(), 0);
}

TEST(ServerAttachTest, WithoutARunningServerTheJobEndsWithR4AfterTwentyAttempts) {
  // Ends the server a test before may have left running, and waits until it is gone.
  if (Result<std::unique_ptr<ExcelClient>> running = ExcelClient::AttachOnce(kProgId);
      running.ok()) {
    (void)(*running)->application().Call("Quit");
  }
  for (int i = 0; i < 100 && ExcelClient::AttachOnce(kProgId).ok(); ++i) Sleep(100);
  RecordingDesktop desktop;
  JobFlags flags;
  NoSleep sleeper;
  ResortJobHosts hosts{
      desktop, flags, sleeper, [] { return true; }, [] { return AttachRunningExcel(kProgId); }, {}};
  const ResortJobResult result = ResortRazozaXls(hosts);
  EXPECT_EQ(result.outcome, ResortOutcome::kNoExcel);
  EXPECT_EQ(result.attach_attempts, 20);
  EXPECT_EQ(sleeper.sleeps, 19);
  ASSERT_EQ(desktop.messages.size(), 2u);
  EXPECT_EQ(desktop.messages[1].text, kResortNoExcelMessage);
  EXPECT_EQ(desktop.messages[1].cause.rfind("起動している Excel が見つかりません（", 0), 0u)
      << desktop.messages[1].cause;
  EXPECT_FALSE(flags.job_running);
}

TEST(ServerKeywordTest, KeywordMarkingReadsKeywordXlsOpenInTheRunningServer) {
  const std::string path = JoinPath(::testing::TempDir(), "Keyword.xls");
  MemoryWorkbook keywords;
  ASSERT_TRUE(keywords.SetCell(1, 1, 2, CellValue::Text("索引")).ok());
  ASSERT_TRUE(keywords.SetCell(1, 2, 2, CellValue::Text("0012")).ok());
  ASSERT_TRUE(keywords.SaveAs(path).ok());
  Result<std::unique_ptr<ExcelClient>> client = ExcelClient::Create(kProgId);
  ASSERT_TRUE(client.ok()) << client.message();
  ASSERT_TRUE((*client)->OpenWorkbook(path).ok());
  RunningExcelKeywordSource source([] { return true; }, [] { return AttachRunningExcel(kProgId); });
  Result<ExcelWorkbook*> book = source.AttachActiveWorkbook();
  ASSERT_TRUE(book.ok()) << book.message();
  const int sheet = (*book)->FindSheet("Sheet1").value();
  EXPECT_EQ(*(*book)->LastFilledRow(sheet), 2);
  EXPECT_EQ((*book)->GetCell(sheet, 1, 2)->AsText(), "索引");
  EXPECT_EQ(*(*book)->GetCell(sheet, 2, 2), CellValue::Text("0012"));
  (void)RemoveFile(path);
}

}  // namespace
}  // namespace mirune::com
