#pragma once

// The desktop detection on Windows: a WindowSystem of user32 (EnumWindows, FindWindowW,
// GetClassNameW, GetWindowTextW, IsWindowVisible, ShowWindow, PostMessageW) and the
// detection over it. The launch takes its checks as functions:
//
//   SystemDesktopDetection detection;
//   services.find_visible_word = [&] { return detection->FindVisibleWord(); };
//   services.find_visible_excel = [&] { return detection->FindVisibleExcel(); };
//
// Windows build only. Called on the user-interface thread.

#ifdef _WIN32

#include "gui/desktop_detection.h"

namespace mirune {

class Win32WindowSystem final : public WindowSystem {
 public:
  WindowHandle FindWindowOfClass(std::string_view class_name) override;
  std::vector<WindowHandle> TopLevelWindows() override;
  std::string ClassName(WindowHandle window) override;
  std::string Title(WindowHandle window) override;
  bool IsVisible(WindowHandle window) override;
  void Show(WindowHandle window, ShowCommand command) override;
  void PostClose(WindowHandle window) override;
};

// The detection over the system's windows.
class SystemDesktopDetection {
 public:
  DesktopDetection* operator->() { return &detection_; }
  DesktopDetection& operator*() { return detection_; }

 private:
  Win32WindowSystem system_;
  DesktopDetection detection_{system_};
};

}  // namespace mirune

#endif  // _WIN32
