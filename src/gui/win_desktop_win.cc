#include "gui/win_desktop_win.h"

#include "base/wide_text.h"
#include "gui/forms/input_block_win.h"
#include "gui/forms/message_pump_win.h"
#include "gui/main_window_win.h"

namespace mirune {

WinDesktop::WinDesktop(HINSTANCE instance, JobFlags& flags, MainWindow& main_window)
    : instance_(instance), flags_(flags), main_window_(main_window) {}

WinDesktop::~WinDesktop() { CloseAbortWindow(); }

int WinDesktop::ShowMessage(std::string_view text, std::string_view title, int style) {
  HWND owner = abort_shown_ && abort_form_ ? abort_form_->hwnd() : main_window_.hwnd();
  // The box disables its owner only: the program's other windows (the utility window, the
  // keyword marking's, the main window under the abort window) take no input either, so
  // that no second job starts from them while the user is asked.
  InputBlock others({owner});
  return MessageBoxW(owner, Wide(text).c_str(), Wide(title).c_str(), static_cast<UINT>(style));
}

void WinDesktop::YieldToMessageLoop() {
  if (abort_shown_) {
    PumpMessagesWaiting(10);
  } else {
    PumpPendingMessages();
  }
}

double WinDesktop::ClockSeconds() {
  return std::chrono::duration<double>(std::chrono::steady_clock::now() - start_).count();
}

void WinDesktop::ShowAbortWindow(AbortWindow& window) {
  if (!abort_form_) {
    auto created = AbortWindowWin::Create(flags_, main_window_.hwnd());
    if (!created.ok()) return;  // the pause runs all the same, without its window
    abort_form_ = std::move(*created);
  }
  abort_form_->Show(window.document_name());
  abort_shown_ = true;
}

void WinDesktop::UpdateAbortWindow(AbortWindow& window) {
  if (abort_form_ && abort_shown_) abort_form_->ShowPauseText(window.pause_text());
}

void WinDesktop::CloseAbortWindow() {
  abort_shown_ = false;
  if (abort_form_) abort_form_->Close();
}

void WinDesktop::ShowInDesign() {
  if (drives_indesign_) detection_->ShowInDesign();
}

void WinDesktop::HideInDesign() {
  if (drives_indesign_) detection_->HideInDesign();
}

void WinDesktop::SetSelectionControlsEnabled(bool enabled) {
  main_window_.SetSelectionControlsEnabled(enabled);
}

void WinDesktop::FocusMainWindow() {
  HWND hwnd = main_window_.hwnd();
  ShowWindow(hwnd, SW_SHOW);
  SetForegroundWindow(hwnd);
  SetFocus(hwnd);
}

}  // namespace mirune
