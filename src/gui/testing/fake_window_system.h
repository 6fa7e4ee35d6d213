#pragma once

// A WindowSystem for tests: a list of windows (class, title, visibility) and a record of
// every close request and show command, in order.

#include <string>
#include <utility>
#include <vector>

#include "gui/desktop_detection.h"

namespace mirune {

class FakeWindowSystem : public WindowSystem {
 public:
  struct Window {
    std::string class_name;
    std::string title;
    bool visible;
  };

  // Adds a window; its handle is its position in the list plus 1.
  WindowHandle Add(std::string class_name, std::string title, bool visible) {
    windows.push_back({std::move(class_name), std::move(title), visible});
    return windows.size();
  }

  WindowHandle FindWindowOfClass(std::string_view class_name) override {
    ++class_lookups;
    for (size_t i = 0; i < windows.size(); ++i) {
      if (windows[i].class_name == class_name) return i + 1;
    }
    return 0;
  }
  std::vector<WindowHandle> TopLevelWindows() override {
    ++enumerations;
    std::vector<WindowHandle> all;
    for (size_t i = 0; i < windows.size(); ++i) all.push_back(i + 1);
    return all;
  }
  std::string ClassName(WindowHandle window) override { return windows[window - 1].class_name; }
  std::string Title(WindowHandle window) override { return windows[window - 1].title; }
  bool IsVisible(WindowHandle window) override { return windows[window - 1].visible; }
  void Show(WindowHandle window, ShowCommand command) override {
    shows.emplace_back(window, command);
    windows[window - 1].visible = command != ShowCommand::kHide;
  }
  void PostClose(WindowHandle window) override { closes.push_back(window); }

  std::vector<Window> windows;
  std::vector<WindowHandle> closes;
  std::vector<std::pair<WindowHandle, ShowCommand>> shows;
  int class_lookups = 0;
  int enumerations = 0;
};

}  // namespace mirune
