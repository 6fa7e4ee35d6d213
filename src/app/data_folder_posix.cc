#include <fcntl.h>
#include <sys/file.h>
#include <unistd.h>

#include <cerrno>
#include <cstdlib>

#include "app/data_folder.h"
#include "base/file.h"
#include "base/os_error_text.h"

namespace mirune {
namespace {

class PosixDataFolderLock : public DataFolderLock {
 public:
  explicit PosixDataFolderLock(int fd) : fd_(fd) {}
  ~PosixDataFolderLock() override { close(fd_); }  // releases the lock

 private:
  int fd_;
};

std::string Env(const char* name) {
  const char* value = std::getenv(name);
  return value == nullptr ? std::string() : std::string(value);
}

}  // namespace

DataFolderEnvironment ReadDataFolderEnvironment() {
  DataFolderEnvironment env;
  env.program_folder = ProgramFolder();
  env.xdg_data_home = Env("XDG_DATA_HOME");
  env.home = Env("HOME");
  return env;
}

Result<std::unique_ptr<DataFolderLock>> DataFolderLock::Acquire(const std::string& data_folder,
                                                                std::string_view job) {
  const std::string path = JoinPath(data_folder, "mirune.lock");
  const int fd = open(path.c_str(), O_RDWR | O_CREAT | O_CLOEXEC, 0644);
  if (fd < 0) {
    return Result<std::unique_ptr<DataFolderLock>>(
        ErrorCode::kIoError, "ロックファイル " + path + " を作成できません: " + ErrnoCause(errno));
  }
  // flock belongs to the open file description: a second open, even in this process, is
  // refused too.
  if (flock(fd, LOCK_EX | LOCK_NB) != 0) {
    // The holder wrote what it is into the file.
    std::string bytes(256, '\0');
    const ssize_t n = pread(fd, bytes.data(), bytes.size(), 0);
    bytes.resize(n > 0 ? static_cast<size_t>(n) : 0);
    close(fd);
    return Result<std::unique_ptr<DataFolderLock>>(
        ErrorCode::kCancelled, DataFolderBusyMessage(data_folder, LockHolderOf(bytes)));
  }
  // Which job holds the folder, for the message of a second one. Not being able to say so
  // does not stop the job.
  const std::string holder = LockHolderText(job, static_cast<unsigned long>(getpid())) + "\n";
  if (ftruncate(fd, 0) == 0) (void)!pwrite(fd, holder.data(), holder.size(), 0);
  return std::unique_ptr<DataFolderLock>(new PosixDataFolderLock(fd));
}

}  // namespace mirune
