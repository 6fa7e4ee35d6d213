#pragma once

// The dialog of the finished index ("索引作成", opened by the button of the same name on the
// "ツール" tab of the utility window): the corrected workbook (typed, or chosen with "参照…";
// it starts with the Razoza.xls of the last extraction when there is one), the options of the
// index as lists and a check box, "作成" and "閉じる". "作成" hands the choices to `create`,
// which runs the index and tells the user where the outputs went; the dialog stays open for
// another try. One dialog: its owner shows it again. Windows build only.

#include <windows.h>

#include <functional>
#include <memory>
#include <string>

#include "base/result.h"
#include "gui/forms/layout_form_win.h"
#include "gui/index_choices.h"

namespace mirune::help {

class IndexDialog : public LayoutForm {
 public:
  static Result<std::unique_ptr<IndexDialog>> Create(
      HWND owner, const std::string& workbook,
      std::function<void(HWND dialog, const IndexChoices&)> create);

  IndexChoices Choices() const;

 private:
  explicit IndexDialog(std::function<void(HWND, const IndexChoices&)> create)
      : create_(std::move(create)) {}
  void OnCommand(int id, int code) override;
  void OnClose() override { Hide(); }

  std::function<void(HWND, const IndexChoices&)> create_;
};

}  // namespace mirune::help
