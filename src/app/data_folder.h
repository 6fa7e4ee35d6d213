#pragma once

// Where an extraction keeps its working files and results (the folders `temp` and
// `RazozaData`), and the lock that keeps two jobs apart on one data folder.

#include <memory>
#include <string>

#include "base/result.h"

namespace mirune {

// The environment values the choice depends on (read by ReadDataFolderEnvironment).
struct DataFolderEnvironment {
  std::string program_folder;  // folder of the executable
  std::string xdg_data_home;   // $XDG_DATA_HOME (POSIX)
  std::string home;            // $HOME (POSIX)
  std::string local_app_data;  // %LOCALAPPDATA% (Windows)
  bool windows = false;
};
DataFolderEnvironment ReadDataFolderEnvironment();

// The data folder: `requested` when not empty; else the program folder when a file can be
// created in it; else the per-user data folder ($XDG_DATA_HOME/mirune, falling back to
// $HOME/.local/share/mirune; %LOCALAPPDATA%\Mirune on Windows). The per-user folder is
// created (with missing parents); a requested folder must exist or be creatable.
Result<std::string> ChooseDataFolder(const std::string& requested,
                                     const DataFolderEnvironment& env);

// The message shown when another job holds the data folder.
std::string DataFolderBusyMessage(const std::string& data_folder);

// Held while a job runs on a data folder: an exclusive lock on the file "mirune.lock" in it,
// which the operating system releases when the process ends (a crashed job leaves no stale
// lock). A second lock on the same folder, from this or another process, fails with
// kCancelled and DataFolderBusyMessage.
class DataFolderLock {
 public:
  static Result<std::unique_ptr<DataFolderLock>> Acquire(const std::string& data_folder);
  virtual ~DataFolderLock() = default;
};

// Creates `path` and any missing parents.
Status CreateFolders(const std::string& path);

}  // namespace mirune
