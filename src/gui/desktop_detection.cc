#include "gui/desktop_detection.h"

namespace mirune {
namespace {

bool Contains(std::string_view text, std::string_view part) {
  return text.find(part) != std::string_view::npos;
}

}  // namespace

bool DesktopDetection::FindVisibleWord() { return FindVisible(kWordWindowClass, "Word"); }

bool DesktopDetection::FindVisibleExcel() { return FindVisible(kExcelWindowClass, "Excel"); }

DesktopDetection::WindowCount DesktopDetection::CountExcelWindows() {
  WindowCount count;
  if (system_.FindWindowOfClass(kExcelWindowClass) == 0) return count;
  for (const WindowHandle window : system_.TopLevelWindows()) {
    if (system_.ClassName(window) != kExcelWindowClass) continue;
    ++(system_.IsVisible(window) ? count.visible : count.hidden);
  }
  return count;
}

bool DesktopDetection::FindVisible(std::string_view window_class, std::string_view title_text) {
  // The class only gates the scan: without the application's main window there is nothing
  // to refuse or to close.
  if (system_.FindWindowOfClass(window_class) == 0) return false;
  for (const WindowHandle window : system_.TopLevelWindows()) {
    if (!Contains(system_.Title(window), title_text)) continue;
    if (system_.IsVisible(window)) return true;
    // A hidden instance left behind by automation is closed; the title alone would also
    // match other programs' hidden windows ("Wordpad", a hidden "Excel export" helper), which
    // must never be told to close.
    if (system_.ClassName(window) == window_class) system_.PostClose(window);
  }
  return false;
}

bool DesktopDetection::MaximizeRazozaXls() { return MaximizeExcelShowing({"Razoza.xls"}); }

bool DesktopDetection::MaximizeKeywordXls() {
  return MaximizeExcelShowing({"Keyword.xls", "keyword.xls"});
}

bool DesktopDetection::MaximizeExcelShowing(std::initializer_list<std::string_view> file_names) {
  const WindowHandle excel = system_.FindWindowOfClass(kExcelWindowClass);
  if (excel == 0) return false;
  for (const WindowHandle window : system_.TopLevelWindows()) {
    const std::string title = system_.Title(window);
    if (!Contains(title, "Excel") || !system_.IsVisible(window)) continue;
    for (const std::string_view name : file_names) {
      if (Contains(title, name)) {
        // The main window is maximised, not the window whose title matched.
        system_.Show(excel, ShowCommand::kShowMaximized);
        return true;
      }
    }
  }
  return false;
}

bool DesktopDetection::HideInDesign() {
  bool hidden = false;
  for (const std::string_view window_class : kInDesignWindowClasses) {
    const WindowHandle window = system_.FindWindowOfClass(window_class);
    if (window == 0 || !system_.IsVisible(window)) continue;
    system_.Show(window, ShowCommand::kHide);
    hidden = true;
  }
  return hidden;
}

bool DesktopDetection::ShowInDesign() {
  bool shown = false;
  for (const WindowHandle window : system_.TopLevelWindows()) {
    if (!Contains(system_.Title(window), "Adobe InDesign") || system_.IsVisible(window)) continue;
    system_.Show(window, ShowCommand::kShowMaximized);
    shown = true;
  }
  return shown;
}

}  // namespace mirune
