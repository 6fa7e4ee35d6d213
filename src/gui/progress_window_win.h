#pragma once

// The progress window Form2 ("進行状況") on Windows: the activity text (Label1), the track
// (Text1) with its filled bar (Text2) and percentage (Label2), the focus holder (Text3), and
// the rows of captions and values the jobs fill (document name, document counter, story
// counter, extracted terms). It renders a ProgressWindowModel, which the jobs use as their
// ProgressReporter:
//
//   auto window = ProgressWindowWin::Create(flags, main_window);
//   ProgressWindowModel progress(**window);   // the jobs' ProgressReporter
//
// The window lives on the thread that created it; everything here is called on that thread,
// which runs the message loop (a job yields through Yield). Non-modal: it never disables its
// owner. Every render repaints at once. A close from the close box, the system menu or
// Alt+F4 is refused while flags.job_running is set and hides the window otherwise; Close()
// (the program's close) always hides it. Layout: gui/progress_layout.h, at the window's
// dpi, in the forms' font (ProgressForm, gui/progress_form_win.h). Windows build only.

#ifdef _WIN32

#include <windows.h>
// winbase.h still defines the 16-bit Yield() as a macro; ProgressView has a member of that name.
#undef Yield

#include <memory>

#include "base/result.h"
#include "desktop/desktop.h"
#include "gui/progress_form_win.h"
#include "progress/progress_model.h"

namespace mirune {

class ProgressWindowWin final : public ProgressView, public ProgressForm {
 public:
  // The window class name (FindWindowW).
  static constexpr const wchar_t* kClassName = L"MiruneProgressForm2";

  // Creates Form2 hidden. `flags` outlives the window; `owner` may be null.
  static Result<std::unique_ptr<ProgressWindowWin>> Create(const JobFlags& flags,
                                                           HWND owner = nullptr);

  // Shows the state: texts, bar width (the model's twips at this window's dpi), the track's
  // text colour; shows the window and gives Text3 the focus when it was hidden; repaints.
  void Render(const ProgressWindowState& state) override;
  // Hides the window (always carried out).
  void Close() override;
  // About one second, rounded as the model's pauses are; no messages are processed.
  void PauseAfterFinish() override;
  // Dispatches the messages waiting for this thread.
  void Yield() override;

 private:
  explicit ProgressWindowWin(const JobFlags& flags);
  void OnLayout() override { SizeBar(); }
  void SizeBar();

  double bar_twips_ = 0;
};

}  // namespace mirune

#endif  // _WIN32
