#include <windows.h>

#include <algorithm>
#include <atomic>
#include <cwchar>

#include "base/file_platform.h"
#include "base/os_error_text.h"
#include "base/utf.h"
#include "base/wide_path.h"
#include "base/wide_text.h"

namespace mirune::platform {
namespace {

// os_error_text.cc holds these codes as plain numbers.
static_assert(ERROR_FILE_NOT_FOUND == 2 && ERROR_PATH_NOT_FOUND == 3 && ERROR_ACCESS_DENIED == 5 &&
              ERROR_SHARING_VIOLATION == 32 && ERROR_LOCK_VIOLATION == 33 &&
              ERROR_HANDLE_DISK_FULL == 39 && ERROR_DISK_FULL == 112 && ERROR_FILE_EXISTS == 80 &&
              ERROR_ALREADY_EXISTS == 183 && ERROR_INVALID_NAME == 123 &&
              ERROR_FILENAME_EXCED_RANGE == 206 && ERROR_WRITE_PROTECT == 19 &&
              ERROR_NOT_SAME_DEVICE == 17 && ERROR_DIRECTORY == 267 && ERROR_DIR_NOT_EMPTY == 145 &&
              ERROR_BAD_NETPATH == 53 && ERROR_NOT_READY == 21);

// Closes a handle on every path out of a function.
class Handle {
 public:
  explicit Handle(HANDLE h) : h_(h) {}
  ~Handle() {
    if (ok()) CloseHandle(h_);
  }
  Handle(const Handle&) = delete;
  Handle& operator=(const Handle&) = delete;
  HANDLE get() const { return h_; }
  bool ok() const { return h_ != INVALID_HANDLE_VALUE && h_ != nullptr; }
  // Closes now and reports the result.
  bool Close() {
    const bool closed = CloseHandle(h_) != 0;
    h_ = INVALID_HANDLE_VALUE;
    return closed;
  }

 private:
  HANDLE h_;
};

constexpr DWORD kShareAll = FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE;

bool Fail(Failure* failure, Step step, DWORD error) {
  failure->step = step;
  failure->error = error;
  return false;
}

bool IsMissing(DWORD error) {
  return error == ERROR_FILE_NOT_FOUND || error == ERROR_PATH_NOT_FOUND ||
         error == ERROR_INVALID_NAME || error == ERROR_BAD_NETPATH || error == ERROR_INVALID_DRIVE;
}

NodeKind KindOfType(DWORD type) {
  switch (type) {
    case FILE_TYPE_PIPE:
      return NodeKind::kFifo;
    case FILE_TYPE_CHAR:
      return NodeKind::kDevice;
    default:
      return NodeKind::kOther;
  }
}

// Kind, size and identity of an open handle.
void Describe(HANDLE handle, NodeInfo* info) {
  const DWORD type = GetFileType(handle);
  if (type != FILE_TYPE_DISK) {
    info->kind = KindOfType(type);
    return;
  }
  BY_HANDLE_FILE_INFORMATION data;
  if (!GetFileInformationByHandle(handle, &data)) {
    info->kind = NodeKind::kOther;
    return;
  }
  info->kind =
      (data.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY) ? NodeKind::kFolder : NodeKind::kFile;
  info->size = (static_cast<uint64_t>(data.nFileSizeHigh) << 32) | data.nFileSizeLow;
  info->volume = data.dwVolumeSerialNumber;
  info->index = (static_cast<uint64_t>(data.nFileIndexHigh) << 32) | data.nFileIndexLow;
  info->identified = true;
  info->read_only = (data.dwFileAttributes & FILE_ATTRIBUTE_READONLY) != 0;
}

}  // namespace

std::string CauseOf(ErrorNumber error) { return WindowsErrorCause(error); }

bool IsAlreadyExists(ErrorNumber error) {
  return error == ERROR_FILE_EXISTS || error == ERROR_ALREADY_EXISTS;
}

ErrorNumber Inspect(const std::string& path, NodeInfo* info) {
  *info = NodeInfo{};
  // No access asked for: opening only to look can neither block on a pipe nor take a device;
  // FILE_FLAG_BACKUP_SEMANTICS lets folders open too. Links are followed.
  Handle handle(CreateFileW(ToWidePath(path).c_str(), 0, kShareAll, nullptr, OPEN_EXISTING,
                            FILE_FLAG_BACKUP_SEMANTICS, nullptr));
  if (!handle.ok()) {
    const DWORD error = GetLastError();
    if (IsMissing(error)) return 0;
    // A file opened by another program without sharing still has attributes to read.
    const DWORD attributes = GetFileAttributesW(ToWidePath(path).c_str());
    if (attributes == INVALID_FILE_ATTRIBUTES) return error;
    info->kind = (attributes & FILE_ATTRIBUTE_DIRECTORY) ? NodeKind::kFolder : NodeKind::kFile;
    info->read_only = (attributes & FILE_ATTRIBUTE_READONLY) != 0;
    return 0;
  }
  Describe(handle.get(), info);
  return 0;
}

bool ReadRegularFile(const std::string& path, uint64_t max_bytes, std::string* bytes,
                     NodeInfo* info, Failure* failure, uint64_t head) {
  const std::wstring wide = ToWidePath(path);
  const DWORD attributes = GetFileAttributesW(wide.c_str());
  if (attributes != INVALID_FILE_ATTRIBUTES && (attributes & FILE_ATTRIBUTE_DIRECTORY)) {
    info->kind = NodeKind::kFolder;
    return Fail(failure, Step::kKind, 0);
  }
  Handle handle(CreateFileW(wide.c_str(), GENERIC_READ, kShareAll, nullptr, OPEN_EXISTING,
                            FILE_ATTRIBUTE_NORMAL, nullptr));
  if (!handle.ok()) {
    const DWORD error = GetLastError();
    if (IsMissing(error)) {
      info->kind = NodeKind::kMissing;
      return Fail(failure, Step::kKind, 0);
    }
    return Fail(failure, Step::kOpen, error);
  }
  Describe(handle.get(), info);
  if (info->kind != NodeKind::kFile) return Fail(failure, Step::kKind, 0);
  if (info->size > max_bytes) return Fail(failure, Step::kSize, 0);
  bytes->clear();
  bytes->reserve(static_cast<size_t>(std::min(info->size, head)));
  char buffer[65536];
  for (;;) {
    DWORD n = 0;
    if (!ReadFile(handle.get(), buffer, sizeof buffer, &n, nullptr)) {
      return Fail(failure, Step::kRead, GetLastError());
    }
    if (n == 0) break;
    bytes->append(buffer, n);
    if (bytes->size() >= head) {
      bytes->resize(static_cast<size_t>(head));
      return true;
    }
    if (bytes->size() > max_bytes) {
      info->size = bytes->size();
      return Fail(failure, Step::kSize, 0);
    }
  }
  return true;
}

bool WriteNewFile(const std::string& path, std::string_view bytes, Failure* failure) {
  Handle handle(CreateFileW(ToWidePath(path).c_str(), GENERIC_WRITE, 0, nullptr, CREATE_NEW,
                            FILE_ATTRIBUTE_NORMAL, nullptr));
  if (!handle.ok()) return Fail(failure, Step::kCreate, GetLastError());
  size_t done = 0;
  while (done < bytes.size()) {
    const DWORD chunk = static_cast<DWORD>(std::min<size_t>(bytes.size() - done, 1u << 30));
    DWORD n = 0;
    if (!WriteFile(handle.get(), bytes.data() + done, chunk, &n, nullptr)) {
      return Fail(failure, Step::kWrite, GetLastError());
    }
    done += n;
  }
  if (!FlushFileBuffers(handle.get())) return Fail(failure, Step::kFlush, GetLastError());
  if (!handle.Close()) return Fail(failure, Step::kFlush, GetLastError());
  return true;
}

ErrorNumber FlushFile(const std::string& path) {
  Handle handle(CreateFileW(ToWidePath(path).c_str(), GENERIC_WRITE, kShareAll, nullptr,
                            OPEN_EXISTING, FILE_ATTRIBUTE_NORMAL, nullptr));
  if (!handle.ok()) return GetLastError();
  if (!FlushFileBuffers(handle.get())) return GetLastError();
  return 0;
}

namespace {

// For the kill tests of the Windows build, which has no tracer that can stop the program at a
// system call under Wine: MIRUNE_TEST_END_AT_RENAME=N ends the process abruptly, as a kill
// would, before its N-th rename. Unset in every real run.
void EndHereWhenAsked() {
  static std::atomic<long> renames{0};  // test hook only: counts this process's renames
  wchar_t value[32];
  const DWORD n = GetEnvironmentVariableW(L"MIRUNE_TEST_END_AT_RENAME", value, 32);
  if (n == 0 || n >= 32) return;
  const long at = std::wcstol(value, nullptr, 10);
  if (at > 0 && renames.fetch_add(1) + 1 == at) TerminateProcess(GetCurrentProcess(), 137);
}

}  // namespace

bool RenameDurably(const std::string& from, const std::string& to, Failure* failure) {
  EndHereWhenAsked();
  // MOVEFILE_WRITE_THROUGH: the call returns once the move is on the disk.
  if (!MoveFileExW(ToWidePath(from).c_str(), ToWidePath(to).c_str(),
                   MOVEFILE_REPLACE_EXISTING | MOVEFILE_WRITE_THROUGH)) {
    return Fail(failure, Step::kRename, GetLastError());
  }
  return true;
}

ErrorNumber HardLink(const std::string& existing, const std::string& link) {
  return CreateHardLinkW(ToWidePath(link).c_str(), ToWidePath(existing).c_str(), nullptr)
             ? 0
             : GetLastError();
}

ErrorNumber RemovePath(const std::string& path) {
  return DeleteFileW(ToWidePath(path).c_str()) ? 0 : GetLastError();
}

ErrorNumber MakeFolder(const std::string& path) {
  return CreateDirectoryW(ToWidePath(path).c_str(), nullptr) ? 0 : GetLastError();
}

ErrorNumber ReadFolder(const std::string& path, std::vector<FolderEntry>* entries) {
  std::wstring pattern = ToWidePath(path);
  if (!pattern.empty() && pattern.back() != L'\\') pattern += L'\\';
  pattern += L'*';
  WIN32_FIND_DATAW data;
  HANDLE find =
      FindFirstFileExW(pattern.c_str(), FindExInfoBasic, &data, FindExSearchNameMatch, nullptr, 0);
  if (find == INVALID_HANDLE_VALUE) {
    const DWORD error = GetLastError();
    // An empty folder of a drive root has no entries at all.
    return error == ERROR_FILE_NOT_FOUND && FolderExists(path) ? 0 : error;
  }
  DWORD error = 0;
  do {
    const std::wstring name = data.cFileName;
    if (name == L"." || name == L"..") continue;
    const PathKind kind =
        (data.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY) ? PathKind::kFolder : PathKind::kFile;
    entries->push_back({Narrow(name), kind});
  } while (FindNextFileW(find, &data));
  error = GetLastError();
  FindClose(find);
  return error == ERROR_NO_MORE_FILES ? 0 : error;
}

std::string Absolute(const std::string& path) {
  const std::wstring full = FullWidePath(ToWidePath(path.empty() ? std::string(".") : path));
  if (full.empty()) return path;
  std::string out = FromWidePath(full);
  // No trailing separator, except at a root ("C:\", "\\server\share\").
  while (out.size() > 3 && out.back() == '\\' && ParentFolder(out) != out) out.pop_back();
  return out;
}

bool SamePathText(const std::string& a, const std::string& b) {
  const std::u16string ua = Utf8ToUtf16(a), ub = Utf8ToUtf16(b);
  // The file system's own comparison of names: ordinal, without case.
  return CompareStringOrdinal(reinterpret_cast<const wchar_t*>(ua.c_str()),
                              static_cast<int>(ua.size()),
                              reinterpret_cast<const wchar_t*>(ub.c_str()),
                              static_cast<int>(ub.size()), TRUE) == CSTR_EQUAL;
}

std::string ProgramFolder() {
  std::wstring buffer(32768, L'\0');
  const DWORD n = GetModuleFileNameW(nullptr, buffer.data(), static_cast<DWORD>(buffer.size()));
  if (n == 0 || n >= buffer.size()) return ".";
  buffer.resize(n);
  const std::string folder = ParentFolder(FromWidePath(buffer));
  return folder.empty() ? "." : folder;
}

unsigned long ProcessId() { return GetCurrentProcessId(); }

// A record's owner may write; others may only read it while it lives. A second opening for
// writing (LockRecord) fails with a sharing violation until the owner's handle is closed,
// which the system does when the process ends.
constexpr DWORD kRecordShare = FILE_SHARE_READ;

ErrorNumber CreateRecord(const std::string& path, RecordHandle* handle) {
  HANDLE h = CreateFileW(ToWidePath(path).c_str(), GENERIC_READ | GENERIC_WRITE, kRecordShare,
                         nullptr, CREATE_NEW, FILE_ATTRIBUTE_NORMAL, nullptr);
  if (h == INVALID_HANDLE_VALUE) return GetLastError();
  *handle = reinterpret_cast<RecordHandle>(h);
  return 0;
}

ErrorNumber AppendRecord(RecordHandle handle, std::string_view bytes) {
  HANDLE h = reinterpret_cast<HANDLE>(handle);
  LARGE_INTEGER zero{};
  if (!SetFilePointerEx(h, zero, nullptr, FILE_END)) return GetLastError();
  size_t done = 0;
  while (done < bytes.size()) {
    DWORD n = 0;
    if (!WriteFile(h, bytes.data() + done, static_cast<DWORD>(bytes.size() - done), &n, nullptr)) {
      return GetLastError();
    }
    done += n;
  }
  return FlushFileBuffers(h) ? 0 : GetLastError();
}

ErrorNumber LockRecord(const std::string& path, RecordHandle* handle, bool* busy) {
  *busy = false;
  HANDLE h = CreateFileW(ToWidePath(path).c_str(), GENERIC_READ | GENERIC_WRITE, kRecordShare,
                         nullptr, OPEN_EXISTING, FILE_ATTRIBUTE_NORMAL, nullptr);
  if (h == INVALID_HANDLE_VALUE) {
    const DWORD error = GetLastError();
    *busy = error == ERROR_SHARING_VIOLATION || error == ERROR_LOCK_VIOLATION;
    return error;
  }
  *handle = reinterpret_cast<RecordHandle>(h);
  return 0;
}

ErrorNumber ReadRecord(RecordHandle handle, std::string* bytes) {
  HANDLE h = reinterpret_cast<HANDLE>(handle);
  bytes->clear();
  LARGE_INTEGER zero{};
  if (!SetFilePointerEx(h, zero, nullptr, FILE_BEGIN)) return GetLastError();
  char buffer[4096];
  for (;;) {
    DWORD n = 0;
    if (!ReadFile(h, buffer, sizeof buffer, &n, nullptr)) return GetLastError();
    if (n == 0) return 0;
    bytes->append(buffer, n);
  }
}

ErrorNumber RemoveRecord(const std::string& path, RecordHandle handle) {
  // Closed first (Windows deletes no open file); a run that takes the record up in between
  // finds it finished.
  CloseRecord(handle);
  return DeleteFileW(ToWidePath(path).c_str()) ? 0 : GetLastError();
}

void CloseRecord(RecordHandle handle) {
  if (handle != kNoRecord) CloseHandle(reinterpret_cast<HANDLE>(handle));
}

}  // namespace mirune::platform
