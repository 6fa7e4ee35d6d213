#pragma once

// What the main window does when the drive list changes: the folder list moves to the
// drive's root. A drive without a medium asks Retry or Cancel (title "エラー", style 21)
// until the root can be read or the user cancels; Cancel and any other failure go back to
// "c:" and "c:\".

#include <functional>
#include <string>
#include <string_view>

namespace mirune {

enum class FolderOutcome {
  kDone,
  kDeviceUnavailable,  // no medium in the drive, or the drive not ready
  kFailed,             // any other failure (the fallback follows without a message)
};

struct DriveChangeHost {
  // Sets the folder list's path ("d:\").
  std::function<FolderOutcome(std::string_view folder)> set_folder;
  // Shows drive `drive` ("c:") in the drive list without raising the drive change.
  std::function<void(std::string_view drive)> set_drive;
  // A message box; returns the answer (kAnswerRetry, kAnswerCancel).
  std::function<int(std::string_view text, std::string_view title, int style)> ask;
};

// "d: ドライブにディスク又はメディアをセットして下さい"
std::string MissingMediumMessage(std::string_view drive);

// Follows a drive entry ("d: [Label]"): its first two characters and "\".
void FollowDrive(std::string_view drive_entry, const DriveChangeHost& host);

}  // namespace mirune
