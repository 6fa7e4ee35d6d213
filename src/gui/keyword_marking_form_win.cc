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
  form->SetChoices(kIdMarkKind, kMarkKinds);
  form->SetChoices(kIdMarkName, kMarkNames);
  form->SetControlText(kIdKeywordsPath, keywords);
  return form;
}

KeywordFileChoice KeywordMarkingForm::FileChoice() const {
  KeywordFileChoice choice;
  choice.input = ControlText(kIdDocumentPath);
  choice.keywords = ControlText(kIdKeywordsPath);
  choice.style = Chosen(kIdMarkKind) == 1;
  const int mark = Chosen(kIdMarkName);
  choice.mark = std::string(kMarkNames[mark >= 0 && mark < 9 ? mark : 0]);
  return choice;
}

void KeywordMarkingForm::OnCommand(int id, int code) {
  if (code != BN_CLICKED) return;
  switch (id) {
    case kIdOkButton:
      if (hooks_.run_running) hooks_.run_running();
      break;
    case kIdCancelButton:
      Unload();
      break;
    case kIdChooseDocument:
      if (auto chosen = ChooseFileToOpen(hwnd(), "マーキングする IDML 文書を選んで下さい",
                                         {{"IDML ファイル (*.idml)", "*.idml"}},
                                         ControlText(kIdDocumentPath))) {
        SetControlText(kIdDocumentPath, *chosen);
      }
      break;
    case kIdChooseFolder:
      if (auto chosen =
              ChooseFolder(hwnd(), "IDML の文書を集めたブックのフォルダーを選んで下さい")) {
        SetControlText(kIdDocumentPath, *chosen);
      }
      break;
    case kIdChooseKeywords:
      if (auto chosen = ChooseFileToOpen(
              hwnd(), "キーワードのブック（Keyword.xls）を選んで下さい",
              {{"Excel ブック (*.xls)", "*.xls"}, {"すべてのファイル (*.*)", "*.*"}},
              ControlText(kIdKeywordsPath))) {
        SetControlText(kIdKeywordsPath, *chosen);
      }
      break;
    case kIdRunOnIdml:
      if (hooks_.run_files) hooks_.run_files(FileChoice());
      break;
    default:
      break;
  }
}

}  // namespace mirune
