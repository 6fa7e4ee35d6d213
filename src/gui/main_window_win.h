#pragma once

// The main window Form1: the drive, folder and file lists, the file-type filter box, the
// check box that keeps the folder for the next start, and the buttons "実行",
// "ユーティリティ", "終了" and "結果のフォルダーを開く". Layout and rules come from the portable
// files (form_layout.h, file_pattern.h, stored_settings.h, drive_change.h); this file is their
// Win32 form.
//
// Every handler that the user can reach returns at once while flags.job_running is set, and
// a close from the close box or the system menu is refused then. When the window is
// destroyed it stores the selection and ends the message loop.

#include <windows.h>

#include <functional>
#include <memory>
#include <string>
#include <string_view>
#include <vector>

#include "app/extraction_launch.h"
#include "desktop/desktop.h"
#include "gui/drive_change.h"
#include "gui/forms/form_win.h"
#include "gui/forms/gdi_owner_win.h"
#include "gui/stored_settings.h"

namespace mirune {

struct MainWindowHooks {
  // The button "実行" with the current selection (not called while a job runs).
  std::function<void(const LaunchSelection&)> execute;
  // The button "ユーティリティ".
  std::function<void()> utility;
  // The button "結果のフォルダーを開く".
  std::function<void()> open_results;
  // A message box owned by the main window (the drive list's missing-medium question).
  std::function<int(std::string_view text, std::string_view title, int style)> ask;
};

class MainWindow final : public SelectionControls, public Form {
 public:
  // Registers the class and creates the window, hidden. Fails with the cause.
  static Result<std::unique_ptr<MainWindow>> Create(JobFlags& flags, SettingsStore& store,
                                                    MainWindowHooks hooks);

  // Start-up steps 7 to 10: the pattern from the filter box's text, the filter items, the
  // restored selection, the first file selected.
  void FillAtStartUp();

  // SelectionControls: each raises the control's change handling as the user's choice does.
  Status SetDrive(std::string_view drive) override;
  Status SetFolder(std::string_view folder) override;
  Status SetFilterText(std::string_view text) override;
  void SetKeepFolder(bool keep) override;

  // What the controls show.
  SelectionState State() const;
  std::wstring folder_path() const { return folder_path_; }

  // Enables or disables Drive1, Dir1, File1, Combo1 and Check1, in that order.
  void SetSelectionControlsEnabled(bool enabled);

  // The tool tip of "結果のフォルダーを開く" (where the results are kept: the program's folder or,
  // when that cannot be written, the user's own). Made at the first call; the text is copied.
  void SetResultsFolderTip(std::string_view text);

 private:
  MainWindow(JobFlags& flags, SettingsStore& store, MainWindowHooks hooks)
      : flags_(flags), store_(store), hooks_(std::move(hooks)) {}
  HWND tip_ = nullptr;  // the tool tip window; destroyed with the main window, its owner
  LRESULT HandleMessage(UINT message, WPARAM wparam, LPARAM lparam) override;

  void CreateControls();
  void ApplyDpi(int dpi) override;
  void FillDrives();
  FolderOutcome ChangeFolder(const std::wstring& folder);
  void FillFolderList();
  void FillFileList();
  void SelectFirstFile();
  std::wstring FilterText() const;
  std::wstring SelectedDriveEntry() const;
  bool SelectDriveEntry(wchar_t letter);

  void OnDriveChange();
  void OnFolderOpen();
  void OnFolderClick();
  void OnFilterChange(const std::wstring& text);
  void OnExecute();

  JobFlags& flags_;
  SettingsStore& store_;
  MainWindowHooks hooks_;
  UniqueFont font_;
  UniqueFont bold_font_;
  int dpi_ = 96;
  std::wstring folder_path_;                  // Dir1's path ("c:\", "c:\books")
  std::wstring pattern_text_;                 // File1's pattern
  std::vector<std::wstring> folder_entries_;  // Dir1's items: full paths
  bool following_drive_ = false;
};

}  // namespace mirune
