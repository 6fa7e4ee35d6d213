#pragma once

// What the main window's "ユーティリティ" button opens, and what the utility window's buttons
// run: Form3 (made at the first click, then hidden and shown), Form4 and Form10 (one of each;
// a second request shows the one window again), the manual, Form11 and keyword marking (the
// running InDesign and Excel through `RunningHosts`, or IDML files in the embedded engine,
// saved beside the input under a new name), the re-sort (the running Excel, or a saved
// Razoza.xls re-sorted into a copy beside it) and the dialog of the finished index (outputs
// beside the workbook). Jobs run on the window thread inside the button's handler, with
// JobRunning set, as the extraction does. Windows build only.

#include <windows.h>
// winbase.h defines Yield() as an empty macro; ProgressView has a Yield.
#undef Yield

#include <memory>
#include <string>

#include "app/running_hosts.h"
#include "desktop/desktop.h"

namespace mirune {

class MainWindow;
class WinDesktop;
class KeywordMarkingForm;
struct KeywordFileChoice;
namespace help {
class UtilityWindow;
class HelpWindow;
class IndexDialog;
struct IndexChoices;
}  // namespace help

class UtilityShell {
 public:
  UtilityShell(JobFlags& flags, MainWindow& main_window, WinDesktop& desktop, RunningHosts hosts);
  ~UtilityShell();
  UtilityShell(const UtilityShell&) = delete;
  UtilityShell& operator=(const UtilityShell&) = delete;

  // The main window's "ユーティリティ" (the main window ignores it while a job runs).
  void ShowUtilityWindow();
  // "結果のフォルダーを開く" (main window and utility window): Explorer on the RazozaData
  // folder of the data folder the extraction uses; a message naming it when it is not there
  // yet or cannot be opened.
  void OpenResultsFolder(HWND owner);
  // Hides the utility window when it is shown (the extraction's start closes it first).
  void CloseUtilityWindow();

 private:
  void ShowFirstSteps();
  void ShowFaq();
  void ShowKeywordMarking();
  void ShowIndexDialog();
  void Resort();
  // "動作確認": the check of InDesign and Excel, its report shown and kept in RazozaData.
  void RunDiagnosis();
  void MarkInRunningApplications();
  void MarkFiles(const KeywordFileChoice& choice);
  void MakeIndex(HWND dialog, const help::IndexChoices& choices);
  // The data folder of the extraction (ChooseDataFolder as the button "実行" chooses it);
  // empty when none can be had.
  std::string DataFolder() const;
  // Razoza.xls of the last extraction when it is there; empty otherwise.
  std::string LastRazozaXls() const;
  // The workbook the index dialog proposes: the latest re-sorted workbook (this session's
  // re-sort, else RazozaData's Razoza-resort.xls when it is not older than Razoza.xls), else
  // LastRazozaXls.
  std::string ProposedIndexWorkbook() const;
  HWND UtilityHwnd() const;

  JobFlags& flags_;
  MainWindow& main_window_;
  WinDesktop& desktop_;
  RunningHosts hosts_;
  std::unique_ptr<help::UtilityWindow> utility_;
  std::unique_ptr<help::HelpWindow> first_steps_;
  std::unique_ptr<help::HelpWindow> faq_;
  std::unique_ptr<KeywordMarkingForm> marking_form_;
  std::unique_ptr<help::IndexDialog> index_dialog_;
  std::string last_resort_output_;  // the workbook the last re-sort of this session wrote
  std::string proposed_workbook_;   // what the index dialog was last given
};

}  // namespace mirune
