#include <windows.h>

#include <string>

#include "app/data_folder.h"
#include "base/file.h"
#include "base/os_error_text.h"
#include "base/utf.h"
#include "base/wide_path.h"
#include "base/wide_text.h"

namespace mirune {
namespace {

std::string Env(const wchar_t* name) {
  wchar_t buffer[32768];
  const DWORD n = GetEnvironmentVariableW(name, buffer, 32768);
  if (n == 0 || n >= 32768) return {};
  return Narrow(std::wstring_view(buffer, n));
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

Result<std::unique_ptr<DataFolderLock>> DataFolderLock::Acquire(const std::string& data_folder,
                                                                std::string_view job) {
  const std::string path = JoinPath(data_folder, "mirune.lock");
  // Others may read (who holds the folder) but not open it for writing: a second lock fails
  // with a sharing violation while this handle lives; the system closes it when the process
  // ends.
  HANDLE handle =
      CreateFileW(ToWidePath(path).c_str(), GENERIC_READ | GENERIC_WRITE, FILE_SHARE_READ, nullptr,
                  OPEN_ALWAYS, FILE_ATTRIBUTE_NORMAL, nullptr);
  if (handle == INVALID_HANDLE_VALUE) {
    const DWORD error = GetLastError();
    if (error == ERROR_SHARING_VIOLATION || error == ERROR_LOCK_VIOLATION) {
      std::string holder;
      HANDLE reader = CreateFileW(ToWidePath(path).c_str(), GENERIC_READ,
                                  FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE, nullptr,
                                  OPEN_EXISTING, FILE_ATTRIBUTE_NORMAL, nullptr);
      if (reader != INVALID_HANDLE_VALUE) {
        char bytes[256];
        DWORD n = 0;
        if (ReadFile(reader, bytes, sizeof bytes, &n, nullptr)) {
          holder = LockHolderOf(std::string_view(bytes, n));
        }
        CloseHandle(reader);
      }
      return Result<std::unique_ptr<DataFolderLock>>(ErrorCode::kCancelled,
                                                     DataFolderBusyMessage(data_folder, holder));
    }
    return Result<std::unique_ptr<DataFolderLock>>(
        ErrorCode::kIoError,
        "ロックファイル " + path + " を作成できません: " + WindowsErrorCause(error));
  }
  // Which job holds the folder, for the message of a second one.
  const std::string holder = LockHolderText(job, GetCurrentProcessId()) + "\n";
  DWORD written = 0;
  if (SetEndOfFile(handle)) {
    (void)WriteFile(handle, holder.data(), static_cast<DWORD>(holder.size()), &written, nullptr);
  }
  return std::unique_ptr<DataFolderLock>(new WinDataFolderLock(handle));
}

}  // namespace mirune
