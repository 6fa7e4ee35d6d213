#include "app/data_folder.h"

#include "base/file.h"
#include "base/utf.h"

namespace mirune {

Status CreateFolders(const std::string& path) {
  if (path.empty() || FolderExists(path)) return Status::Ok();
  // Find the parent: everything before the last separator.
  size_t end = path.find_last_not_of("/\\");
  if (end == std::string::npos) return Status::Ok();  // a root
  const size_t cut = path.find_last_of("/\\", end);
  if (cut != std::string::npos && cut > 0) {
    std::string parent = path.substr(0, cut);
    // "C:" alone is a drive, not a folder to create.
    if (!(parent.size() == 2 && parent[1] == ':')) MIRUNE_RETURN_IF_ERROR(CreateFolders(parent));
  }
  return CreateFolder(path.substr(0, end + 1));
}

Result<std::string> ChooseDataFolder(const std::string& requested,
                                     const DataFolderEnvironment& env) {
  if (!requested.empty()) {
    MIRUNE_RETURN_IF_ERROR(CreateFolders(requested));
    return requested;
  }
  if (!env.program_folder.empty() && IsFolderWritable(env.program_folder)) {
    return env.program_folder;
  }
  std::string folder;
  if (env.windows) {
    if (env.local_app_data.empty()) {
      return Result<std::string>(
          ErrorCode::kIoError,
          "プログラムのフォルダーに書き込めず、LOCALAPPDATA も未設定です: " + env.program_folder);
    }
    folder = JoinPath(env.local_app_data, "Mirune");
  } else if (!env.xdg_data_home.empty()) {
    folder = JoinPath(env.xdg_data_home, "mirune");
  } else if (!env.home.empty()) {
    folder = JoinPath(JoinPath(JoinPath(env.home, ".local"), "share"), "mirune");
  } else {
    return Result<std::string>(
        ErrorCode::kIoError,
        "プログラムのフォルダーに書き込めず、HOME も未設定です: " + env.program_folder);
  }
  MIRUNE_RETURN_IF_ERROR(CreateFolders(folder));
  return folder;
}

std::string DataFolderBusyMessage(const std::string& data_folder, const std::string& holder) {
  if (holder.empty()) {
    return "別の処理がこのデータフォルダーを使用中です。終了してから再度実行して下さい: " +
           data_folder;
  }
  return "別の処理（" + holder +
         "）がこのデータフォルダーを使用中です。終了してから再度実行して下さい: " + data_folder;
}

std::string LockHolderText(std::string_view job, unsigned long process_id) {
  return std::string(job) + "、プロセス " + std::to_string(process_id);
}

std::string LockHolderOf(std::string_view bytes) {
  // One line of UTF-8 text without control characters, of a sensible length.
  const size_t end = bytes.find('\n');
  std::string_view line = bytes.substr(0, end);
  if (line.empty() || line.size() > 200 || !IsValidUtf8(line)) return {};
  for (const char c : line) {
    if (static_cast<unsigned char>(c) < 0x20 || c == 0x7F) return {};
  }
  return std::string(line);
}

}  // namespace mirune
