#pragma once

// A Desktop for benchmarks: every question answered "go on", nothing shown, no pauses, nothing
// recorded (RecordingDesktop, beside it, is the tests' desktop).

#include "desktop/desktop.h"

namespace mirune {

class AnsweringDesktop : public Desktop {
 public:
  int ShowMessage(std::string_view, std::string_view, int style) override {
    return PositiveAnswer(style);
  }
  void YieldToMessageLoop() override {}
  double ClockSeconds() override { return 0; }
  void ShowAbortWindow(AbortWindow&) override {}
  void CloseAbortWindow() override {}
  void ShowInDesign() override {}
  void HideInDesign() override {}
  void SetSelectionControlsEnabled(bool) override {}
  void FocusMainWindow() override {}
  bool HasAbortPause() const override { return false; }
};

}  // namespace mirune
