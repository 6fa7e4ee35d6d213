#pragma once

// The utility window Form3 ("ユーティリティ"): the tab strip with the tabs "使い方" and
// "ツール", one frame per tab, and on them the buttons of the help material and of the jobs
// that work on results (gui/help_layout.h). A tab click brings its frame to the front. The
// close buttons and the close box hide the window; it is made once and shown again as it was
// left, on the same tab. The buttons of the "ツール" tab do nothing while a job runs. Windows
// build only.

#include <windows.h>

#include <functional>
#include <memory>

#include "base/result.h"
#include "desktop/desktop.h"
#include "gui/forms/layout_form_win.h"

namespace mirune::help {

struct UtilityWindowHooks {
  std::function<void()> first_steps;       // Command1(1) "初めての方へ"
  std::function<void(HWND owner)> manual;  // Command1(2) "使用説明書"
  std::function<void()> faq;               // Command1(3) "こんなときは"
  std::function<void()> open_results;      // Command5 "結果のフォルダーを開く"
  std::function<void()> resort;            // Command4(1) "Excelソート処理"
  std::function<void()> keyword_marking;   // Command4(2) "一括マーキング"
  std::function<void()> finished_index;    // Command4(3) "索引作成"
  std::function<void()> diagnosis;         // Command4(4) "動作確認"
};

class UtilityWindow : public LayoutForm {
 public:
  // Made hidden, on the first tab. `flags` outlives the window.
  static Result<std::unique_ptr<UtilityWindow>> Create(HWND owner, const JobFlags& flags,
                                                       UtilityWindowHooks hooks);

  // Brings the frame of tab `tab` (0 "使い方", 1 "ツール") to the front and selects the tab.
  void SelectTab(int tab);
  int selected_tab() const { return tab_; }
  // The check box "読みを記憶する" of the re-sort (ticked at first).
  bool LearnReadings() const;

 private:
  UtilityWindow(const JobFlags& flags, UtilityWindowHooks hooks)
      : flags_(flags), hooks_(std::move(hooks)) {}
  void OnCommand(int id, int code) override;
  void OnClose() override { Hide(); }
  bool OnMessage(UINT message, WPARAM wparam, LPARAM lparam, LRESULT& result) override;
  void OnLayout() override;
  void ShowFrames();

  const JobFlags& flags_;
  UtilityWindowHooks hooks_;
  int tab_ = 0;
};

}  // namespace mirune::help
