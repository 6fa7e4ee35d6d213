#pragma once

// Where an extraction keeps its working files and results (the folders `temp` and
// `RazozaData`), and the lock that keeps two jobs apart on one data folder.

#include <memory>
#include <string>
#include <string_view>

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

// The jobs that hold a data folder, as the busy message names them.
inline constexpr std::string_view kJobExtraction = "索引抽出";
inline constexpr std::string_view kJobResort = "再ソート";

// The message shown when another job holds the data folder. `holder` says which job holds it
// and in which process ("再ソート（プロセス 1234）"); empty when that could not be read.
std::string DataFolderBusyMessage(const std::string& data_folder, const std::string& holder);

// Held while a job runs on a data folder: an exclusive lock on the file "mirune.lock" in it,
// which the operating system releases when the process ends (a crashed job leaves no stale
// lock). The file says which job holds it (`job` and the process id), so that a second lock on
// the same folder, from this or another process, fails with kCancelled and a
// DataFolderBusyMessage naming the holder.
class DataFolderLock {
 public:
  static Result<std::unique_ptr<DataFolderLock>> Acquire(const std::string& data_folder,
                                                         std::string_view job = kJobExtraction);
  virtual ~DataFolderLock() = default;
};

// The holder's description as the lock file keeps it: "再ソート（プロセス 1234）".
std::string LockHolderText(std::string_view job, unsigned long process_id);
// The holder read back from the lock file's bytes; empty when they say nothing readable.
std::string LockHolderOf(std::string_view lock_file_bytes);

// Creates `path` and any missing parents.
Status CreateFolders(const std::string& path);

}  // namespace mirune
