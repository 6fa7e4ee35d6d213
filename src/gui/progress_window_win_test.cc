// Form2 on a real window under Wine: made on one thread, driven from the test's thread.

#include "gui/progress_window_win.h"

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
using testing::QueueMarker;
using testing::WaitForWindow;
using testing::WaitUntil;
using testing::WindowText;

struct Expected {
  int id;
  const char* name;
  int left, top, width, height;  // twips; width -1 where the layout leaves it open
};

// Form2 as the layout table of the progress display gives it.
constexpr Expected kForm2Layout[] = {
    {kIdActivityText, "Label1", 720, 240, 3615, 255},
    {kIdTrack, "Text1", 720, 600, 3375, 285},
    {kIdBar, "Text2", 750, 630, -1, 230},
    {kIdPercentText, "Label2", 2040, 960, 855, 255},
    {kIdEngineName, "Label3", 4440, 1050, 1095, 255},
    {kIdDocumentCaption, "Label11", 360, 1440, -1, 255},
    {kIdDocumentName, "Label10", 1680, 1440, -1, 255},
    {kIdDocumentsCaption, "Label4", 360, 1800, -1, 255},
    {kIdDocumentCount, "Label5", 2880, 1800, -1, 255},
    {kIdStoriesCaption, "Label6", 360, 2160, -1, 255},
    {kIdStoryCount, "Label7", 2880, 2160, -1, 255},
    {kIdTermsCaption, "Label8", 360, 2520, -1, 255},
    {kIdTermCount, "Label9", 2880, 2520, -1, 255},
};

void ExpectLayout(HWND form, const Expected* begin, const Expected* end) {
  const int dpi = WindowDpi(form);
  for (const Expected* e = begin; e != end; ++e) {
    HWND control = GetDlgItem(form, e->id);
    ASSERT_NE(control, nullptr) << e->name;
    const RECT rect = ChildRect(form, control);
    EXPECT_EQ(rect.left, TwipsToPixels(e->left, dpi)) << e->name;
    EXPECT_EQ(rect.top, TwipsToPixels(e->top, dpi)) << e->name;
    EXPECT_EQ(rect.bottom - rect.top, TwipsToPixels(e->height, dpi)) << e->name;
    if (e->width >= 0) {
      EXPECT_EQ(rect.right - rect.left, TwipsToPixels(e->width, dpi)) << e->name;
    }
  }
}

std::wstring Text(HWND form, int id) { return WindowText(GetDlgItem(form, id)); }

std::wstring FontFace(HWND control) {
  auto font = reinterpret_cast<HFONT>(SendMessageW(control, WM_GETFONT, 0, 0));
  LOGFONTW face{};
  if (font == nullptr || GetObjectW(font, sizeof(face), &face) == 0) return L"";
  return face.lfFaceName;
}

HWND FocusOf(DWORD thread) {
  GUITHREADINFO info{};
  info.cbSize = sizeof(info);
  return GetGUIThreadInfo(thread, &info) ? info.hwndFocus : nullptr;
}

TEST(ProgressWindowTest, CaptionsLayoutFontAndPicture) {
  std::atomic<bool> done{false};
  std::atomic<HWND> owner{nullptr};
  std::atomic<DWORD> thread_id{0};
  std::thread ui([&] {
    JobFlags flags;
    flags.job_running = true;
    HWND owner_window = CreateWindowExW(0, L"Static", L"ミルネ", WS_OVERLAPPEDWINDOW, 0, 0, 200,
                                        100, nullptr, nullptr, nullptr, nullptr);
    auto window = ProgressWindowWin::Create(flags, owner_window);
    ASSERT_TRUE(window.ok()) << window.message();
    ProgressWindowModel progress(**window);
    const float full = progress.StartProgress(kExtractingActivity);
    progress.SetField(ProgressField::kDocumentName, "第1章.idml");
    progress.SetField(ProgressField::kDocumentCounter, "1 / 3");
    progress.SetField(ProgressField::kStoryCounter, "12 / 40");
    progress.SetField(ProgressField::kEntryCount, "128");
    EXPECT_TRUE(progress.UpdateProgress(40, 100, full, kExtractingActivity).ok());
    owner = owner_window;
    thread_id = GetCurrentThreadId();
    PumpUntil([&] { return done.load(); });
    window->reset();
    DestroyWindow(owner_window);
  });

  HWND form = WaitForWindow(ProgressWindowWin::kClassName, nullptr);
  ASSERT_NE(form, nullptr);
  ASSERT_TRUE(WaitUntil([&] { return owner.load() != nullptr; }));
  EXPECT_EQ(WindowText(form), L"進行状況");
  EXPECT_TRUE(IsWindowVisible(form));
  EXPECT_TRUE(IsWindowEnabled(owner.load())) << "the progress window is not modal";

  ExpectLayout(form, std::begin(kForm2Layout), std::end(kForm2Layout));
  const int dpi = WindowDpi(form);
  // The bar at 40 of 100 of the 3375-twip track: 1350 × 0.98 = 1323 twips.
  EXPECT_EQ(ChildRect(form, GetDlgItem(form, kIdBar)).right -
                ChildRect(form, GetDlgItem(form, kIdBar)).left,
            TwipsToPixels(1323.0, dpi));

  EXPECT_EQ(Text(form, kIdActivityText), L"索引抽出処理を実行中です...　");
  EXPECT_EQ(Text(form, kIdPercentText), L"40％");
  EXPECT_EQ(Text(form, kIdEngineName), L"Tovas Engine");
  EXPECT_EQ(Text(form, kIdDocumentCaption), L"対象文書名 ：");
  EXPECT_EQ(Text(form, kIdDocumentsCaption), L"処理中のドキュメント数 ：");
  EXPECT_EQ(Text(form, kIdStoriesCaption), L"処理中のストーリー数   ：");
  EXPECT_EQ(Text(form, kIdTermsCaption), L"抽出された索引語句数   ：");
  EXPECT_EQ(Text(form, kIdDocumentName), L"第1章.idml");
  EXPECT_EQ(Text(form, kIdDocumentCount), L"1 / 3");
  EXPECT_EQ(Text(form, kIdStoryCount), L"12 / 40");
  EXPECT_EQ(Text(form, kIdTermCount), L"128");
  EXPECT_EQ(FocusOf(thread_id.load()), GetDlgItem(form, kIdFocusHolder));

  const std::wstring face = FontFace(GetDlgItem(form, kIdActivityText));
  if (!FormFontFaceInstalled().empty()) {
    // "ＭＳ Ｐゴシック", or its stand-in where it is missing (IPA's under Wine).
    EXPECT_EQ(face, FormFontFaceInstalled());
  } else {
    NONCLIENTMETRICSW metrics{};
    metrics.cbSize = sizeof(metrics);
    ASSERT_TRUE(SystemParametersInfoW(SPI_GETNONCLIENTMETRICS, sizeof(metrics), &metrics, 0));
    EXPECT_EQ(face, metrics.lfMessageFont.lfFaceName);
  }

  EXPECT_TRUE(testing::Screenshot(form, "form2"));

  // Moved to a monitor of 144 dpi: every control, the bar and the font scale by 1.5.
  RECT suggested{0, 0, 600, 330};
  SendMessageW(form, WM_DPICHANGED, MAKEWPARAM(144, 144), reinterpret_cast<LPARAM>(&suggested));
  for (const Expected& e : kForm2Layout) {
    const RECT rect = ChildRect(form, GetDlgItem(form, e.id));
    EXPECT_EQ(rect.left, TwipsToPixels(e.left, 144)) << e.name << " at 144 dpi";
    EXPECT_EQ(rect.top, TwipsToPixels(e.top, 144)) << e.name << " at 144 dpi";
    EXPECT_EQ(rect.bottom - rect.top, TwipsToPixels(e.height, 144)) << e.name << " at 144 dpi";
  }
  const RECT bar = ChildRect(form, GetDlgItem(form, kIdBar));
  EXPECT_EQ(bar.right - bar.left, TwipsToPixels(1323.0, 144));
  LOGFONTW scaled{};
  GetObjectW(
      reinterpret_cast<HFONT>(SendMessageW(GetDlgItem(form, kIdActivityText), WM_GETFONT, 0, 0)),
      sizeof(scaled), &scaled);
  EXPECT_EQ(scaled.lfHeight, -18);  // 9 pt at 144 dpi
  done = true;
  ui.join();
}

TEST(ProgressWindowTest, ValuesAsTheProgressOperationsSetThem) {
  const struct {
    int32_t done, total;
    float full_width;
    double bar_twips;
    const wchar_t* percent;
  } cases[] = {
      {0, 100, 3375, 0, L"0％"},        {50, 100, 3000, 1470, L"50％"},
      {1, 3, 1000, 326.34, L"33％"},    {7, 100, 3375, 231.28, L"7％"},
      {120, 100, 3375, 3969, L"100％"},  // wider than 98 % of the track; the text stops at 100
  };
  const int count = static_cast<int>(std::size(cases));
  std::atomic<int> stage{0};
  std::atomic<int> go{0};
  std::atomic<bool> finished{false};
  std::thread ui([&] {
    JobFlags flags;
    flags.job_running = true;
    auto window = ProgressWindowWin::Create(flags);
    ASSERT_TRUE(window.ok()) << window.message();
    ProgressWindowModel progress(**window);
    progress.StartProgress("開始");
    for (int i = 0; i < count; ++i) {
      const auto& c = cases[i];
      EXPECT_TRUE(progress.UpdateProgress(c.done, c.total, c.full_width, "更新").ok());
      progress.YieldToMessageLoop();
      stage = i + 1;
      PumpUntil([&] { return go.load() > i; });
    }
    progress.FinishProgress("索引データ書き出し処理中です... ");
    finished = true;
  });

  HWND form = WaitForWindow(ProgressWindowWin::kClassName, nullptr);
  ASSERT_NE(form, nullptr);
  const int dpi = WindowDpi(form);
  const int track = TwipsToPixels(3375, dpi);
  for (int i = 0; i < count; ++i) {
    ASSERT_TRUE(WaitUntil([&] { return stage.load() > i; }));
    const RECT bar = ChildRect(form, GetDlgItem(form, kIdBar));
    EXPECT_EQ(bar.right - bar.left, TwipsToPixels(cases[i].bar_twips, dpi)) << i;
    EXPECT_EQ(Text(form, kIdPercentText), cases[i].percent) << i;
    EXPECT_EQ(Text(form, kIdActivityText), L"更新") << i;
    if (cases[i].done > cases[i].total) {
      EXPECT_GT(bar.right - bar.left, track * 0.98) << i;
    }
    go = i + 1;
  }
  // FinishProgress shows 100 % for about a second and closes the window.
  ASSERT_TRUE(WaitUntil([&] { return finished.load(); }));
  EXPECT_FALSE(IsWindowVisible(form));
  ui.join();
}

// The second at 100 % after the end takes no input, but the window repaints after an expose
// within it (it used to sleep through it with whatever the screen showed).
TEST(ProgressWindowTest, RepaintsDuringTheSecondAfterTheEnd) {
  std::atomic<bool> go{false};
  std::atomic<bool> finished{false};
  std::thread ui([&] {
    JobFlags flags;
    flags.job_running = true;
    auto window = ProgressWindowWin::Create(flags);
    ASSERT_TRUE(window.ok()) << window.message();
    ProgressWindowModel progress(**window);
    const float full = progress.StartProgress("開始");
    EXPECT_TRUE(progress.UpdateProgress(10, 100, full, "更新").ok());
    PumpUntil([&] { return go.load(); });
    progress.FinishProgress("索引データ書き出し処理中です... ");
    finished = true;
  });

  HWND form = WaitForWindow(ProgressWindowWin::kClassName, nullptr);
  ASSERT_NE(form, nullptr);
  // Shown once its controls are made.
  ASSERT_TRUE(WaitUntil([&] { return IsWindowVisible(form) != FALSE; }));
  HWND bar = GetDlgItem(form, kIdBar);
  const int full_bar = TwipsToPixels(3375 * 0.98, WindowDpi(form));
  go = true;
  // In the pause: the bar is full (its size is read without a message: the pause answers
  // none).
  ASSERT_TRUE(WaitUntil([&] {
    const RECT rect = ChildRect(form, bar);
    return rect.right - rect.left == full_bar;
  }));
  // The last update painted: the pause has begun.
  ASSERT_TRUE(WaitUntil([&] { return !GetUpdateRect(form, nullptr, FALSE); }));
  InvalidateRect(form, nullptr, TRUE);
  ASSERT_TRUE(
      WaitUntil([&] { return !IsWindowVisible(form) || !GetUpdateRect(form, nullptr, FALSE); }));
  EXPECT_TRUE(IsWindowVisible(form)) << "the window was not repainted before the pause ended";
  ui.join();
}

TEST(ProgressWindowTest, UserCloseRefusedDuringAJobProgramCloseAlwaysDone) {
  std::atomic<int> stage{0};
  std::atomic<int> go{0};
  std::atomic<QueueMarker*> marker{nullptr};
  std::thread ui([&] {
    QueueMarker queue;
    JobFlags flags;
    flags.job_running = true;
    auto window = ProgressWindowWin::Create(flags);
    ASSERT_TRUE(window.ok()) << window.message();
    ProgressWindowModel progress(**window);
    progress.StartProgress(kExtractingActivity);
    marker = &queue;
    stage = 1;
    PumpUntil([&] { return go.load() >= 1; });
    progress.CloseProgress();  // the job's own close, while the job runs
    stage = 2;
    PumpUntil([&] { return go.load() >= 2; });
    flags.job_running = false;
    progress.StartProgress(kExtractingActivity);
    stage = 3;
    PumpUntil([&] { return go.load() >= 3; });
  });

  ASSERT_TRUE(WaitUntil([&] { return stage.load() >= 1; }));
  HWND form = WaitForWindow(ProgressWindowWin::kClassName, nullptr);
  ASSERT_NE(form, nullptr);
  SendMessageW(form, WM_CLOSE, 0, 0);
  EXPECT_TRUE(IsWindowVisible(form)) << "close box";
  SendMessageW(form, WM_SYSCOMMAND, SC_CLOSE, 0);
  EXPECT_TRUE(IsWindowVisible(form)) << "system menu";
  PostMessageW(form, WM_SYSKEYDOWN, VK_F4, 0x20000001);  // Alt+F4
  ASSERT_TRUE(marker.load()->Drain());
  ASSERT_TRUE(marker.load()->Drain());  // behind a close the key may have posted
  EXPECT_TRUE(IsWindowVisible(form)) << "Alt+F4";
  go = 1;

  ASSERT_TRUE(WaitUntil([&] { return stage.load() >= 2; }));
  EXPECT_FALSE(IsWindowVisible(form)) << "the program's close is carried out during a job";
  go = 2;

  // After the job the same Alt+F4 closes the window (so the refusal above was one).
  ASSERT_TRUE(WaitUntil([&] { return stage.load() >= 3; }));
  EXPECT_TRUE(IsWindowVisible(form));
  PostMessageW(form, WM_SYSKEYDOWN, VK_F4, 0x20000001);
  EXPECT_TRUE(WaitUntil([&] { return !IsWindowVisible(form); }));
  go = 3;
  ui.join();
}

}  // namespace
}  // namespace mirune
