#include "gui/index_dialog_win.h"

#include "gui/forms/file_choice_win.h"
#include "gui/help_layout.h"

namespace mirune::help {

using namespace help_form;  // NOLINT: this window's own layout table

Result<std::unique_ptr<IndexDialog>> IndexDialog::Create(
    HWND owner, const std::string& workbook,
    std::function<void(HWND dialog, const IndexChoices&)> create) {
  std::unique_ptr<IndexDialog> dialog(new IndexDialog(std::move(create)));
  const LayoutFormDefinition definition{kIndexDialogClass,      kIndexDialogCaption,
                                        "索引作成の画面",       IndexDialogControls(),
                                        kIndexClientWidthTwips, kIndexClientHeightTwips};
  if (Status made = dialog->CreateFromTable(definition, owner); !made.ok()) return made;
  dialog->SetControlText(kIdIndexWorkbook, workbook);
  dialog->SetChoices(kIdIndexSheet, kSheetChoices);
  dialog->SetChoices(kIdIndexHeadings, kHeadingChoices);
  dialog->SetChoices(kIdIndexOthers, kOthersChoices);
  dialog->SetChoices(kIdIndexRangeMark, kRangeMarkChoices);
  dialog->SetChoices(kIdIndexSeparator, kSeparatorChoices);
  dialog->SetChoices(kIdIndexTextPages, kTextPagesChoices);
  return dialog;
}

IndexChoices IndexDialog::Choices() const {
  IndexChoices choices;
  choices.workbook = ControlText(kIdIndexWorkbook);
  choices.sheet = Chosen(kIdIndexSheet);
  choices.headings = Chosen(kIdIndexHeadings);
  choices.others = Chosen(kIdIndexOthers);
  choices.range_mark = Chosen(kIdIndexRangeMark);
  choices.separator = Chosen(kIdIndexSeparator);
  choices.text_pages = Chosen(kIdIndexTextPages);
  choices.by_mark = SendMessageW(control(kIdIndexByMark), BM_GETCHECK, 0, 0) == BST_CHECKED;
  return choices;
}

void IndexDialog::OnCommand(int id, int code) {
  if (code != BN_CLICKED) return;
  if (id == kIdIndexClose) {
    Hide();
  } else if (id == kIdIndexBrowse) {
    auto chosen =
        ChooseFileToOpen(hwnd(), "読みを訂正したブックを選んで下さい",
                         {{"Excel ブック (*.xls)", "*.xls"}, {"すべてのファイル (*.*)", "*.*"}},
                         ControlText(kIdIndexWorkbook));
    if (chosen) SetControlText(kIdIndexWorkbook, *chosen);
  } else if (id == kIdIndexCreate && create_) {
    create_(hwnd(), Choices());
  }
}

}  // namespace mirune::help
