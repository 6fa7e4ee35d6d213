#include "gui/progress_window_win.h"

#include "gui/forms/message_pump_win.h"
#include "gui/progress_layout.h"

namespace mirune {
namespace {

double SecondsNow() { return static_cast<double>(GetTickCount64()) / 1000.0; }

}  // namespace

ProgressWindowWin::ProgressWindowWin(const JobFlags& flags)
    : ProgressForm(flags, {kClassName, kProgressCaption, "進行状況ウィンドウ", kForm2Controls,
                           kForm2ClientWidth, kForm2ClientHeight}) {}

Result<std::unique_ptr<ProgressWindowWin>> ProgressWindowWin::Create(const JobFlags& flags,
                                                                     HWND owner) {
  std::unique_ptr<ProgressWindowWin> window(new ProgressWindowWin(flags));
  MIRUNE_RETURN_IF_ERROR(window->Make(owner));
  return window;
}

void ProgressWindowWin::Render(const ProgressWindowState& state) {
  if (hwnd() == nullptr) return;
  SetText(kIdActivityText, state.activity);
  SetText(kIdPercentText, state.percent_text);
  SetText(kIdDocumentName, state.document_name);
  SetText(kIdDocumentCount, state.document_counter);
  SetText(kIdStoryCount, state.story_counter);
  SetText(kIdTermsCaption, state.entry_caption);
  SetText(kIdTermCount, state.entry_count);
  bar_twips_ = state.bar_width;
  SizeBar();
  SetTrackTextWhite(state.track_text_white);
  if (!IsWindowVisible(hwnd())) {
    // Over the main window, not where the system puts a window without a place (Wine: the
    // screen's top left corner, under the abort window).
    PlaceOverOwner(0);
    ShowWindow(hwnd(), SW_SHOW);
  }
  // Every operation gives the focus holder the focus, as a user who clicked elsewhere
  // would otherwise type into nothing.
  SetFocus(GetDlgItem(hwnd(), kIdFocusHolder));
  // Paints at once what the changes above invalidated (a changed text, the bar), and only
  // that: repainting the whole window at every update would cost a job about 12 ms each.
  RedrawWindow(hwnd(), nullptr, nullptr, RDW_ALLCHILDREN | RDW_UPDATENOW);
}

void ProgressWindowWin::Close() {
  if (hwnd() != nullptr) ShowWindow(hwnd(), SW_HIDE);
}

void ProgressWindowWin::PauseAfterFinish() {
  // The second after the end takes no input, but the window repaints after an expose.
  WaitRoundedSeconds(1, SecondsNow, [] {
    DispatchPendingPaints();
    Sleep(10);
  });
}

void ProgressWindowWin::Yield() { PumpPendingMessages(); }

void ProgressWindowWin::SizeBar() {
  HWND bar = GetDlgItem(hwnd(), kIdBar);
  if (bar == nullptr) return;
  const int width = TwipsToPixels(bar_twips_, dpi());
  RECT rect;
  GetWindowRect(bar, &rect);
  if (rect.right - rect.left == width) return;
  SetWindowPos(bar, nullptr, 0, 0, width,
               TwipsToPixels(FindControlLayout(kForm2Controls, kIdBar)->rect.height, dpi()),
               SWP_NOMOVE | SWP_NOZORDER | SWP_NOACTIVATE);
}

}  // namespace mirune
