#include "cli/terminal_desktop.h"

#include <gtest/gtest.h>

#include <csignal>

namespace mirune::cli {
namespace {

TEST(TerminalDesktopTest, MessagesAsTitleAndText) {
  const struct {
    const char* text;
    const char* shown;
  } cases[] = {
      {"a\r\nb", "[確認] a\nb"},
      {"a\r\n\r\nb", "[確認] a\n\nb"},
      {"終了しました。\n\r処理に", "[確認] 終了しました。\n処理に"},  // LF CR of MessageCompleted
      {"InDesign文書を選択して下さい　", "[確認] InDesign文書を選択して下さい　"},
  };
  for (const auto& c : cases) EXPECT_EQ(TerminalDesktop::FormatMessage(c.text, "確認"), c.shown);
}

TEST(TerminalDesktopTest, AnswersWithoutATerminal) {
  JobFlags flags;
  const struct {
    bool yes;
    int style;
    int answer;
  } cases[] = {{true, 65, kAnswerOk},      {true, 49, kAnswerOk},      {true, 4132, kAnswerYes},
               {false, 65, kAnswerCancel}, {false, 49, kAnswerCancel}, {false, 4132, kAnswerNo},
               {false, 48, kAnswerOk},     {false, 64, kAnswerOk}};
  for (const auto& c : cases) {
    TerminalDesktop desktop(flags, {c.yes, /*interactive=*/false});
    EXPECT_EQ(desktop.ShowMessage("質問", "確認", c.style), c.answer) << c.style << c.yes;
  }
}

TEST(TerminalDesktopTest, ReportsToStandardOutputEverythingElseToStandardError) {
  const struct {
    int style;
    bool report;
  } cases[] = {{0, true},   {64, true},    {48, false}, {16, false},
               {65, false}, {4132, false}, {21, false}, {49, false}};
  for (const auto& c : cases) EXPECT_EQ(TerminalDesktop::IsReport(c.style), c.report) << c.style;

  JobFlags flags;
  TerminalDesktop desktop(flags, {false, false});
  testing::internal::CaptureStdout();
  testing::internal::CaptureStderr();
  desktop.ShowFailure("処理を続行できません。", "Razoza.xls を書き込めません", "確認", 48);
  desktop.ShowMessage("終了しました。", "ミルネ", 64);
  const std::string err = testing::internal::GetCapturedStderr();
  const std::string out = testing::internal::GetCapturedStdout();
  // The precise cause first, then the job's fixed text; the report apart on standard output.
  EXPECT_EQ(err, "Razoza.xls を書き込めません\n[確認] 処理を続行できません。\n");
  EXPECT_EQ(out, "[ミルネ] 終了しました。\n");

  // A sub-command's desktop names the command before the cause, as its own causes do.
  TerminalDesktop extract(flags, {false, false, "extract"});
  testing::internal::CaptureStderr();
  extract.ShowFailure("処理を続行できません。", "Razoza.xls を書き込めません", "確認", 48);
  EXPECT_EQ(testing::internal::GetCapturedStderr(),
            "mirune extract: Razoza.xls を書き込めません\n[確認] 処理を続行できません。\n");
}

TEST(TerminalDesktopTest, CtrlCRequestsTheAbort) {
  JobFlags flags;
  TerminalDesktop desktop(flags, {true, false});
  EXPECT_FALSE(desktop.HasAbortPause());
  desktop.YieldToMessageLoop();
  EXPECT_FALSE(flags.abort_requested);
  std::raise(SIGINT);
  desktop.YieldToMessageLoop();
  EXPECT_TRUE(flags.abort_requested);
  EXPECT_TRUE(desktop.interrupted());

  // With the abort window shown, the request goes through it (no question on a terminal).
  JobFlags flags2;
  TerminalDesktop desktop2(flags2, {false, false});
  AbortWindow window(desktop2, flags2);
  window.Show("本.idml");
  std::raise(SIGINT);
  window.Pause();
  EXPECT_TRUE(flags2.abort_requested);
}

#ifndef _WIN32
// SIGTERM and SIGHUP (a kill, a closed terminal) are held off like Ctrl+C: the job is asked to
// stop at its next safe point instead of being cut off in the middle of its writes.
TEST(TerminalDesktopTest, TerminateAndHangUpRequestTheAbort) {
  for (const int signal_number : {SIGTERM, SIGHUP}) {
    JobFlags flags;
    TerminalDesktop desktop(flags, {true, false});
    std::raise(signal_number);
    desktop.YieldToMessageLoop();
    EXPECT_TRUE(flags.abort_requested) << signal_number;
  }
}
#endif

}  // namespace
}  // namespace mirune::cli
