#include "gui/help_window_win.h"

#include "gui/help_layout.h"
#include "gui/help_texts.h"

namespace mirune::help {

using namespace help_form;  // NOLINT: this window's own layout table

Result<std::unique_ptr<HelpWindow>> HelpWindow::Create(HelpKind kind, HWND owner,
                                                       std::function<void(HWND owner)> manual) {
  std::unique_ptr<HelpWindow> window(new HelpWindow(std::move(manual)));
  const bool first_steps = kind == HelpKind::kFirstSteps;
  const LayoutFormDefinition definition{
      first_steps ? kFirstStepsWindowClass : kFaqWindowClass,
      first_steps ? kFirstStepsCaption : kFaqCaption,
      first_steps ? "「初めての方へ」の画面" : "「こんなときは」の画面",
      first_steps ? FirstStepsWindowControls() : FaqWindowControls(),
      kHelpClientWidthTwips,
      kHelpClientHeightTwips};
  if (Status made = window->CreateFromTable(definition, owner); !made.ok()) return made;
  const int text_id = first_steps ? kIdFirstStepsText : kIdFaqText;
  window->SetControlText(text_id, first_steps ? FirstStepsText() : FaqText());
  // The reader starts at the top with nothing selected; the keyboard is on "閉じる".
  SendMessageW(window->control(text_id), EM_SETSEL, 0, 0);
  SetFocus(window->control(first_steps ? kIdFirstStepsClose : kIdFaqClose));
  return window;
}

void HelpWindow::OnCommand(int id, int code) {
  if (code != BN_CLICKED) return;
  if (id == kIdFirstStepsClose || id == kIdFaqClose) {
    Unload();
  } else if (id == kIdFirstStepsManual && manual_) {
    manual_(hwnd());
  }
}

}  // namespace mirune::help
