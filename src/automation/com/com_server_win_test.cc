// The COM layer against a real out-of-process server (mirune-com-test-server): registration,
// starting it through its ProgID, attaching through the running object table, calls across
// processes, and the busy server retried by the message filter.

#include <gtest/gtest.h>

#include <string>

#include "automation/com/activation_win.h"
#include "automation/com/dispatcher_win.h"
#include "automation/com/message_filter_win.h"
#include "automation/com/testing/server_process_win.h"

namespace mirune::com {
namespace {

constexpr char kProgId[] = "Mirune.ComTestServer";

DWORD RunServer(const std::wstring& switch_text) {
  return testing::RunServerExecutable(MIRUNE_COM_TEST_SERVER, switch_text);
}

using testing::UnderWine;

class ComServerTest : public ::testing::Test {
 protected:
  static void SetUpTestSuite() { ASSERT_EQ(RunServer(L"/RegServer"), 0u); }
  static void TearDownTestSuite() { RunServer(L"/UnregServer"); }
  void SetUp() override { ASSERT_TRUE(apartment_.status().ok()); }

  // A new server process, or a failed test.
  Dispatcher Start() {
    Result<ComPtr<IDispatch>> server = CreateServer(kProgId, "試験サーバー");
    EXPECT_TRUE(server.ok()) << server.message();
    return Dispatcher(server.ok() ? std::move(server).value() : nullptr, cache_, "試験サーバー",
                      "Application", "");
  }
  void Quit(Dispatcher& server) { EXPECT_TRUE(server.Call("Quit").ok()); }

  ComApartment apartment_;
  std::shared_ptr<DispIdCache> cache_ = std::make_shared<DispIdCache>();
};

TEST_F(ComServerTest, StartsAttachesAndCallsAcrossProcesses) {
  Dispatcher server = Start();
  EXPECT_EQ(server.GetText("Name").value(), "ミルネ試験サーバー");
  const UniqueVariant args[] = {UniqueVariant::Int32(2), UniqueVariant::Int32(40)};
  Result<UniqueVariant> sum = server.Call("Add", args);
  ASSERT_TRUE(sum.ok()) << sum.message();
  EXPECT_EQ(VariantToInt32(sum->get()).value(), 42);

  int tries = 0;
  Result<ComPtr<IDispatch>> running =
      AttachRunning(kProgId, "試験サーバー", AttemptPolicy{20, 500}, {}, &tries);
  ASSERT_TRUE(running.ok()) << running.message();
  EXPECT_EQ(tries, 1);
  Dispatcher attached(std::move(running).value(), cache_, "試験サーバー", "Application", "");
  EXPECT_EQ(attached.GetText("Name").value(), "ミルネ試験サーバー");

  // The server's exception text crosses the process boundary into the message.
  Status failed = server.Call("Fail").status();
  EXPECT_EQ(failed.message(),
            "試験サーバー の Fail が失敗しました（0x80020009: 試験のための失敗です）");
  Quit(server);
}

TEST_F(ComServerTest, BusyServerIsRetriedUntilItAnswers) {
  if (UnderWine()) GTEST_SKIP() << "Wine ignores the server's message filter";
  Dispatcher server = Start();
  MessageFilterScope filter(BusyRetryPolicy{10000, 100});
  ASSERT_TRUE(filter.status().ok());
  const UniqueVariant busy = UniqueVariant::Int32(600);
  ASSERT_TRUE(server.Call("BeBusy", std::span<const UniqueVariant>(&busy, 1)).ok());
  Result<std::string> name = server.GetText("Name");
  ASSERT_TRUE(name.ok()) << name.message();
  EXPECT_GT(filter.filter()->rejections(), 0);
  Quit(server);
}

TEST_F(ComServerTest, BusyServerIsGivenUpAfterTheBound) {
  if (UnderWine()) GTEST_SKIP() << "Wine ignores the server's message filter";
  Dispatcher server = Start();
  const UniqueVariant busy = UniqueVariant::Int32(1500);
  {
    MessageFilterScope filter(BusyRetryPolicy{300, 100});
    ASSERT_TRUE(filter.status().ok());
    ASSERT_TRUE(server.Call("BeBusy", std::span<const UniqueVariant>(&busy, 1)).ok());
    const DWORD start = GetTickCount();
    Result<std::string> name = server.GetText("Name");
    const DWORD waited = GetTickCount() - start;
    ASSERT_FALSE(name.ok());
    EXPECT_EQ(name.message(),
              "試験サーバー の Name が失敗しました（0x80010001: "
              "アプリケーションが呼び出しを受け付けません（ダイアログが開いているなど））");
    EXPECT_LT(waited, 1400u);  // gave up before the server came free
  }
  Sleep(1600);
  Quit(server);
}

}  // namespace
}  // namespace mirune::com
