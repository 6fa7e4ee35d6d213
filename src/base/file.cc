#include "base/file.h"

#include <atomic>
#include <chrono>
#include <filesystem>
#include <fstream>
#include <system_error>

#include "base/file_platform.h"

namespace mirune {
namespace fs = std::filesystem;

namespace {

std::string ErrorText(const std::error_code& ec) { return ec.message(); }

std::string UniqueSuffix() {
  static std::atomic<unsigned> counter{0};
  const auto now = std::chrono::steady_clock::now().time_since_epoch().count();
  return "." + std::to_string(platform::ProcessId()) + "." + std::to_string(now % 1000000) + "." +
         std::to_string(counter++) + ".tmp";
}

}  // namespace

Result<std::string> ReadFileBytes(const std::string& path) {
  std::error_code ec;
  const fs::path p = platform::ToPath(path);
  if (fs::is_directory(p, ec)) return Error{ErrorCode::kInvalidArgument, path + ": is a folder"};
  std::ifstream in(p, std::ios::binary);
  if (!in) {
    if (!fs::exists(p, ec)) return Error{ErrorCode::kNotFound, path + ": no such file"};
    return Error{ErrorCode::kIoError, path + ": cannot be opened for reading"};
  }
  std::string bytes;
  in.seekg(0, std::ios::end);
  const std::streamoff size = in.tellg();
  if (size > 0) {
    bytes.resize(static_cast<size_t>(size));
    in.seekg(0, std::ios::beg);
    in.read(bytes.data(), size);
  }
  if (!in && !in.eof()) return Error{ErrorCode::kIoError, path + ": read failed"};
  return bytes;
}

Status WriteFileAtomic(const std::string& path, std::string_view bytes) {
  const std::string temp = path + UniqueSuffix();
  {
    std::ofstream out(platform::ToPath(temp), std::ios::binary | std::ios::trunc);
    if (!out) {
      return Status(ErrorCode::kIoError,
                    path + ": cannot be written (the folder is read-only or missing)");
    }
    out.write(bytes.data(), static_cast<std::streamsize>(bytes.size()));
    out.flush();
    if (!out) {
      out.close();
      std::error_code ec;
      fs::remove(platform::ToPath(temp), ec);
      return Status(ErrorCode::kIoError, path + ": write failed (disk full?)");
    }
  }
  Status st = RenameOver(temp, path);
  if (!st.ok()) {
    std::error_code ec;
    fs::remove(platform::ToPath(temp), ec);
  }
  return st;
}

Status RenameOver(const std::string& from, const std::string& to) {
  return platform::RenameOver(from, to);
}

bool FileExists(const std::string& path) {
  std::error_code ec;
  return fs::is_regular_file(platform::ToPath(path), ec);
}

bool FolderExists(const std::string& path) {
  std::error_code ec;
  return fs::is_directory(platform::ToPath(path), ec);
}

Status CreateFolder(const std::string& path) {
  std::error_code ec;
  if (FolderExists(path)) return Status::Ok();
  if (!fs::create_directory(platform::ToPath(path), ec) && !FolderExists(path)) {
    return Status(ErrorCode::kIoError, path + ": folder cannot be created: " + ErrorText(ec));
  }
  return Status::Ok();
}

Status RemoveFile(const std::string& path) {
  std::error_code ec;
  fs::remove(platform::ToPath(path), ec);
  if (ec && FileExists(path)) {
    return Status(ErrorCode::kIoError, path + ": cannot be deleted: " + ErrorText(ec));
  }
  return Status::Ok();
}

std::string ProgramFolder() { return platform::ProgramFolder(); }

std::string JoinPath(std::string_view folder, std::string_view name) {
  std::string out(folder);
  if (!out.empty() && out.back() != '/' && out.back() != platform::kSeparator) {
    out.push_back(platform::kSeparator);
  }
  out.append(name);
  return out;
}

bool IsFolderWritable(const std::string& folder) {
  const std::string probe = JoinPath(folder, ".write-probe" + UniqueSuffix());
  {
    std::ofstream out(platform::ToPath(probe), std::ios::binary);
    if (!out) return false;
  }
  std::error_code ec;
  fs::remove(platform::ToPath(probe), ec);
  return true;
}

}  // namespace mirune

namespace mirune {

Status CheckInputPath(const std::string& path) {
  std::error_code ec;
  const fs::file_status st = fs::status(platform::ToPath(path), ec);
  if (ec || !fs::exists(st)) {
    return Status(ErrorCode::kNotFound, path + " がありません");
  }
  if (fs::is_regular_file(st) || fs::is_directory(st)) return Status::Ok();
  return Status(ErrorCode::kInvalidArgument,
                path + " は通常のファイルでもフォルダーでもありません");
}

bool SameFile(const std::string& a, const std::string& b) {
  std::error_code ec;
  const fs::path pa = platform::ToPath(a), pb = platform::ToPath(b);
  if (!fs::exists(pa, ec) || !fs::exists(pb, ec)) return false;
  const bool same = fs::equivalent(pa, pb, ec);
  return !ec && same;
}

std::string ParentFolder(std::string_view path) {
  const size_t slash = path.find_last_of("/\\");
  if (slash == std::string_view::npos) return {};
  if (slash == 0) return std::string(path.substr(0, 1));
  return std::string(path.substr(0, slash));
}

}  // namespace mirune

namespace mirune {
Result<std::string> ReadFileBytes(const std::string& path, uint64_t max_bytes) {
  std::error_code ec;
  const auto size = fs::file_size(platform::ToPath(path), ec);
  if (!ec && size > max_bytes) {
    return Error{ErrorCode::kOverflow,
                 path + " は大きすぎます（" + std::to_string(max_bytes >> 20) + " MiB まで）"};
  }
  return ReadFileBytes(path);
}
}  // namespace mirune
