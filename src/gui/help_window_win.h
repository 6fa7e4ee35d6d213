#pragma once

// The help windows: Form4 "初めての方へ" (the first steps, the program's picture, the
// buttons "使用説明書を読む" and "閉じる") and Form10 "こんなときは" (the questions and
// answers, the button "閉じる"). Each shows its text of gui/help_texts.h in a multi-line
// read-only text box. "閉じる" and the close box unload the window; its owner makes a fresh
// one at the next request. Windows build only.

#include <windows.h>

#include <functional>
#include <memory>

#include "base/result.h"
#include "gui/forms/layout_form_win.h"

namespace mirune::help {

enum class HelpKind { kFirstSteps, kFaq };

class HelpWindow : public LayoutForm {
 public:
  // Made hidden. `manual` is the "使用説明書を読む" button of Form4 (given the window as owner).
  static Result<std::unique_ptr<HelpWindow>> Create(HelpKind kind, HWND owner,
                                                    std::function<void(HWND owner)> manual);

 private:
  explicit HelpWindow(std::function<void(HWND owner)> manual) : manual_(std::move(manual)) {}
  void OnCommand(int id, int code) override;

  std::function<void(HWND owner)> manual_;
};

}  // namespace mirune::help
