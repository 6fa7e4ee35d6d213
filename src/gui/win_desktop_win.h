#pragma once

// The desktop of the Windows program: message boxes (MessageBoxW with the job's style
// words), the message loop between a job's steps, the abort window Form6 before each
// document (gui/abort_window_win.h) and the main window's selection controls.

#include <windows.h>
// winbase.h defines Yield() as an empty macro (a Win16 leftover); ProgressView has a Yield.
#undef Yield

#include <chrono>
#include <memory>
#include <string>

#include "desktop/desktop.h"
#include "gui/abort_window_win.h"
#include "gui/desktop_detection_win.h"

namespace mirune {

class MainWindow;

class WinDesktop : public Desktop {
 public:
  WinDesktop(HINSTANCE instance, JobFlags& flags, MainWindow& main_window);
  ~WinDesktop() override;

  int ShowMessage(std::string_view text, std::string_view title, int style) override;
  // Dispatches the waiting messages. During the pause before a document (Form6 shown) it
  // waits a little for a message when none is there, so the five seconds keep no processor
  // busy; otherwise it returns at once, so a job's steps are not slowed.
  void YieldToMessageLoop() override;
  double ClockSeconds() override;
  void ShowAbortWindow(AbortWindow& window) override;
  void UpdateAbortWindow(AbortWindow& window) override;
  void CloseAbortWindow() override;
  // InDesign's windows, through the desktop detection, while a job drives the InDesign of this
  // computer (SetDrivesInDesign); a job on the embedded engine leaves them alone.
  void ShowInDesign() override;
  void HideInDesign() override;
  void SetDrivesInDesign(bool drives) { drives_indesign_ = drives; }
  void SetSelectionControlsEnabled(bool enabled) override;
  void FocusMainWindow() override;

 private:
  HINSTANCE instance_;
  JobFlags& flags_;
  MainWindow& main_window_;
  std::unique_ptr<AbortWindowWin> abort_form_;  // Form6, made at its first showing
  bool abort_shown_ = false;
  bool drives_indesign_ = false;
  SystemDesktopDetection detection_;
  std::chrono::steady_clock::time_point start_ = std::chrono::steady_clock::now();
};

}  // namespace mirune
