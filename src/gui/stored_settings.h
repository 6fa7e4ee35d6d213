#pragma once

// The settings the main window keeps per user between runs: whether to restore the folder,
// the drive, the folder and the filter text. Four string values under application
// "Tovas_App", section "Mirune_Razoza" (Windows: the per-user registry key of
// settings_registry_win.h). This file holds the rules; the store and the window are
// interfaces, so the rules run against fakes in the tests.

#include <string>
#include <string_view>

#include "base/result.h"

namespace mirune {

inline constexpr std::string_view kSettingsAppName = "Tovas_App";
inline constexpr std::string_view kSettingsSection = "Mirune_Razoza";
inline constexpr std::string_view kKeyResumeFolder = "ResumeFolder";
inline constexpr std::string_view kKeyDriveName = "DriveName";
inline constexpr std::string_view kKeyDirName = "DirName";
inline constexpr std::string_view kKeyFileItem = "File_Item";

// The per-user store of one section.
class SettingsStore {
 public:
  virtual ~SettingsStore() = default;
  // The value of `key`; an absent key reads as the empty string.
  virtual Result<std::string> Get(std::string_view key) = 0;
  virtual Status Set(std::string_view key, std::string_view value) = 0;
  // Whether the section holds any value at all.
  virtual Result<bool> HasAnyValue() = 0;
};

// The main window's selection controls as the restore drives them. Each assignment raises
// the control's change handling as a user's choice would; a drive or folder that does not
// exist or is not ready makes it fail.
class SelectionControls {
 public:
  virtual ~SelectionControls() = default;
  virtual Status SetDrive(std::string_view drive) = 0;    // "c:", "C:"
  virtual Status SetFolder(std::string_view folder) = 0;  // "c:\", "C:\Books"
  virtual Status SetFilterText(std::string_view text) = 0;
  virtual void SetKeepFolder(bool keep) = 0;  // Check1
};

// What the window shows when it unloads.
struct SelectionState {
  std::string drive_entry;   // the drive list's current entry ("c: [Windows]")
  std::string folder;        // the folder list's path
  std::string filter_text;   // the filter box's text as shown
  bool keep_folder = false;  // Check1 ticked
};

// Writes the first-run defaults: ResumeFolder "1", DriveName "C:", DirName "C:\", File_Item
// "*.indd", in that order. Without InDesign on the computer (`indesign_installed` false)
// File_Item is the IDML item instead, so that the first list shows what can be extracted.
Status WriteDefaultSettings(SettingsStore& store, bool indesign_installed = true);

// Writes the defaults when the section holds no value at all (the first run). A store that
// cannot be read or written changes nothing and is not reported: start-up goes on.
void WriteFirstRunDefaults(SettingsStore& store, bool indesign_installed = true);

// Restores the selection at start-up. ResumeFolder "1": the stored drive, folder, filter text
// and the box ticked; anything else: "c:", "c:\", the .indd item and the box cleared. An
// assignment that fails is followed by the fallback of the start-up ("c:", "c:\", the .indd
// item, the box ticked), and the restore goes on with the next assignment.
void RestoreSelection(SettingsStore& store, SelectionControls& controls);

// The start-up fallback after a failed step: drive "c:", folder "c:\", the .indd item, box
// ticked. Its own failures are ignored.
void ApplyStartUpFallback(SelectionControls& controls);

// Stores the selection when the main window unloads. Box ticked: "1", the first two
// characters of the drive entry, the folder, the filter text; otherwise "0", "C:", "C:\",
// "*.indd". Stops at the first value that cannot be written.
Status StoreSelection(SettingsStore& store, const SelectionState& state);

// The drive letter and colon of a drive entry: its first two characters.
std::string DriveOfEntry(std::string_view drive_entry);

}  // namespace mirune
