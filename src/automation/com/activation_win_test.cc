#include "automation/com/activation_win.h"

#include <gtest/gtest.h>

#include <vector>

#include "automation/com/dispatcher_win.h"
#include "automation/com/testing/table_dispatch_win.h"

namespace mirune::com {
namespace {

using testing::ReturnText;
using testing::TableCounters;
using testing::TableDispatch;

// A class registered nowhere: {6d697275-6e65-0000-0000-746573743031}.
constexpr CLSID kTestClass = {
    0x6d697275, 0x6e65, 0x0000, {0, 0, 0x74, 0x65, 0x73, 0x74, 0x30, 0x31}};

class ActivationTest : public ::testing::Test {
 protected:
  void SetUp() override { ASSERT_TRUE(apartment_.status().ok()); }
  ComApartment apartment_;
};

TEST_F(ActivationTest, UnregisteredProgIdFailsAtOnceNamingIt) {
  std::vector<uint32_t> sleeps;
  int tries = 0;
  Result<ComPtr<IDispatch>> attached = AttachRunning(
      "Mirune.NoSuchServer.1", "Excel", AttemptPolicy{20, 500},
      [&](uint32_t ms) { sleeps.push_back(ms); }, &tries);
  ASSERT_FALSE(attached.ok());
  EXPECT_EQ(attached.code(), ErrorCode::kNotFound);
  EXPECT_EQ(attached.message(),
            "Excel がこのコンピューターに登録されていません（「Mirune.NoSuchServer.1」: "
            "0x800401F3: アプリケーションの名前（ProgID）が登録されていません）");
  EXPECT_TRUE(sleeps.empty());
  EXPECT_EQ(tries, 0);

  Result<ComPtr<IDispatch>> created = CreateServer("Mirune.NoSuchServer.1", "InDesign");
  ASSERT_FALSE(created.ok());
  EXPECT_EQ(created.code(), ErrorCode::kNotFound);
}

TEST_F(ActivationTest, UnregisteredClassCannotBeStarted) {
  Result<ComPtr<IDispatch>> created = CreateServer(kTestClass, "InDesign");
  ASSERT_FALSE(created.ok());
  EXPECT_EQ(created.code(), ErrorCode::kNotFound);
  EXPECT_EQ(created.message(),
            "InDesign を起動できません（0x80040154: "
            "アプリケーションが登録されていません）");
}

TEST_F(ActivationTest, NothingRunningIsTriedEveryIntervalThenGivenUp) {
  std::vector<uint32_t> sleeps;
  int tries = 0;
  Result<ComPtr<IDispatch>> attached = AttachRunning(
      kTestClass, "Excel", AttemptPolicy{20, 500}, [&](uint32_t ms) { sleeps.push_back(ms); },
      &tries);
  ASSERT_FALSE(attached.ok());
  EXPECT_EQ(attached.code(), ErrorCode::kNotFound);
  EXPECT_EQ(attached.message(),
            "起動している Excel が見つかりません（0x800401E3: "
            "起動しているアプリケーションが見つかりません）");
  EXPECT_EQ(tries, 20);
  EXPECT_EQ(sleeps, std::vector<uint32_t>(19, 500));
}

TEST_F(ActivationTest, AttachesToTheObjectInTheRunningObjectTable) {
  auto counters = std::make_shared<TableCounters>();
  ComPtr<TableDispatch> application = TableDispatch::Make(counters);
  application->Add("Name", ReturnText("Microsoft Excel"));
  DWORD cookie = 0;
  ASSERT_EQ(RegisterActiveObject(application.Get(), kTestClass, ACTIVEOBJECT_STRONG, &cookie),
            S_OK);
  int tries = 0;
  Result<ComPtr<IDispatch>> attached = AttachRunning(
      kTestClass, "Excel", AttemptPolicy{20, 500}, [](uint32_t) {}, &tries);
  ASSERT_TRUE(attached.ok()) << attached.message();
  EXPECT_EQ(tries, 1);
  Dispatcher excel(std::move(attached).value(), nullptr, "Excel", "Application", "");
  EXPECT_EQ(excel.GetText("Name").value(), "Microsoft Excel");
  EXPECT_EQ(RevokeActiveObject(cookie, nullptr), S_OK);
}

}  // namespace
}  // namespace mirune::com
