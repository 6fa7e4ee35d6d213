#include "progress/progress_model.h"

#include <gtest/gtest.h>

#include <vector>

#include "progress/terminal_progress_view.h"

namespace mirune {
namespace {

TEST(ProgressArithmeticTest, BarPercentAndText) {
  const struct {
    int32_t done, total;
    double full;
    int32_t bar;
    double width;
    const char* text;
  } cases[] = {
      {0, 100, 3375, 0, 0, "0％"},
      {50, 100, 3000, 1500, 1470, "50％"},
      {1, 3, 1000, 333, 326.34, "33％"},
      {7, 100, 3375, 236, 231.28, "7％"},  // 236.25
      {1, 8, 4, 0, 0, "12％"},             // bar 0.5 → 0; 12.5 % → 12 (halves to even)
      {3, 8, 4, 2, 1.96, "38％"},          // bar 1.5 → 2; 37.5 % → 38
      {5, 8, 4, 2, 1.96, "62％"},          // bar 2.5 → 2; 62.5 % → 62
      {100, 100, 3375, 3375, 3307.5, "100％"},
      {120, 100, 1000, 1200, 1176, "100％"},  // bar wider than 98 %, text capped
  };
  for (const auto& c : cases) {
    const auto bar = ProgressBarLength(c.done, c.total, c.full);
    ASSERT_TRUE(bar.ok());
    EXPECT_EQ(*bar, c.bar) << c.done << "/" << c.total;
    EXPECT_NEAR(FilledBarWidth(*bar), c.width, 1e-9);
    const auto percent = ProgressPercent(c.done, c.total);
    ASSERT_TRUE(percent.ok());
    EXPECT_EQ(ProgressPercentText(*percent), c.text) << c.done << "/" << c.total;
  }
}

TEST(ProgressArithmeticTest, PercentHalvesToEven) {
  const struct {
    int32_t done, total, percent;
  } cases[] = {{1, 200, 0}, {3, 200, 2}, {5, 200, 2}, {7, 200, 4}, {1, 3, 33}, {2, 3, 67}};
  for (const auto& c : cases) EXPECT_EQ(*ProgressPercent(c.done, c.total), c.percent);
}

TEST(ProgressArithmeticTest, TotalZeroAndOverflowFail) {
  EXPECT_EQ(ProgressBarLength(1, 0, 100).code(), ErrorCode::kInvalidArgument);
  EXPECT_EQ(ProgressPercent(1, 0).code(), ErrorCode::kInvalidArgument);
  EXPECT_EQ(ProgressBarLength(2147483647, 1, 3375).code(), ErrorCode::kOverflow);
}

class FakeView : public ProgressView {
 public:
  void Render(const ProgressWindowState& state) override { renders.push_back(state); }
  void Close() override { ++closes; }
  void PauseAfterFinish() override { ++pauses; }
  void Yield() override { ++yields; }
  std::vector<ProgressWindowState> renders;
  int closes = 0, pauses = 0, yields = 0;
};

TEST(ProgressWindowModelTest, StartUpdateFinish) {
  FakeView view;
  ProgressWindowModel model(view, 3375);
  EXPECT_FLOAT_EQ(model.StartProgress("始め"), 3375.0f);
  EXPECT_TRUE(model.state().open);
  EXPECT_EQ(model.state().bar_width, 0);
  ASSERT_TRUE(model.UpdateProgress(40, 100, 3375, "途中").ok());
  EXPECT_EQ(model.state().activity, "途中");
  EXPECT_DOUBLE_EQ(model.state().bar_width, 1350 * 0.98);
  EXPECT_EQ(model.state().percent_text, "40％");
  model.SetField(ProgressField::kDocumentCounter, "1 / 3");
  EXPECT_EQ(view.renders.back().document_counter, "1 / 3");
  EXPECT_FALSE(model.UpdateProgress(1, 0, 3375, "x").ok());
  model.YieldToMessageLoop();
  EXPECT_EQ(view.yields, 1);
  model.FinishProgress("終わり");
  EXPECT_EQ(view.pauses, 1);
  EXPECT_EQ(view.closes, 1);
  const ProgressWindowState& last = view.renders.back();
  EXPECT_EQ(last.percent_text, "100％");
  EXPECT_DOUBLE_EQ(last.bar_width, 3375 * 0.98);
  EXPECT_TRUE(last.track_text_white);
  EXPECT_FALSE(model.state().open);
  model.Close();  // already closed: no second close
  EXPECT_EQ(view.closes, 1);
}

TEST(WaitRoundedSecondsTest, EndsAtHalfPastAndAcrossMidnight) {
  double now = 86399.5;  // half a second before midnight
  int sleeps = 0;
  WaitRoundedSeconds(
      1, [&] { return now; },
      [&] {
        ++sleeps;
        now += 0.125;
        if (now >= 86400.0) now -= 86400.0;
      });
  // 0.5 s elapsed rounds to 0, 0.625 s to 1.
  EXPECT_EQ(sleeps, 5);
}

TEST(TerminalProgressViewTest, LineAndOnlyOnTerminals) {
  ProgressWindowState state;
  state.open = true;
  state.activity = "索引抽出処理を実行中です...　";
  state.bar_width = 3375 * 0.98 * 0.5;
  state.percent_text = "50％";
  state.document_counter = "2 / 3";
  state.story_counter = "4 / 9";
  state.entry_count = "12";
  EXPECT_EQ(TerminalProgressView::FormatLine(state),
            "索引抽出処理を実行中です...　 [##########----------] 50％  文書 2 / 3  "
            "ストーリー 4 / 9  語句 12");
  std::string out;
  TerminalProgressView silent(false, [&](std::string_view s) { out += s; });
  silent.Render(state);
  silent.Close();
  EXPECT_TRUE(out.empty());
  TerminalProgressView shown(true, [&](std::string_view s) { out += s; });
  shown.Render(state);
  shown.Close();
  EXPECT_NE(out.find("50％"), std::string::npos);
  EXPECT_EQ(out.substr(out.size() - 4), "\r\x1b[K");
}

}  // namespace
}  // namespace mirune
