#include <dirent.h>
#include <fcntl.h>
#include <sys/file.h>
#include <sys/stat.h>
#include <unistd.h>

#include <algorithm>
#include <cerrno>
#include <climits>

#include "base/file_platform.h"
#include "base/os_error_text.h"

namespace mirune::platform {
namespace {

// Closes a descriptor on every path out of a function.
class Descriptor {
 public:
  explicit Descriptor(int fd) : fd_(fd) {}
  ~Descriptor() {
    if (fd_ >= 0) ::close(fd_);
  }
  Descriptor(const Descriptor&) = delete;
  Descriptor& operator=(const Descriptor&) = delete;
  int get() const { return fd_; }
  bool ok() const { return fd_ >= 0; }
  // Closes now and reports the result: close can be where a delayed write error shows.
  int Close() {
    const int rc = ::close(fd_);
    fd_ = -1;
    return rc;
  }

 private:
  int fd_;
};

NodeKind KindOf(mode_t mode) {
  if (S_ISREG(mode)) return NodeKind::kFile;
  if (S_ISDIR(mode)) return NodeKind::kFolder;
  if (S_ISFIFO(mode)) return NodeKind::kFifo;
  if (S_ISCHR(mode) || S_ISBLK(mode)) return NodeKind::kDevice;
  if (S_ISSOCK(mode)) return NodeKind::kSocket;
  return NodeKind::kOther;
}

void Fill(const struct stat& st, NodeInfo* info) {
  info->kind = KindOf(st.st_mode);
  info->size = static_cast<uint64_t>(st.st_size);
  info->volume = static_cast<uint64_t>(st.st_dev);
  info->index = static_cast<uint64_t>(st.st_ino);
  info->identified = true;
  info->read_only = (st.st_mode & S_IWUSR) == 0;
}

bool Fail(Failure* failure, Step step, int error) {
  failure->step = step;
  failure->error = static_cast<ErrorNumber>(error);
  return false;
}

std::string FolderOf(const std::string& path) {
  const std::string folder = ParentFolder(path);
  return folder.empty() ? "." : folder;
}

// Flushes a folder's entries (a rename is durable only once its folder is). File systems
// that cannot flush a folder answer EINVAL; that is not a failure of the rename.
int SyncFolder(const std::string& folder) {
  Descriptor fd(::open(folder.c_str(), O_RDONLY | O_DIRECTORY | O_CLOEXEC));
  if (!fd.ok()) return errno == EACCES ? 0 : errno;
  if (::fsync(fd.get()) != 0 && errno != EINVAL && errno != ENOTSUP && errno != EROFS) {
    return errno;
  }
  return 0;
}

}  // namespace

std::string CauseOf(ErrorNumber error) { return ErrnoCause(static_cast<int>(error)); }

bool IsAlreadyExists(ErrorNumber error) { return error == EEXIST; }

ErrorNumber Inspect(const std::string& path, NodeInfo* info) {
  *info = NodeInfo{};
  struct stat st;
  if (::stat(path.c_str(), &st) == 0) {
    Fill(st, info);
    return 0;
  }
  const int error = errno;
  if (error == ENOENT || error == ENOTDIR) {
    info->kind = ::lstat(path.c_str(), &st) == 0 ? NodeKind::kBrokenLink : NodeKind::kMissing;
    return 0;
  }
  return static_cast<ErrorNumber>(error);
}

bool ReadRegularFile(const std::string& path, uint64_t max_bytes, std::string* bytes,
                     NodeInfo* info, Failure* failure, uint64_t head) {
  // stat first: opening a FIFO or a terminal for reading can block or take it over.
  if (const ErrorNumber error = Inspect(path, info); error != 0) {
    return Fail(failure, Step::kOpen, static_cast<int>(error));
  }
  if (info->kind != NodeKind::kFile) return Fail(failure, Step::kKind, 0);
  // O_NONBLOCK so that a FIFO swapped in after the stat cannot block the open; fstat then
  // checks what was really opened.
  Descriptor fd(::open(path.c_str(), O_RDONLY | O_NONBLOCK | O_NOCTTY | O_CLOEXEC));
  if (!fd.ok()) return Fail(failure, Step::kOpen, errno);
  struct stat st;
  if (::fstat(fd.get(), &st) != 0) return Fail(failure, Step::kRead, errno);
  Fill(st, info);
  if (info->kind != NodeKind::kFile) return Fail(failure, Step::kKind, 0);
  if (info->size > max_bytes) return Fail(failure, Step::kSize, 0);
  bytes->clear();
  bytes->reserve(static_cast<size_t>(std::min(info->size, head)));
  char buffer[65536];
  for (;;) {
    const ssize_t n = ::read(fd.get(), buffer, sizeof buffer);
    if (n < 0) {
      if (errno == EINTR) continue;
      return Fail(failure, Step::kRead, errno);
    }
    if (n == 0) break;
    bytes->append(buffer, static_cast<size_t>(n));
    if (bytes->size() >= head) {
      bytes->resize(static_cast<size_t>(head));
      return true;
    }
    // A file that grows while it is read is held to the same limit.
    if (bytes->size() > max_bytes) {
      info->size = bytes->size();
      return Fail(failure, Step::kSize, 0);
    }
  }
  return true;
}

bool WriteNewFile(const std::string& path, std::string_view bytes, Failure* failure) {
  Descriptor fd(::open(path.c_str(), O_WRONLY | O_CREAT | O_EXCL | O_CLOEXEC, 0666));
  if (!fd.ok()) return Fail(failure, Step::kCreate, errno);
  size_t done = 0;
  while (done < bytes.size()) {
    const size_t chunk = std::min<size_t>(bytes.size() - done, size_t{1} << 30);
    const ssize_t n = ::write(fd.get(), bytes.data() + done, chunk);
    if (n < 0) {
      if (errno == EINTR) continue;
      return Fail(failure, Step::kWrite, errno);
    }
    done += static_cast<size_t>(n);
  }
  if (::fsync(fd.get()) != 0) return Fail(failure, Step::kFlush, errno);
  if (fd.Close() != 0) return Fail(failure, Step::kFlush, errno);
  return true;
}

ErrorNumber FlushFile(const std::string& path) {
  Descriptor fd(::open(path.c_str(), O_RDONLY | O_NONBLOCK | O_CLOEXEC));
  if (!fd.ok()) return static_cast<ErrorNumber>(errno);
  if (::fsync(fd.get()) != 0 && errno != EINVAL) return static_cast<ErrorNumber>(errno);
  return 0;
}

bool RenameDurably(const std::string& from, const std::string& to, Failure* failure) {
  if (::rename(from.c_str(), to.c_str()) != 0) return Fail(failure, Step::kRename, errno);
  if (const int error = SyncFolder(FolderOf(to)); error != 0) {
    return Fail(failure, Step::kSyncFolder, error);
  }
  return true;
}

ErrorNumber HardLink(const std::string& existing, const std::string& link) {
  return ::link(existing.c_str(), link.c_str()) == 0 ? 0 : static_cast<ErrorNumber>(errno);
}

ErrorNumber RemovePath(const std::string& path) {
  return ::unlink(path.c_str()) == 0 ? 0 : static_cast<ErrorNumber>(errno);
}

ErrorNumber MakeFolder(const std::string& path) {
  return ::mkdir(path.c_str(), 0777) == 0 ? 0 : static_cast<ErrorNumber>(errno);
}

ErrorNumber ReadFolder(const std::string& path, std::vector<FolderEntry>* entries) {
  DIR* dir = ::opendir(path.c_str());
  if (dir == nullptr) return static_cast<ErrorNumber>(errno);
  const int dir_fd = ::dirfd(dir);
  int error = 0;
  for (;;) {
    errno = 0;
    const dirent* entry = ::readdir(dir);
    if (entry == nullptr) {
      error = errno;
      break;
    }
    const std::string name = entry->d_name;
    if (name == "." || name == "..") continue;
    struct stat st;
    PathKind kind = PathKind::kOther;
    if (::fstatat(dir_fd, entry->d_name, &st, 0) == 0) {
      kind = S_ISREG(st.st_mode) ? PathKind::kFile
                                 : (S_ISDIR(st.st_mode) ? PathKind::kFolder : PathKind::kOther);
    }
    entries->push_back({name, kind});
  }
  ::closedir(dir);
  return static_cast<ErrorNumber>(error);
}

std::string Absolute(const std::string& path) {
  std::string full;
  if (path.empty() || path[0] != '/') {
    char cwd[PATH_MAX];
    if (::getcwd(cwd, sizeof cwd) != nullptr) full = cwd;
    full += '/';
  }
  full += path;
  // Resolve "." and ".." by text; ".." at the root stays at the root.
  std::vector<std::string> parts;
  size_t start = 0;
  while (start <= full.size()) {
    size_t end = full.find('/', start);
    if (end == std::string::npos) end = full.size();
    const std::string part = full.substr(start, end - start);
    if (part == "..") {
      if (!parts.empty()) parts.pop_back();
    } else if (!part.empty() && part != ".") {
      parts.push_back(part);
    }
    start = end + 1;
  }
  std::string out;
  for (const std::string& part : parts) out += "/" + part;
  return out.empty() ? "/" : out;
}

bool SamePathText(const std::string& a, const std::string& b) { return a == b; }

std::string ProgramFolder() {
  char buf[PATH_MAX];
  const ssize_t n = readlink("/proc/self/exe", buf, sizeof(buf) - 1);
  if (n <= 0) return ".";
  const std::string path(buf, static_cast<size_t>(n));
  const std::string folder = ParentFolder(path);
  return folder.empty() ? "." : folder;
}

unsigned long ProcessId() { return static_cast<unsigned long>(getpid()); }

ErrorNumber CreateRecord(const std::string& path, RecordHandle* handle) {
  const int fd = ::open(path.c_str(), O_RDWR | O_CREAT | O_EXCL | O_CLOEXEC, 0666);
  if (fd < 0) return static_cast<ErrorNumber>(errno);
  // Between the open and the lock another run may take the new, empty record for one left by
  // a killed run and remove it: the lock then holds a file that is no longer there under its
  // name. Checked after locking; the caller tries another name.
  struct stat opened, named;
  if (::flock(fd, LOCK_EX | LOCK_NB) != 0 || ::fstat(fd, &opened) != 0 ||
      ::stat(path.c_str(), &named) != 0 || opened.st_ino != named.st_ino ||
      opened.st_dev != named.st_dev) {
    ::close(fd);
    return static_cast<ErrorNumber>(EEXIST);
  }
  if (const int error = SyncFolder(FolderOf(path)); error != 0) {
    (void)::unlink(path.c_str());
    ::close(fd);
    return static_cast<ErrorNumber>(error);
  }
  *handle = fd;
  return 0;
}

ErrorNumber AppendRecord(RecordHandle handle, std::string_view bytes) {
  const int fd = static_cast<int>(handle);
  size_t done = 0;
  while (done < bytes.size()) {
    const ssize_t n = ::write(fd, bytes.data() + done, bytes.size() - done);
    if (n < 0) {
      if (errno == EINTR) continue;
      return static_cast<ErrorNumber>(errno);
    }
    done += static_cast<size_t>(n);
  }
  return ::fsync(fd) == 0 ? 0 : static_cast<ErrorNumber>(errno);
}

ErrorNumber LockRecord(const std::string& path, RecordHandle* handle, bool* busy) {
  *busy = false;
  const int fd = ::open(path.c_str(), O_RDWR | O_NONBLOCK | O_NOCTTY | O_CLOEXEC);
  if (fd < 0) return static_cast<ErrorNumber>(errno);
  if (::flock(fd, LOCK_EX | LOCK_NB) != 0) {
    const int error = errno;
    ::close(fd);
    *busy = error == EWOULDBLOCK;
    return static_cast<ErrorNumber>(error);
  }
  *handle = fd;
  return 0;
}

ErrorNumber ReadRecord(RecordHandle handle, std::string* bytes) {
  const int fd = static_cast<int>(handle);
  bytes->clear();
  char buffer[4096];
  off_t offset = 0;
  for (;;) {
    const ssize_t n = ::pread(fd, buffer, sizeof buffer, offset);
    if (n < 0) {
      if (errno == EINTR) continue;
      return static_cast<ErrorNumber>(errno);
    }
    if (n == 0) return 0;
    bytes->append(buffer, static_cast<size_t>(n));
    offset += n;
  }
}

ErrorNumber RemoveRecord(const std::string& path, RecordHandle handle) {
  // Removed while still locked: no other run can take it up in between.
  const int error = ::unlink(path.c_str()) == 0 ? 0 : errno;
  if (error == 0) (void)SyncFolder(FolderOf(path));
  CloseRecord(handle);
  return static_cast<ErrorNumber>(error);
}

void CloseRecord(RecordHandle handle) {
  if (handle != kNoRecord) ::close(static_cast<int>(handle));
}

}  // namespace mirune::platform
