#include <unistd.h>

#include <cerrno>
#include <cstdio>
#include <cstring>

#include "base/file_platform.h"

namespace mirune::platform {

std::filesystem::path ToPath(const std::string& utf8) { return std::filesystem::path(utf8); }

Status RenameOver(const std::string& from, const std::string& to) {
  if (std::rename(from.c_str(), to.c_str()) != 0) {
    return Status(ErrorCode::kIoError, to + ": cannot be replaced: " + std::strerror(errno));
  }
  return Status::Ok();
}

std::string ProgramFolder() {
  char buf[4096];
  const ssize_t n = readlink("/proc/self/exe", buf, sizeof(buf) - 1);
  if (n <= 0) return ".";
  std::string path(buf, static_cast<size_t>(n));
  const size_t slash = path.rfind('/');
  return slash == std::string::npos ? "." : (slash == 0 ? "/" : path.substr(0, slash));
}

unsigned long ProcessId() { return static_cast<unsigned long>(getpid()); }

}  // namespace mirune::platform
