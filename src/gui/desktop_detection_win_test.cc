// The detection on real top-level windows under Wine: the test makes windows of Word's,
// Excel's and InDesign's classes (and of another program's class with a Word-like title) on
// a window thread that counts the close requests each receives.

#include "gui/desktop_detection_win.h"

#include <gtest/gtest.h>
#include <windows.h>

#include <algorithm>
#include <atomic>
#include <string>
#include <thread>
#include <vector>

#include "gui/testing/window_test_driver_win.h"

namespace mirune {
namespace {

using testing::PumpUntil;
using testing::QueueMarker;
using testing::WaitUntil;

// A window that counts the WM_CLOSE it receives and stays.
LRESULT CALLBACK CountingProc(HWND hwnd, UINT message, WPARAM wparam, LPARAM lparam) {
  if (message == WM_CLOSE) {
    auto* closes = reinterpret_cast<std::atomic<int>*>(GetWindowLongPtrW(hwnd, GWLP_USERDATA));
    if (closes != nullptr) ++*closes;
    return 0;
  }
  return DefWindowProcW(hwnd, message, wparam, lparam);
}

struct SceneWindow {
  const wchar_t* class_name;
  const wchar_t* title;
  bool visible;
};

// The windows of one scene, made and served by their own thread.
class Scene {
 public:
  explicit Scene(std::vector<SceneWindow> wanted)
      : wanted_(std::move(wanted)), closes_(wanted_.size()) {
    thread_ = std::thread([this] { Run(); });
    WaitUntil([this] { return ready_.load(); });
  }
  ~Scene() {
    done_ = true;
    thread_.join();
  }
  HWND window(size_t i) const { return windows_[i]; }
  int closes(size_t i) const { return closes_[i].load(); }
  // Waits until the window thread has handled everything posted so far.
  bool Settle() { return marker_.load()->Drain(); }

 private:
  void Run() {
    QueueMarker marker;
    for (size_t i = 0; i < wanted_.size(); ++i) {
      WNDCLASSEXW window_class{};
      window_class.cbSize = sizeof(window_class);
      window_class.lpfnWndProc = CountingProc;
      window_class.hInstance = GetModuleHandleW(nullptr);
      window_class.lpszClassName = wanted_[i].class_name;
      RegisterClassExW(&window_class);
      HWND hwnd =
          CreateWindowExW(0, wanted_[i].class_name, wanted_[i].title, WS_OVERLAPPEDWINDOW, 10, 10,
                          300, 200, nullptr, nullptr, GetModuleHandleW(nullptr), nullptr);
      SetWindowLongPtrW(hwnd, GWLP_USERDATA, reinterpret_cast<LONG_PTR>(&closes_[i]));
      if (wanted_[i].visible) ShowWindow(hwnd, SW_SHOWNORMAL);
      windows_.push_back(hwnd);
    }
    marker_ = &marker;
    ready_ = true;
    PumpUntil([this] { return done_.load(); });
    for (HWND hwnd : windows_) DestroyWindow(hwnd);
  }

  std::vector<SceneWindow> wanted_;
  std::vector<std::atomic<int>> closes_;
  std::vector<HWND> windows_;
  std::atomic<QueueMarker*> marker_{nullptr};
  std::atomic<bool> ready_{false};
  std::atomic<bool> done_{false};
  std::thread thread_;
};

TEST(DesktopDetectionWinTest, ClassAndTitleOfRealWindows) {
  Scene scene({{L"OpusApp", L"文書1 - Word", true}});
  Win32WindowSystem system;
  const auto handle = reinterpret_cast<WindowHandle>(scene.window(0));
  EXPECT_EQ(system.FindWindowOfClass("OpusApp"), handle);
  EXPECT_EQ(system.ClassName(handle), "OpusApp");
  EXPECT_EQ(system.Title(handle), "文書1 - Word");
  EXPECT_TRUE(system.IsVisible(handle));
  const auto all = system.TopLevelWindows();
  EXPECT_NE(std::find(all.begin(), all.end(), handle), all.end());
}

TEST(DesktopDetectionWinTest, HiddenWordClosedOtherProgramsWindowLeftAlone) {
  Scene scene({{L"OpusApp", L"Microsoft Word", false},
               {L"MiruneOtherProgram", L"Word helper", false},
               {L"MiruneOtherProgram", L"Excel export", false}});
  SystemDesktopDetection detection;
  EXPECT_FALSE(detection->FindVisibleWord());
  EXPECT_FALSE(detection->FindVisibleExcel());  // no XLMAIN: nothing is looked at
  ASSERT_TRUE(scene.Settle());
  EXPECT_EQ(scene.closes(0), 1) << "Word's hidden automation instance";
  EXPECT_EQ(scene.closes(1), 0) << "another program's window titled Word";
  EXPECT_EQ(scene.closes(2), 0);
}

TEST(DesktopDetectionWinTest, VisibleWordAndExcel) {
  Scene scene({{L"OpusApp", L"Razoza.doc - Word", true},
               {L"XLMAIN", L"Microsoft Excel", false},
               {L"MiruneOtherProgram", L"Excel helper", false}});
  SystemDesktopDetection detection;
  EXPECT_TRUE(detection->FindVisibleWord());
  EXPECT_FALSE(detection->FindVisibleExcel());
  ASSERT_TRUE(scene.Settle());
  EXPECT_EQ(scene.closes(0), 0);
  EXPECT_EQ(scene.closes(1), 1);
  EXPECT_EQ(scene.closes(2), 0);

  ShowWindow(scene.window(1), SW_SHOWMINIMIZED);  // a minimised Excel counts as shown
  EXPECT_TRUE(detection->FindVisibleExcel());
}

TEST(DesktopDetectionWinTest, MaximizeExcelShowingTheWorkbook) {
  Scene scene({{L"XLMAIN", L"Microsoft Excel - Razoza.xls", true}});
  SystemDesktopDetection detection;
  EXPECT_FALSE(detection->MaximizeKeywordXls());
  EXPECT_FALSE(IsZoomed(scene.window(0)));
  EXPECT_TRUE(detection->MaximizeRazozaXls());
  EXPECT_TRUE(IsZoomed(scene.window(0)));
}

TEST(DesktopDetectionWinTest, HideAndShowInDesign) {
  Scene scene({{L"$PageMaker_PMAppFrame", L"Adobe InDesign 2024", true}});
  SystemDesktopDetection detection;
  EXPECT_FALSE(detection->ShowInDesign());  // already visible: nothing changes
  EXPECT_FALSE(IsZoomed(scene.window(0)));
  EXPECT_TRUE(detection->HideInDesign());
  EXPECT_FALSE(IsWindowVisible(scene.window(0)));
  EXPECT_FALSE(detection->HideInDesign());  // already hidden
  EXPECT_TRUE(detection->ShowInDesign());
  EXPECT_TRUE(IsWindowVisible(scene.window(0)));
  EXPECT_TRUE(IsZoomed(scene.window(0)));
}

}  // namespace
}  // namespace mirune
