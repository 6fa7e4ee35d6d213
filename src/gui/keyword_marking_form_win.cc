#include "gui/keyword_marking_form_win.h"

#include "gui/forms/file_choice_win.h"
#include "gui/keyword_marking_form_layout.h"

namespace mirune {

using namespace keyword_form;  // NOLINT: this window's own layout table

Result<std::unique_ptr<KeywordMarkingForm>> KeywordMarkingForm::Create(
    HWND owner, KeywordMarkingFormHooks hooks, const std::string& keywords) {
  std::unique_ptr<KeywordMarkingForm> form(new KeywordMarkingForm(std::move(hooks)));
  const LayoutFormDefinition definition{kWindowClass,     kCaption,          "一括マーキングの画面",
                                        Form11Controls(), kClientWidthTwips, kClientHeightTwips};
  if (Status made = form->CreateFromTable(definition, owner); !made.ok()) return made;
  form->SetChoices(kIdCombo1, kMarkKinds);
  form->SetChoices(kIdCombo2, kMarkNames);
  form->SetControlText(kIdText2, keywords);
  return form;
}

KeywordFileChoice KeywordMarkingForm::FileChoice() const {
  KeywordFileChoice choice;
  choice.input = ControlText(kIdText1);
  choice.keywords = ControlText(kIdText2);
  choice.style = Chosen(kIdCombo1) == 1;
  const int mark = Chosen(kIdCombo2);
  choice.mark = std::string(kMarkNames[mark >= 0 && mark < 9 ? mark : 0]);
  return choice;
}

void KeywordMarkingForm::OnCommand(int id, int code) {
  if (code != BN_CLICKED) return;
  switch (id) {
    case kIdCommand1:
      if (hooks_.run_running) hooks_.run_running();
      break;
    case kIdCommand2:
      Unload();
      break;
    case kIdCommand3:
      if (auto chosen =
              ChooseFileToOpen(hwnd(), "マーキングする IDML 文書を選んで下さい",
                               {{"IDML ファイル (*.idml)", "*.idml"}}, ControlText(kIdText1))) {
        SetControlText(kIdText1, *chosen);
      }
      break;
    case kIdCommand4:
      if (auto chosen =
              ChooseFolder(hwnd(), "IDML の文書を集めたブックのフォルダーを選んで下さい")) {
        SetControlText(kIdText1, *chosen);
      }
      break;
    case kIdCommand5:
      if (auto chosen = ChooseFileToOpen(
              hwnd(), "キーワードのブック（Keyword.xls）を選んで下さい",
              {{"Excel ブック (*.xls)", "*.xls"}, {"すべてのファイル (*.*)", "*.*"}},
              ControlText(kIdText2))) {
        SetControlText(kIdText2, *chosen);
      }
      break;
    case kIdCommand6:
      if (hooks_.run_files) hooks_.run_files(FileChoice());
      break;
    default:
      break;
  }
}

}  // namespace mirune
