#include "gui/utility_window_win.h"

#include <commctrl.h>

#include "base/wide_text.h"
#include "gui/help_layout.h"

namespace mirune::help {

using namespace help_form;  // NOLINT: this window's own layout table

Result<std::unique_ptr<UtilityWindow>> UtilityWindow::Create(HWND owner, const JobFlags& flags,
                                                             UtilityWindowHooks hooks) {
  std::unique_ptr<UtilityWindow> window(new UtilityWindow(flags, std::move(hooks)));
  const LayoutFormDefinition definition{kUtilityWindowClass,      kUtilityCaption,
                                        "ユーティリティ画面",     UtilityWindowControls(),
                                        kUtilityClientWidthTwips, kUtilityClientHeightTwips};
  if (Status made = window->CreateFromTable(definition, owner); !made.ok()) return made;
  HWND strip = window->control(kIdTabs);
  int index = 0;
  for (std::string_view caption : {kUsageTab, kToolsTab}) {
    std::wstring text = Wide(caption);
    TCITEMW item{};
    item.mask = TCIF_TEXT;
    item.pszText = text.data();
    SendMessageW(strip, TCM_INSERTITEMW, index++, reinterpret_cast<LPARAM>(&item));
  }
  SendMessageW(window->control(kIdResortLearn), BM_SETCHECK, BST_CHECKED, 0);
  // The frames take the display area, which the tabs just inserted decide.
  window->Relayout();
  window->SelectTab(0);
  return window;
}

void UtilityWindow::SelectTab(int tab) {
  if (tab < 0 || tab >= kTabCount) return;
  tab_ = tab;
  HWND strip = control(kIdTabs);
  if (SendMessageW(strip, TCM_GETCURSEL, 0, 0) != tab) SendMessageW(strip, TCM_SETCURSEL, tab, 0);
  ShowFrames();
}

void UtilityWindow::ShowFrames() {
  // Bringing a frame to the front: the frame of the selected tab and what lies in it are
  // shown, the other frames and their controls hidden.
  for (const ControlLayout& control_layout : UtilityWindowControls()) {
    const int frame = control_layout.kind == main_form::ControlKind::kFrame
                          ? control_layout.id
                          : control_layout.container;
    const int index = ArrayIndex(kIdTabPages, frame);
    if (index < 0) continue;
    ShowWindow(control(control_layout.id), index == tab_ ? SW_SHOWNA : SW_HIDE);
  }
}

void UtilityWindow::OnLayout() { ShowFrames(); }

bool UtilityWindow::LearnReadings() const {
  return SendMessageW(control(kIdResortLearn), BM_GETCHECK, 0, 0) == BST_CHECKED;
}

bool UtilityWindow::OnMessage(UINT message, WPARAM wparam, LPARAM lparam, LRESULT& result) {
  if (message != WM_NOTIFY) return false;
  const auto* header = reinterpret_cast<const NMHDR*>(lparam);
  if (header->idFrom != static_cast<UINT_PTR>(kIdTabs) || header->code != TCN_SELCHANGE) {
    return false;
  }
  // The selected tab's one-based index less one is the frame's index.
  const LRESULT selected = SendMessageW(control(kIdTabs), TCM_GETCURSEL, 0, 0);
  if (selected >= 0) SelectTab(static_cast<int>(selected));
  result = 0;
  return true;
}

void UtilityWindow::OnCommand(int id, int code) {
  if (code != BN_CLICKED) return;
  if (id == kIdOpenResults) {
    if (hooks_.open_results) hooks_.open_results();
    return;
  }
  switch (ArrayIndex(kIdUsageButtons, id)) {
    case kUsageClose:
      Hide();
      return;
    case kUsageFirstSteps:
      if (hooks_.first_steps) hooks_.first_steps();
      return;
    case kUsageManual:
      if (hooks_.manual) hooks_.manual(hwnd());
      return;
    case kUsageFaq:
      if (hooks_.faq) hooks_.faq();
      return;
    default:
      break;
  }
  const int tool = ArrayIndex(kIdToolButtons, id);
  if (tool == kToolsClose) {
    Hide();
    return;
  }
  // A job started from here runs inside this handler and yields to the message loop: a
  // second click meanwhile would start a second job.
  if (tool < 0 || flags_.job_running) return;
  switch (tool) {
    case kToolsResort:
      if (hooks_.resort) hooks_.resort();
      break;
    case kToolsMarking:
      if (hooks_.keyword_marking) hooks_.keyword_marking();
      break;
    case kToolsIndex:
      if (hooks_.finished_index) hooks_.finished_index();
      break;
    case kToolsDiagnosis:
      if (hooks_.diagnosis) hooks_.diagnosis();
      break;
    default:
      break;
  }
}

}  // namespace mirune::help
