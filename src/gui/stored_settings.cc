#include "gui/stored_settings.h"

#include "base/utf.h"
#include "gui/file_pattern.h"

namespace mirune {

Status WriteDefaultSettings(SettingsStore& store, bool indesign_installed) {
  if (Status s = store.Set(kKeyResumeFolder, "1"); !s.ok()) return s;
  if (Status s = store.Set(kKeyDriveName, "C:"); !s.ok()) return s;
  if (Status s = store.Set(kKeyDirName, "C:\\"); !s.ok()) return s;
  return store.Set(kKeyFileItem, indesign_installed ? std::string_view("*.indd") : kFilterItemIdml);
}

void WriteFirstRunDefaults(SettingsStore& store, bool indesign_installed) {
  Result<bool> any = store.HasAnyValue();
  if (any.ok() && !*any) (void)WriteDefaultSettings(store, indesign_installed);
}

void ApplyStartUpFallback(SelectionControls& controls) {
  (void)controls.SetDrive("c:");
  (void)controls.SetFolder("c:\\");
  (void)controls.SetFilterText(kFilterItemIndd);
  controls.SetKeepFolder(true);
}

void RestoreSelection(SettingsStore& store, SelectionControls& controls) {
  Result<std::string> resume = store.Get(kKeyResumeFolder);
  if (!resume.ok()) {
    // The read itself failed: the start-up's fallback, as for any failed step.
    ApplyStartUpFallback(controls);
    return;
  }
  auto checked = [&controls](const Status& status) {
    if (!status.ok()) ApplyStartUpFallback(controls);
  };
  if (*resume == "1") {
    Result<std::string> drive = store.Get(kKeyDriveName);
    checked(drive.ok() ? controls.SetDrive(*drive) : drive.status());
    Result<std::string> folder = store.Get(kKeyDirName);
    checked(folder.ok() ? controls.SetFolder(*folder) : folder.status());
    Result<std::string> filter = store.Get(kKeyFileItem);
    checked(filter.ok() ? controls.SetFilterText(*filter) : filter.status());
    controls.SetKeepFolder(true);
  } else {
    checked(controls.SetDrive("c:"));
    checked(controls.SetFolder("c:\\"));
    checked(controls.SetFilterText(kFilterItemIndd));
    controls.SetKeepFolder(false);
  }
}

std::string DriveOfEntry(std::string_view drive_entry) {
  std::string out;
  size_t pos = 0;
  for (int i = 0; i < 2 && pos < drive_entry.size(); ++i) {
    AppendUtf8(out, DecodeUtf8(drive_entry, pos));
  }
  return out;
}

Status StoreSelection(SettingsStore& store, const SelectionState& state) {
  if (state.keep_folder) {
    if (Status s = store.Set(kKeyResumeFolder, "1"); !s.ok()) return s;
    if (Status s = store.Set(kKeyDriveName, DriveOfEntry(state.drive_entry)); !s.ok()) return s;
    if (Status s = store.Set(kKeyDirName, state.folder); !s.ok()) return s;
    return store.Set(kKeyFileItem, state.filter_text);
  }
  if (Status s = store.Set(kKeyResumeFolder, "0"); !s.ok()) return s;
  if (Status s = store.Set(kKeyDriveName, "C:"); !s.ok()) return s;
  if (Status s = store.Set(kKeyDirName, "C:\\"); !s.ok()) return s;
  return store.Set(kKeyFileItem, "*.indd");
}

}  // namespace mirune
