#pragma once

// The splash window Form5, shown for about three seconds while the program starts: the
// product title, the rights notice, "Tovas Engine" and the program's picture. It has no
// behaviour of its own and takes no input: during the wait only its paint messages are
// processed, so it shows its contents and stays non-interactive.

#include <windows.h>

#include <memory>

#include "gui/forms/form_win.h"
#include "gui/forms/gdi_owner_win.h"

namespace mirune {

class SplashWindow final : public Form {
 public:
  // Creates, shows and paints the window at once. Null when it cannot be created (the
  // start-up goes on without it).
  static std::unique_ptr<SplashWindow> Show(HINSTANCE instance);

 private:
  SplashWindow() = default;
  UniqueFont font_;
  UniqueIcon icon_;
};

}  // namespace mirune
