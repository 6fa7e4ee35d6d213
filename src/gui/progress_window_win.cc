#include "gui/progress_window_win.h"

#include "gui/forms/win_font_win.h"
#include "gui/progress_form_win.h"
#include "gui/progress_layout.h"

namespace mirune {
namespace {

double SecondsNow() { return static_cast<double>(GetTickCount64()) / 1000.0; }

}  // namespace

Result<std::unique_ptr<ProgressWindowWin>> ProgressWindowWin::Create(const JobFlags& flags,
                                                                     HWND owner) {
  std::unique_ptr<ProgressWindowWin> window(new ProgressWindowWin(flags));
  MIRUNE_RETURN_IF_ERROR(window->CreateFormWindow({.class_name = kClassName,
                                                   .caption = kProgressCaption,
                                                   .what = "進行状況ウィンドウ",
                                                   .style = kProgressFormStyle,
                                                   .owner = owner,
                                                   .program_icon = false}));
  auto form = FurnishForm(window->hwnd(), {"進行状況ウィンドウ", kForm2Controls, kForm2ClientWidth,
                                           kForm2ClientHeight});
  if (!form.ok()) return form.error();
  window->dpi_ = form->dpi;
  window->font_ = std::move(form->font);
  window->bar_brush_ = std::move(form->bar_brush);
  return window;
}

void ProgressWindowWin::Render(const ProgressWindowState& state) {
  if (hwnd() == nullptr) return;
  SetControlText(hwnd(), kIdActivityText, state.activity);
  SetControlText(hwnd(), kIdPercentText, state.percent_text);
  SetControlText(hwnd(), kIdDocumentName, state.document_name);
  SetControlText(hwnd(), kIdDocumentCount, state.document_counter);
  SetControlText(hwnd(), kIdStoryCount, state.story_counter);
  SetControlText(hwnd(), kIdTermsCaption, state.entry_caption);
  SetControlText(hwnd(), kIdTermCount, state.entry_count);
  bar_twips_ = state.bar_width;
  SizeBar();
  if (track_text_white_ != state.track_text_white) {
    track_text_white_ = state.track_text_white;
    InvalidateRect(GetDlgItem(hwnd(), kIdTrack), nullptr, TRUE);
  }
  if (!IsWindowVisible(hwnd())) {
    // Over the main window, not where the system puts a window without a place (Wine: the
    // screen's top left corner, under the abort window).
    PlaceOverOwner(hwnd(), 0, dpi_);
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
  LayoutFormControls(hwnd(), kForm2Controls, font, dpi_);
  font_.reset(font);
  SizeBar();
}

LRESULT ProgressWindowWin::HandleMessage(UINT message, WPARAM wparam, LPARAM lparam) {
  const std::function<void(int)> apply_dpi = [this](int dpi) { ApplyDpi(dpi); };
  LRESULT result = 0;
  if (HandleFormMessage({hwnd(), flags_, bar_brush_.get(), track_text_white_, apply_dpi}, message,
                        wparam, lparam, result)) {
    return result;
  }
  return DefWindowProcW(hwnd(), message, wparam, lparam);
}

}  // namespace mirune
