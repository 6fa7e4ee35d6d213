#include "app/running_hosts.h"

#include <gtest/gtest.h>

#include "automation/indesign_engine/engine_application.h"
#include "desktop/testing/recording_desktop.h"
#include "marking/marking_messages.h"
#include "progress/testing/recording_progress.h"

namespace mirune {
namespace {

struct Case {
  const char* name;
  bool indesign_connects;
  const char* cause_names;  // the application the cause names
};

class RunningMarkingTest : public ::testing::TestWithParam<Case> {};

// An application that cannot be reached ends the marking before it starts: kFailed with the cause
// under it, nothing confirmed, JobRunning clear.
TEST_P(RunningMarkingTest, AnApplicationNotReachedShowsM10WithTheCause) {
  RunningHosts hosts = UnconnectedRunningHosts();
  if (GetParam().indesign_connects) {
    hosts.indesign = []() -> Result<std::shared_ptr<indesign::Application>> {
      return std::shared_ptr<indesign::Application>(
          std::make_shared<indesign_engine::EngineApplication>());
    };
  }
  RecordingDesktop desktop;
  RecordingProgress progress;
  JobFlags flags;
  bool confirmed = false;
  const KeywordMarkingResult result =
      LaunchRunningMarking(hosts, desktop, progress, flags, [&] { confirmed = true; });
  EXPECT_EQ(result.outcome, MarkingOutcome::kFailed);
  ASSERT_EQ(desktop.messages.size(), 1u);
  EXPECT_EQ(desktop.messages[0].text, MarkingMessageFor(MarkingMessage::kFailed).text);
  EXPECT_EQ(desktop.messages[0].title, "確認");
  EXPECT_EQ(desktop.messages[0].style, 48);
  EXPECT_EQ(desktop.messages[0].cause.rfind(GetParam().cause_names, 0), 0u)
      << desktop.messages[0].cause;
  EXPECT_FALSE(confirmed);
  EXPECT_FALSE(flags.job_running);
}

INSTANTIATE_TEST_SUITE_P(Hosts, RunningMarkingTest,
                         ::testing::Values(Case{"NoInDesign", false, "InDesign"},
                                           Case{"NoExcel", true, "Excel"}),
                         [](const auto& info) { return std::string(info.param.name); });

// InDesign not installed (its class not registered): the cause says so in Japanese, and the
// message points to "IDMLに実行" instead of kFailed's dialogs and rights.
TEST(RunningMarkingTest, InDesignNotInstalledPointsToTheIdmlButton) {
  RunningHosts hosts = UnconnectedRunningHosts();
  hosts.indesign = []() -> Result<std::shared_ptr<indesign::Application>> {
    return Error{ErrorCode::kNotFound,
                 "InDesign がこのコンピューターに登録されていません（「InDesign.Application」: "
                 "0x800401F3）"};
  };
  RecordingDesktop desktop;
  RecordingProgress progress;
  JobFlags flags;
  const KeywordMarkingResult result = LaunchRunningMarking(hosts, desktop, progress, flags, {});
  EXPECT_EQ(result.outcome, MarkingOutcome::kRefused);
  ASSERT_EQ(desktop.messages.size(), 1u);
  EXPECT_EQ(desktop.messages[0].text, kMarkWithoutInDesign);
  EXPECT_NE(desktop.messages[0].text.find("「IDMLに実行」"), std::string::npos);
  EXPECT_EQ(desktop.messages[0].cause.rfind("このコンピューターには InDesign がインストールされて"
                                            "いません",
                                            0),
            0u)
      << desktop.messages[0].cause;
  EXPECT_FALSE(flags.job_running);
}

TEST(UnconnectedRunningHosts, TheResortSaysExcelCannotBeReached) {
  RunningHosts hosts = UnconnectedRunningHosts();
  RecordingDesktop desktop;
  JobFlags flags;
  const Status status = hosts.resort(desktop, flags);
  EXPECT_EQ(status.code(), ErrorCode::kUnsupported);
  EXPECT_EQ(status.message().rfind("Excel", 0), 0u) << status.message();
  EXPECT_TRUE(desktop.messages.empty());
}

}  // namespace
}  // namespace mirune
