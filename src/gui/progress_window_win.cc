#include "gui/progress_window_win.h"

#include "gui/forms/form_window_win.h"
#include "gui/forms/win_font_win.h"
#include "gui/progress_layout.h"

namespace mirune {
namespace {

double SecondsNow() { return static_cast<double>(GetTickCount64()) / 1000.0; }

}  // namespace

Result<std::unique_ptr<ProgressWindowWin>> ProgressWindowWin::Create(const JobFlags& flags,
                                                                     HWND owner) {
  std::unique_ptr<ProgressWindowWin> window(new ProgressWindowWin(flags));
  const FormDefinition definition{kClassName,        FormObjectProcedure<ProgressWindowWin>,
                                  kProgressCaption,  "進行状況ウィンドウ",
                                  kForm2Controls,    kForm2ClientWidth,
                                  kForm2ClientHeight};
  auto form = CreateForm(definition, owner, window.get());
  if (!form.ok()) return form.error();
  window->dpi_ = form->dpi;
  window->font_ = std::move(form->font);
  window->bar_brush_ = std::move(form->bar_brush);
  return window;
}

ProgressWindowWin::~ProgressWindowWin() {
  if (hwnd_ != nullptr) DestroyWindow(hwnd_);
}

void ProgressWindowWin::Render(const ProgressWindowState& state) {
  if (hwnd_ == nullptr) return;
  SetControlText(hwnd_, kIdActivityText, state.activity);
  SetControlText(hwnd_, kIdPercentText, state.percent_text);
  SetControlText(hwnd_, kIdDocumentName, state.document_name);
  SetControlText(hwnd_, kIdDocumentCount, state.document_counter);
  SetControlText(hwnd_, kIdStoryCount, state.story_counter);
  SetControlText(hwnd_, kIdTermsCaption, state.entry_caption);
  SetControlText(hwnd_, kIdTermCount, state.entry_count);
  bar_twips_ = state.bar_width;
  SizeBar();
  if (track_text_white_ != state.track_text_white) {
    track_text_white_ = state.track_text_white;
    InvalidateRect(GetDlgItem(hwnd_, kIdTrack), nullptr, TRUE);
  }
  if (!IsWindowVisible(hwnd_)) {
    // Over the main window, not where the system puts a window without a place (Wine: the
    // screen's top left corner, under the abort window).
    PlaceOverOwner(hwnd_, 0, dpi_);
    ShowWindow(hwnd_, SW_SHOW);
  }
  // Every operation gives the focus holder the focus, as a user who clicked elsewhere
  // would otherwise type into nothing.
  SetFocus(GetDlgItem(hwnd_, kIdFocusHolder));
  // Paints at once what the changes above invalidated (a changed text, the bar), and only
  // that: repainting the whole window at every update would cost a job about 12 ms each.
  RedrawWindow(hwnd_, nullptr, nullptr, RDW_ALLCHILDREN | RDW_UPDATENOW);
}

void ProgressWindowWin::Close() {
  if (hwnd_ != nullptr) ShowWindow(hwnd_, SW_HIDE);
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
  HWND bar = GetDlgItem(hwnd_, kIdBar);
  if (bar == nullptr) return;
  const int width = TwipsToPixels(bar_twips_, dpi_);
  RECT rect;
  GetWindowRect(bar, &rect);
  if (rect.right - rect.left == width) return;
  SetWindowPos(bar, nullptr, 0, 0, width,
               TwipsToPixels(FindControlLayout(kForm2Controls, kIdBar)->rect.height, dpi_),
               SWP_NOMOVE | SWP_NOZORDER | SWP_NOACTIVATE);
}

void ProgressWindowWin::ApplyDpi(int dpi) {
  dpi_ = dpi;
  HFONT font = CreateFormFont(dpi_, false);
  LayoutFormControls(hwnd_, kForm2Controls, font, dpi_);
  font_.reset(font);
  SizeBar();
}

LRESULT ProgressWindowWin::Handle(UINT message, WPARAM wparam, LPARAM lparam) {
  const std::function<void(int)> apply_dpi = [this](int dpi) { ApplyDpi(dpi); };
  LRESULT result = 0;
  if (HandleFormMessage({hwnd_, flags_, bar_brush_.get(), track_text_white_, apply_dpi}, message,
                        wparam, lparam, result)) {
    return result;
  }
  return DefWindowProcW(hwnd_, message, wparam, lparam);
}

}  // namespace mirune
