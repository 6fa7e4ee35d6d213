#pragma once

// The abort window Form6 ("進行状況") on Windows, shown by the extraction before each
// document: the document name (Label5 beside "対象文書名 ："), the hint "処理中止ボタンで中止
// することができます", the button "処理中止" (Command1), and a static progress look that
// nothing updates ("索引抽出処理の準備中です...　", the track with a short bar, "5％").
//
// The button asks "処理を中止しますか？" (title "確認", style 4132: Yes and No, question icon,
// system-modal) and on Yes sets flags.abort_requested; No changes nothing. The button
// neither closes the window nor stops the job: the job reads the flag after its pause. The
// button works while the thread that created the window dispatches messages, that is while
// the job yields during its five-second pause (AbortWindow::Pause).
//
// The Windows desktop shows it from Desktop::ShowAbortWindow(window) with
// Show(window.document_name()) and hides it from CloseAbortWindow with Close(). A close from
// the close box, the system menu or Alt+F4 is refused while flags.job_running is set and hides
// the window otherwise; Close() always hides it. Windows build only.

#ifdef _WIN32

#include <windows.h>
// winbase.h still defines the 16-bit Yield() as a macro; ProgressView has a member of that name.
#undef Yield

#include <memory>
#include <string_view>

#include "base/result.h"
#include "desktop/desktop.h"
#include "gui/progress_form_win.h"

namespace mirune {

class AbortWindowWin final : public ProgressForm {
 public:
  static constexpr const wchar_t* kClassName = L"MiruneAbortForm6";

  // Creates Form6 hidden on the calling thread. `flags` outlives the window.
  static Result<std::unique_ptr<AbortWindowWin>> Create(JobFlags& flags, HWND owner = nullptr);

  // Sets Label5 to `document_name`, shows the window (non-modal) and repaints it at once.
  void Show(std::string_view document_name);
  // Hides the window (always carried out).
  void Close();
  // Label1 says what the pause is for (AbortWindow::pause_text); empty puts back the
  // window's own text.
  void ShowPauseText(std::string_view text);

 private:
  explicit AbortWindowWin(JobFlags& flags);
  bool OnMessage(UINT message, WPARAM wparam, LPARAM lparam, LRESULT& result) override;
  void AskAbort();

  JobFlags& flags_;
  bool asking_ = false;
};

}  // namespace mirune

#endif  // _WIN32
