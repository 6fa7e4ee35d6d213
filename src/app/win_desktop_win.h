#pragma once

// The desktop of the Windows program: message boxes (MessageBoxW with the job's style
// words), the message loop between a job's steps, the abort window before each document
// and the main window's selection controls.
//
// The abort window and the progress window here are plain stand-ins (class names
// "MiruneForm6" and "MiruneForm2"): a caption, the texts the jobs set and the button
// "処理中止". They sit behind AbortWindow and ProgressView, so the full windows replace
// them without touching the jobs or this desktop's callers.

#include <windows.h>
// winbase.h defines Yield() as an empty macro (a Win16 leftover); ProgressView has a Yield.
#undef Yield

#include <chrono>
#include <functional>
#include <string>

#include "desktop/desktop.h"
#include "progress/progress_model.h"

namespace mirune {

class MainWindow;

class WinDesktop : public Desktop {
 public:
  WinDesktop(HINSTANCE instance, JobFlags& flags, MainWindow& main_window);
  ~WinDesktop() override;

  int ShowMessage(std::string_view text, std::string_view title, int style) override;
  void YieldToMessageLoop() override;
  double ClockSeconds() override;
  void ShowAbortWindow(AbortWindow& window) override;
  void CloseAbortWindow() override;
  // InDesign's own windows belong to the desktop detection; the embedded engine has none.
  void ShowInDesign() override {}
  void HideInDesign() override {}
  void SetSelectionControlsEnabled(bool enabled) override;
  void FocusMainWindow() override;

 private:
  static LRESULT CALLBACK AbortProc(HWND hwnd, UINT message, WPARAM wparam, LPARAM lparam);

  HINSTANCE instance_;
  JobFlags& flags_;
  MainWindow& main_window_;
  HWND abort_hwnd_ = nullptr;
  HFONT font_ = nullptr;
  AbortWindow* abort_window_ = nullptr;
  std::chrono::steady_clock::time_point start_ = std::chrono::steady_clock::now();
};

// The progress window's stand-in: the activity, the percentage and the value fields as
// lines of text.
class WinProgressView : public ProgressView {
 public:
  WinProgressView(HINSTANCE instance, JobFlags& flags, Desktop& desktop, HWND owner);
  ~WinProgressView() override;

  void Render(const ProgressWindowState& state) override;
  void Close() override;
  void PauseAfterFinish() override;
  void Yield() override { desktop_.YieldToMessageLoop(); }

 private:
  static LRESULT CALLBACK Proc(HWND hwnd, UINT message, WPARAM wparam, LPARAM lparam);

  HINSTANCE instance_;
  JobFlags& flags_;
  Desktop& desktop_;
  HWND owner_;
  HWND hwnd_ = nullptr;
  HWND text_ = nullptr;
  HFONT font_ = nullptr;
};

}  // namespace mirune
