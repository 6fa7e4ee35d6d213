#pragma once

// Form11 "一括マーキング", the start dialog of keyword bulk marking (layout and texts:
// gui/keyword_marking_form_layout.h). "OK" starts the job against the running InDesign
// and Excel; "IDMLに実行" starts it on the chosen IDML document or book folder with the chosen
// keyword workbook and mark; "キャンセル" and the close box unload the dialog. The dialog
// stays open through the job's checks; the job's owner unloads it once the user has
// confirmed the start. Windows build only.

#include <windows.h>

#include <functional>
#include <memory>
#include <string>

#include "base/result.h"
#include "gui/forms/layout_form_win.h"

namespace mirune {

// What "IDMLに実行" hands on.
struct KeywordFileChoice {
  std::string input;     // an .idml document or a folder of them (a book)
  std::string keywords;  // the keyword workbook
  bool style = false;    // a character style rather than a swatch
  std::string mark;      // "RazozaMark1" … "RazozaMark9"
};

struct KeywordMarkingFormHooks {
  std::function<void()> run_running;                        // "OK"
  std::function<void(const KeywordFileChoice&)> run_files;  // "IDMLに実行"
};

class KeywordMarkingForm : public LayoutForm {
 public:
  // Made hidden; the keyword workbook's field starts with `keywords` (may be empty).
  static Result<std::unique_ptr<KeywordMarkingForm>> Create(HWND owner,
                                                            KeywordMarkingFormHooks hooks,
                                                            const std::string& keywords);

  KeywordFileChoice FileChoice() const;

 private:
  explicit KeywordMarkingForm(KeywordMarkingFormHooks hooks) : hooks_(std::move(hooks)) {}
  void OnCommand(int id, int code) override;

  KeywordMarkingFormHooks hooks_;
};

}  // namespace mirune
