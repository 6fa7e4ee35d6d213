#include "gui/drive_change.h"

#include "desktop/desktop.h"
#include "gui/stored_settings.h"

namespace mirune {

std::string MissingMediumMessage(std::string_view drive) {
  return std::string(drive) + " ドライブにディスク又はメディアをセットして下さい";
}

void FollowDrive(std::string_view drive_entry, const DriveChangeHost& host) {
  const std::string drive = DriveOfEntry(drive_entry);
  for (;;) {
    const FolderOutcome outcome = host.set_folder(drive + "\\");
    if (outcome == FolderOutcome::kDone) return;
    if (outcome == FolderOutcome::kDeviceUnavailable &&
        host.ask(MissingMediumMessage(drive), kTitleError, kStyleMissingMedium) == kAnswerRetry) {
      continue;
    }
    // Cancel, or a failure of another kind: back to drive C and its root.
    host.set_drive("c:");
    (void)host.set_folder("c:\\");
    return;
  }
}

}  // namespace mirune
