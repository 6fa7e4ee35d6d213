#include "gui/abort_window_win.h"

#include "base/wide_text.h"
#include "gui/progress_layout.h"

namespace mirune {

AbortWindowWin::AbortWindowWin(JobFlags& flags)
    : ProgressForm(flags, {kClassName, AbortWindow::kCaption, "処理中止ウィンドウ", kForm6Controls,
                           kForm6ClientWidth, kForm6ClientHeight}),
      flags_(flags) {}

Result<std::unique_ptr<AbortWindowWin>> AbortWindowWin::Create(JobFlags& flags, HWND owner) {
  std::unique_ptr<AbortWindowWin> window(new AbortWindowWin(flags));
  MIRUNE_RETURN_IF_ERROR(window->Make(owner));
  return window;
}

void AbortWindowWin::Show(std::string_view document_name) {
  if (hwnd() == nullptr) return;
  SetText(kIdDocumentName, document_name);
  ShowPauseText({});
  if (!IsWindowVisible(hwnd())) {
    // Beside the progress window, so that its counts stay in sight.
    PlaceOverOwner(1);
    ShowWindow(hwnd(), SW_SHOW);
  }
  RedrawWindow(hwnd(), nullptr, nullptr,
               RDW_INVALIDATE | RDW_ERASE | RDW_ALLCHILDREN | RDW_UPDATENOW);
}

void AbortWindowWin::ShowPauseText(std::string_view text) {
  if (hwnd() == nullptr) return;
  SetText(kIdActivityText,
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

bool AbortWindowWin::OnMessage(UINT message, WPARAM wparam, LPARAM lparam, LRESULT& result) {
  if (message != WM_COMMAND || LOWORD(wparam) != kIdAbortButton || HIWORD(wparam) != BN_CLICKED) {
    return false;
  }
  AskAbort();
  result = 0;
  return true;
}

}  // namespace mirune
