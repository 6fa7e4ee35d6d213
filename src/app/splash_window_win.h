#pragma once

// The splash window Form5, shown for about three seconds while the program starts: the
// product title, the rights notice, "Tovas Engine" and the program's picture. It has no
// behaviour of its own and takes no input: during the wait only its paint messages are
// processed, so it shows its contents and stays non-interactive.

#include <windows.h>

#include <functional>
#include <memory>

namespace mirune {

class SplashWindow {
 public:
  // Creates, shows and paints the window at once. Null when it cannot be created (the
  // start-up goes on without it).
  static std::unique_ptr<SplashWindow> Show(HINSTANCE instance);
  ~SplashWindow();

  HWND hwnd() const { return hwnd_; }
  // Paints what needs painting (paint messages only; input stays queued).
  void Repaint();

 private:
  SplashWindow() = default;
  HWND hwnd_ = nullptr;
  HFONT font_ = nullptr;
};

// Waits until the elapsed seconds, rounded to whole seconds (halves to even), reach
// `seconds`, calling `tick` between the looks at the clock. The clock does not jump, so the
// wait ends also when the time of day passes midnight.
void WaitRoundedSeconds(int seconds, const std::function<void()>& tick);

}  // namespace mirune
