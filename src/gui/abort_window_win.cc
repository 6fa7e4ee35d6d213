#include "gui/abort_window_win.h"

#include "base/wide_text.h"
#include "gui/forms/win_font_win.h"
#include "gui/progress_form_win.h"
#include "gui/progress_layout.h"

namespace mirune {

Result<std::unique_ptr<AbortWindowWin>> AbortWindowWin::Create(JobFlags& flags, HWND owner) {
  std::unique_ptr<AbortWindowWin> window(new AbortWindowWin(flags));
  MIRUNE_RETURN_IF_ERROR(window->CreateFormWindow({.class_name = kClassName,
                                                   .caption = AbortWindow::kCaption,
                                                   .what = "処理中止ウィンドウ",
                                                   .style = kProgressFormStyle,
                                                   .owner = owner,
                                                   .program_icon = false}));
  auto form = FurnishForm(window->hwnd(), {"処理中止ウィンドウ", kForm6Controls, kForm6ClientWidth,
                                           kForm6ClientHeight});
  if (!form.ok()) return form.error();
  window->dpi_ = form->dpi;
  window->font_ = std::move(form->font);
  window->bar_brush_ = std::move(form->bar_brush);
  return window;
}

void AbortWindowWin::Show(std::string_view document_name) {
  if (hwnd() == nullptr) return;
  SetControlText(hwnd(), kIdDocumentName, document_name);
  ShowPauseText({});
  if (!IsWindowVisible(hwnd())) {
    // Beside the progress window, so that its counts stay in sight.
    PlaceOverOwner(hwnd(), 1, dpi_);
    ShowWindow(hwnd(), SW_SHOW);
  }
  RedrawWindow(hwnd(), nullptr, nullptr,
               RDW_INVALIDATE | RDW_ERASE | RDW_ALLCHILDREN | RDW_UPDATENOW);
}

void AbortWindowWin::ShowPauseText(std::string_view text) {
  if (hwnd() == nullptr) return;
  SetControlText(hwnd(), kIdActivityText,
                 text.empty() ? FindControlLayout(kForm6Controls, kIdActivityText)->caption : text);
  RedrawWindow(GetDlgItem(hwnd(), kIdActivityText), nullptr, nullptr, RDW_UPDATENOW);
}

void AbortWindowWin::Close() {
  if (hwnd() != nullptr) ShowWindow(hwnd(), SW_HIDE);
}

void AbortWindowWin::AskAbort() {
  // A second click while the question is open (it can arrive before the box disables the
  // window) asks nothing more.
  if (asking_) return;
  asking_ = true;
  const std::wstring question = Wide(AbortWindow::kQuestion);
  const std::wstring title = Wide(kTitleCheck);
  if (MessageBoxW(hwnd(), question.c_str(), title.c_str(), kStyleAbortQuestion) == IDYES) {
    flags_.abort_requested = true;
  }
  asking_ = false;
}

void AbortWindowWin::ApplyDpi(int dpi) {
  dpi_ = dpi;
  HFONT font = CreateFormFont(dpi_, false);
  LayoutFormControls(hwnd(), kForm6Controls, font, dpi_);
  font_.reset(font);
}

LRESULT AbortWindowWin::HandleMessage(UINT message, WPARAM wparam, LPARAM lparam) {
  const std::function<void(int)> apply_dpi = [this](int dpi) { ApplyDpi(dpi); };
  LRESULT result = 0;
  if (HandleFormMessage({hwnd(), flags_, bar_brush_.get(), false, apply_dpi}, message, wparam,
                        lparam, result)) {
    return result;
  }
  switch (message) {
    case WM_COMMAND:
      if (LOWORD(wparam) == kIdAbortButton && HIWORD(wparam) == BN_CLICKED) {
        AskAbort();
        return 0;
      }
      break;
    default:
      break;
  }
  return DefWindowProcW(hwnd(), message, wparam, lparam);
}

}  // namespace mirune
