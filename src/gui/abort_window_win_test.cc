// Form6 on a real window under Wine: made on one thread, whose five-second pause yields to
// the message loop, and driven from the test's thread like a person.

#include "gui/abort_window_win.h"

#include <gtest/gtest.h>

#include <atomic>
#include <thread>

#include "gui/forms/message_pump_win.h"
#include "gui/forms/window_metrics_win.h"
#include "gui/progress_layout.h"
#include "gui/testing/window_test_driver_win.h"

namespace mirune {
namespace {

using testing::ChildRect;
using testing::PumpUntil;
using testing::WaitForMessageBox;
using testing::WaitForWindow;
using testing::WaitUntil;
using testing::WindowText;

// A desktop whose abort window is Form6 and whose clock the test moves: the pause ends when
// the test says the five seconds have passed, not after a real wait.
class Form6Desktop : public Desktop {
 public:
  Form6Desktop(AbortWindowWin& form, std::atomic<double>& clock) : form_(form), clock_(clock) {}
  int ShowMessage(std::string_view, std::string_view, int) override {
    ADD_FAILURE() << "the abort question is Form6's own";
    return kAnswerNo;
  }
  void YieldToMessageLoop() override { PumpMessagesWaiting(10); }
  double ClockSeconds() override { return clock_.load(); }
  void ShowAbortWindow(AbortWindow& window) override { form_.Show(window.document_name()); }
  void CloseAbortWindow() override { form_.Close(); }
  void ShowInDesign() override {}
  void HideInDesign() override {}
  void SetSelectionControlsEnabled(bool) override {}
  void FocusMainWindow() override {}

 private:
  AbortWindowWin& form_;
  std::atomic<double>& clock_;
};

std::wstring Text(HWND form, int id) { return WindowText(GetDlgItem(form, id)); }

TEST(AbortWindowTest, StaticLookCaptionsLayoutAndPicture) {
  std::atomic<bool> done{false};
  std::thread ui([&] {
    JobFlags flags;
    auto window = AbortWindowWin::Create(flags);
    ASSERT_TRUE(window.ok()) << window.message();
    (*window)->Show("第1章.indd");
    PumpUntil([&] { return done.load(); });
  });
  HWND form = WaitForWindow(AbortWindowWin::kClassName, nullptr);
  ASSERT_NE(form, nullptr);
  ASSERT_TRUE(WaitUntil([&] { return IsWindowVisible(form) != FALSE; }));
  EXPECT_EQ(WindowText(form), L"進行状況");
  EXPECT_EQ(Text(form, kIdActivityText), L"索引抽出処理の準備中です...　");
  EXPECT_EQ(Text(form, kIdPercentText), L"5％");
  EXPECT_EQ(Text(form, kIdDocumentCaption), L"対象文書名 ：");
  EXPECT_EQ(Text(form, kIdDocumentName), L"第1章.indd");
  EXPECT_EQ(Text(form, kIdAbortHint), L"処理中止ボタンで中止することができます");
  EXPECT_EQ(Text(form, kIdAbortButton), L"処理中止");

  // The track and bar of Form2, the bar 100 twips wide; the rows as in Form2.
  const int dpi = WindowDpi(form);
  const struct {
    int id;
    int left, top, width, height;
  } layout[] = {
      {kIdActivityText, 720, 240, 3615, 255},
      {kIdTrack, 720, 600, 3375, 285},
      {kIdBar, 750, 630, 100, 230},
      {kIdPercentText, 2040, 960, 855, 255},
      {kIdDocumentCaption, 360, 1440, 1320, 255},
      {kIdDocumentName, 1680, 1440, 3855, 255},
  };
  for (const auto& e : layout) {
    const RECT rect = ChildRect(form, GetDlgItem(form, e.id));
    EXPECT_EQ(rect.left, TwipsToPixels(e.left, dpi)) << e.id;
    EXPECT_EQ(rect.top, TwipsToPixels(e.top, dpi)) << e.id;
    EXPECT_EQ(rect.right - rect.left, TwipsToPixels(e.width, dpi)) << e.id;
    EXPECT_EQ(rect.bottom - rect.top, TwipsToPixels(e.height, dpi)) << e.id;
  }
  // Every control lies inside the client area.
  RECT client{};
  GetClientRect(form, &client);
  for (const ControlLayout& control_layout : kForm6Controls) {
    const RECT rect = ChildRect(form, GetDlgItem(form, control_layout.id));
    EXPECT_LE(rect.right, client.right) << control_layout.name;
    EXPECT_LE(rect.bottom, client.bottom) << control_layout.name;
  }

  EXPECT_TRUE(testing::Screenshot(form, "form6"));
  done = true;
  ui.join();
}

TEST(AbortWindowTest, AbortButtonDuringThePause) {
  const struct {
    int answer;
    bool abort_requested;
  } cases[] = {{IDYES, true}, {IDNO, false}};
  for (const auto& c : cases) {
    std::atomic<double> clock{100.0};
    std::atomic<int> result{-1};
    std::thread ui([&] {
      JobFlags flags;
      flags.job_running = true;
      auto window = AbortWindowWin::Create(flags);
      ASSERT_TRUE(window.ok()) << window.message();
      Form6Desktop desktop(**window, clock);
      AbortWindow abort(desktop, flags);
      abort.Show("索引見本.indb");
      abort.Pause(5);
      abort.Close();
      result = flags.abort_requested ? 1 : 0;
    });

    HWND form = WaitForWindow(AbortWindowWin::kClassName, nullptr);
    ASSERT_NE(form, nullptr);
    ASSERT_TRUE(WaitUntil([&] { return IsWindowVisible(form) != FALSE; }));
    EXPECT_EQ(Text(form, kIdDocumentName), L"索引見本.indb");

    // A user close is refused while the job runs.
    SendMessageW(form, WM_CLOSE, 0, 0);
    SendMessageW(form, WM_SYSCOMMAND, SC_CLOSE, 0);
    EXPECT_TRUE(IsWindowVisible(form));

    PostMessageW(GetDlgItem(form, kIdAbortButton), BM_CLICK, 0, 0);
    HWND box = WaitForMessageBox(L"確認");
    ASSERT_NE(box, nullptr);
    EXPECT_EQ(testing::MessageBoxText(box), L"処理を中止しますか？");
    EXPECT_NE(GetDlgItem(box, IDYES), nullptr);
    EXPECT_NE(GetDlgItem(box, IDNO), nullptr);
    EXPECT_EQ(GetDlgItem(box, IDCANCEL), nullptr);
    EXPECT_EQ(GetDlgItem(box, IDOK), nullptr);
    if (c.answer == IDYES) {
      EXPECT_TRUE(testing::Screenshot(box, "form6_question"));
    }
    SendMessageW(box, WM_COMMAND, MAKEWPARAM(c.answer, BN_CLICKED),
                 reinterpret_cast<LPARAM>(GetDlgItem(box, c.answer)));
    EXPECT_TRUE(WaitUntil([&] { return !IsWindow(box) || !IsWindowVisible(box); }));
    // The button neither closes the window nor ends the pause.
    EXPECT_TRUE(IsWindowVisible(form));
    EXPECT_EQ(result.load(), -1);

    clock = 105.0;  // the five seconds have passed
    ASSERT_TRUE(WaitUntil([&] { return result.load() >= 0; }));
    ui.join();
    EXPECT_EQ(result.load() == 1, c.abort_requested) << c.answer;
  }
}

}  // namespace
}  // namespace mirune
