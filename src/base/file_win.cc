#include <windows.h>

#include "base/file_platform.h"
#include "base/utf.h"

namespace mirune::platform {

namespace {
std::wstring Wide(const std::string& utf8) {
  const std::u16string u16 = Utf8ToUtf16(utf8);
  return std::wstring(u16.begin(), u16.end());
}
}  // namespace

std::filesystem::path ToPath(const std::string& utf8) { return std::filesystem::path(Wide(utf8)); }

Status RenameOver(const std::string& from, const std::string& to) {
  if (!MoveFileExW(Wide(from).c_str(), Wide(to).c_str(),
                   MOVEFILE_REPLACE_EXISTING | MOVEFILE_WRITE_THROUGH)) {
    const DWORD err = GetLastError();
    std::string why = "error " + std::to_string(err);
    if (err == ERROR_ACCESS_DENIED) why = "access denied (read-only)";
    if (err == ERROR_SHARING_VIOLATION || err == ERROR_LOCK_VIOLATION) {
      why = "the file is open in another program";
    }
    return Status(ErrorCode::kIoError, to + ": cannot be replaced: " + why);
  }
  return Status::Ok();
}

std::string ProgramFolder() {
  wchar_t buf[32768];
  const DWORD n = GetModuleFileNameW(nullptr, buf, 32768);
  if (n == 0 || n >= 32768) return ".";
  std::u16string path(buf, buf + n);
  const size_t slash = path.find_last_of(u"\\/");
  if (slash == std::u16string::npos) return ".";
  return Utf16ToUtf8(path.substr(0, slash));
}

unsigned long ProcessId() { return GetCurrentProcessId(); }

}  // namespace mirune::platform
