#include "desktop/desktop.h"

#include <gtest/gtest.h>

#include "desktop/testing/recording_desktop.h"

namespace mirune {
namespace {

TEST(RoundHalfEvenTest, Table) {
  const struct {
    double in;
    long long out;
  } cases[] = {{0.0, 0}, {0.49, 0}, {0.5, 0},  {0.51, 1}, {1.5, 2},   {2.5, 2},
               {3.5, 4}, {4.5, 4},  {4.51, 5}, {-0.5, 0}, {-1.5, -2}, {332.5, 332}};
  for (const auto& c : cases) EXPECT_EQ(RoundHalfEven(c.in), c.out) << c.in;
}

TEST(MessageButtonsTest, AnswersByStyle) {
  const struct {
    int style;
    int positive;
    int negative;
  } cases[] = {{48, kAnswerOk, kAnswerOk},     {64, kAnswerOk, kAnswerOk},
               {65, kAnswerOk, kAnswerCancel}, {49, kAnswerOk, kAnswerCancel},
               {4132, kAnswerYes, kAnswerNo},  {21, kAnswerRetry, kAnswerCancel}};
  for (const auto& c : cases) {
    EXPECT_EQ(PositiveAnswer(c.style), c.positive) << c.style;
    EXPECT_EQ(NegativeAnswer(c.style), c.negative) << c.style;
  }
}

TEST(FailureMessageTest, CauseFirstThenTheFixedText) {
  EXPECT_EQ(FailureMessageText("処理を続行できません。\r\n再度実行して下さい。",
                               "本.idml は IDML ではありません。"),
            "原因: 本.idml は IDML ではありません。\r\n\r\n処理を続行できません。\r\n"
            "再度実行して下さい。");
  EXPECT_EQ(FailureMessageText("処理を続行できません。", ""), "処理を続行できません。");
}

TEST(AbortWindowTest, PauseYieldsUntilFiveRoundedSeconds) {
  RecordingDesktop desktop;
  JobFlags flags;
  AbortWindow window(desktop, flags);
  desktop.seconds_per_yield = 0.25;
  window.Show("本.indb");
  window.Pause();
  // 4.5 s rounds to 4 (halves to even), 4.75 s to 5: the wait ends after 19 yields.
  EXPECT_EQ(desktop.yields, 19);
  EXPECT_EQ(desktop.abort_window_names, std::vector<std::string>{"本.indb"});
  // The window counts down what the wait is for, once per whole second left.
  std::vector<std::string> expected;
  for (int left = 5; left >= 1; --left) {
    expected.push_back("あと " + std::to_string(left) + " 秒で抽出を始めます");
  }
  EXPECT_EQ(desktop.pause_texts, expected);
  EXPECT_TRUE(window.pause_text().empty());
  window.Close();
  EXPECT_FALSE(window.visible());
}

TEST(AbortWindowTest, AbortButtonAsksAndYesSetsTheFlag) {
  for (const int answer : {kAnswerYes, kAnswerNo}) {
    RecordingDesktop desktop;
    JobFlags flags;
    AbortWindow window(desktop, flags);
    desktop.answers = {answer};
    desktop.press_abort_in_window = {1};
    window.Show("a.indd");
    window.Pause();
    ASSERT_EQ(desktop.messages.size(), 1u);
    EXPECT_EQ(desktop.messages[0].text, "処理を中止しますか？");
    EXPECT_EQ(desktop.messages[0].title, "確認");
    EXPECT_EQ(desktop.messages[0].style, 4132);
    EXPECT_EQ(flags.abort_requested, answer == kAnswerYes);
    EXPECT_TRUE(window.visible());  // the button does not close the window
  }
}

TEST(AbortWindowTest, UserCloseRefusedWhileJobRuns) {
  RecordingDesktop desktop;
  JobFlags flags;
  AbortWindow window(desktop, flags);
  flags.job_running = true;
  EXPECT_FALSE(window.UserMayClose());
  flags.job_running = false;
  EXPECT_TRUE(window.UserMayClose());
}

}  // namespace
}  // namespace mirune
