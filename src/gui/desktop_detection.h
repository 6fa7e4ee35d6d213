#pragma once

// Desktop detection: finds the top-level windows of Word, Excel and InDesign by window class
// and title text, and shows, hides, maximises or closes them. The rules live here, portable,
// over a WindowSystem (user32 on Windows: gui/desktop_detection_win.h; a fake in tests).
//
// Class names match exactly; title tests are case-sensitive substring tests on the UTF-8
// title. A window that disappears between the listing and its use simply fails its calls.
// Nothing is kept between calls.

#include <cstdint>
#include <initializer_list>
#include <string>
#include <string_view>
#include <vector>

namespace mirune {

using WindowHandle = std::uintptr_t;

inline constexpr std::string_view kWordWindowClass = "OpusApp";
inline constexpr std::string_view kExcelWindowClass = "XLMAIN";
// InDesign's frame windows, looked up in this order by HideInDesign.
inline constexpr std::string_view kInDesignWindowClasses[] = {"$PageMaker_PMWindow:9AA0F81",
                                                              "$PageMaker_PMAppFrame", "indesign"};

enum class ShowCommand { kHide, kShowMaximized };

// The window system's top-level windows.
class WindowSystem {
 public:
  virtual ~WindowSystem() = default;
  // The first top-level window of exactly this class, or 0.
  virtual WindowHandle FindWindowOfClass(std::string_view class_name) = 0;
  // Every top-level window, in the order the system enumerates them.
  virtual std::vector<WindowHandle> TopLevelWindows() = 0;
  virtual std::string ClassName(WindowHandle window) = 0;
  virtual std::string Title(WindowHandle window) = 0;
  // A minimised window counts as visible.
  virtual bool IsVisible(WindowHandle window) = 0;
  virtual void Show(WindowHandle window, ShowCommand command) = 0;
  // Posts WM_CLOSE (both parameters 0) without waiting for the window.
  virtual void PostClose(WindowHandle window) = 0;
};

class DesktopDetection {
 public:
  explicit DesktopDetection(WindowSystem& system) : system_(system) {}

  // Whether Word shows a window. Only when a window of class "OpusApp" exists, every
  // top-level window whose title contains "Word" is looked at in order: a visible one ends
  // the scan with true; a hidden one of class "OpusApp" (an automation instance left
  // behind) is asked to close and the scan goes on. A hidden window of another program
  // whose title happens to contain "Word" is left alone.
  bool FindVisibleWord();
  // The same with class "XLMAIN" and the title text "Excel".
  bool FindVisibleExcel();
  // Excel's main windows (class "XLMAIN") by visibility; nothing is sent to any of them (a
  // hidden Excel may be the user's own, started by another program).
  struct WindowCount {
    int visible = 0;
    int hidden = 0;
  };
  WindowCount CountExcelWindows();
  // True when a visible window whose title contains "Excel" and "Razoza.xls" exists (and a
  // window of class "XLMAIN" exists); the first "XLMAIN" window is then maximised.
  bool MaximizeRazozaXls();
  // The same for "Keyword.xls" or "keyword.xls".
  bool MaximizeKeywordXls();
  // Hides the first window of each of InDesign's frame classes that is visible; true when
  // at least one was hidden.
  bool HideInDesign();
  // Maximises every hidden window whose title contains "Adobe InDesign"; true when at least
  // one was shown.
  bool ShowInDesign();

 private:
  bool FindVisible(std::string_view window_class, std::string_view title_text);
  bool MaximizeExcelShowing(std::initializer_list<std::string_view> file_names);

  WindowSystem& system_;
};

}  // namespace mirune
