#include <windows.h>

#include <string>

#include "app/data_folder.h"
#include "base/file.h"
#include "base/os_error_text.h"
#include "base/utf.h"
#include "base/wide_path.h"

namespace mirune {
namespace {

std::string Env(const wchar_t* name) {
  wchar_t buffer[32768];
  const DWORD n = GetEnvironmentVariableW(name, buffer, 32768);
  if (n == 0 || n >= 32768) return {};
  return Utf16ToUtf8(std::u16string(buffer, buffer + n));
}

class WinDataFolderLock : public DataFolderLock {
 public:
  explicit WinDataFolderLock(HANDLE handle) : handle_(handle) {}
  ~WinDataFolderLock() override { CloseHandle(handle_); }

 private:
  HANDLE handle_;
};

}  // namespace

DataFolderEnvironment ReadDataFolderEnvironment() {
  DataFolderEnvironment env;
  env.program_folder = ProgramFolder();
  env.local_app_data = Env(L"LOCALAPPDATA");
  env.windows = true;
  return env;
}

Result<std::unique_ptr<DataFolderLock>> DataFolderLock::Acquire(const std::string& data_folder) {
  const std::string path = JoinPath(data_folder, "mirune.lock");
  // No sharing: a second open fails while this handle lives; the system closes it when the
  // process ends.
  HANDLE handle = CreateFileW(ToWidePath(path).c_str(), GENERIC_READ | GENERIC_WRITE, 0, nullptr,
                              OPEN_ALWAYS, FILE_ATTRIBUTE_NORMAL, nullptr);
  if (handle == INVALID_HANDLE_VALUE) {
    const DWORD error = GetLastError();
    if (error == ERROR_SHARING_VIOLATION || error == ERROR_LOCK_VIOLATION) {
      return Result<std::unique_ptr<DataFolderLock>>(ErrorCode::kCancelled,
                                                     DataFolderBusyMessage(data_folder));
    }
    return Result<std::unique_ptr<DataFolderLock>>(
        ErrorCode::kIoError,
        "ロックファイル " + path + " を作成できません: " + WindowsErrorCause(error));
  }
  return std::unique_ptr<DataFolderLock>(new WinDataFolderLock(handle));
}

}  // namespace mirune
