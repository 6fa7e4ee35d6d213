#include "base/file.h"

#include <algorithm>
#include <chrono>
#include <cstdio>
#include <random>

#include "base/file_internal.h"
#include "base/file_platform.h"

namespace mirune {
namespace {

using platform::Failure;
using platform::NodeInfo;
using platform::NodeKind;
using platform::Step;

constexpr uint64_t kMiB = 1024 * 1024;
// Exclusive creation retries with fresh names; a clash more than a few times in a row means
// the folder is refusing names, not that they are taken.
constexpr int kNameAttempts = 16;

// Mixes process, time, a random device and the call's own stack address, so that two
// processes or two calls at the same moment draw different names without shared state.
uint64_t Entropy(int attempt) {
  uint64_t x =
      static_cast<uint64_t>(std::chrono::high_resolution_clock::now().time_since_epoch().count());
  x ^= static_cast<uint64_t>(platform::ProcessId()) << 32;
  x ^= reinterpret_cast<uintptr_t>(&x);
  x += static_cast<uint64_t>(attempt) * 0x9E3779B97F4A7C15ull;
  try {
    std::random_device device;
    x ^= (static_cast<uint64_t>(device()) << 32) ^ device();
  } catch (...) {  // a machine without a random device still has the rest
  }
  // splitmix64 finaliser: spreads every input bit over the name.
  x = (x ^ (x >> 30)) * 0xBF58476D1CE4E5B9ull;
  x = (x ^ (x >> 27)) * 0x94D049BB133111EBull;
  return x ^ (x >> 31);
}

// "3" or "2.5": whole MiB without decimals. A size is rounded up and a limit down, so that
// a file over the limit never reads as equal to it.
std::string Mib(uint64_t bytes, bool round_up) {
  char text[32];
  if (bytes % kMiB == 0) {
    std::snprintf(text, sizeof text, "%llu", static_cast<unsigned long long>(bytes / kMiB));
  } else {
    const uint64_t tenths = (bytes * 10 + (round_up ? kMiB - 1 : 0)) / kMiB;
    std::snprintf(text, sizeof text, "%llu.%llu", static_cast<unsigned long long>(tenths / 10),
                  static_cast<unsigned long long>(tenths % 10));
  }
  return text;
}

std::string KindText(NodeKind kind) {
  switch (kind) {
    case NodeKind::kFifo:
      return "名前付きパイプ";
    case NodeKind::kDevice:
      return "デバイス";
    case NodeKind::kSocket:
      return "ソケット";
    default:
      return "特殊なファイル";
  }
}

// The error for a path that is not a regular file (or folder, where `folder_ok`).
Error NotRegular(const std::string& path, NodeKind kind) {
  switch (kind) {
    case NodeKind::kMissing:
      return Error{ErrorCode::kNotFound, path + " が見つかりません"};
    case NodeKind::kBrokenLink:
      return Error{ErrorCode::kNotFound,
                   path + " が見つかりません: シンボリックリンクのリンク先がありません"};
    case NodeKind::kFolder:
      return Error{ErrorCode::kInvalidArgument,
                   path + " はフォルダーです（ファイルを指定してください）"};
    default:
      return Error{ErrorCode::kInvalidArgument,
                   path + " は通常のファイルではありません（" + KindText(kind) + "）"};
  }
}

Error InspectError(const std::string& path, platform::ErrorNumber error) {
  return Error{ErrorCode::kIoError, path + " を調べられません: " + platform::CauseOf(error)};
}

}  // namespace

namespace internal {

std::string NewTemporaryPath(const std::string& target, int attempt) {
  const std::string folder = ParentFolder(target);
  const std::string name = TemporaryFileName(Entropy(attempt));
  return folder.empty() ? name : JoinPath(folder, name);
}

Result<std::string> WriteTemporary(const std::string& target, std::string_view bytes) {
  return WriteTemporary(target, bytes, {});
}

Result<std::string> WriteTemporary(const std::string& target, std::string_view bytes,
                                   const AnnounceTemporary& announce) {
  const std::string folder = ParentFolder(target);
  for (int attempt = 0; attempt < kNameAttempts; ++attempt) {
    const std::string temp = NewTemporaryPath(target, attempt);
    const std::string name = temp.substr(temp.size() - TemporaryFileName(0).size());
    if (announce) MIRUNE_RETURN_IF_ERROR(announce(temp, false));
    Failure failure;
    if (platform::WriteNewFile(temp, bytes, &failure)) return temp;
    if (failure.step == Step::kCreate && platform::IsAlreadyExists(failure.error)) {
      if (announce) MIRUNE_RETURN_IF_ERROR(announce(temp, true));
      continue;
    }
    if (failure.step != Step::kCreate) (void)platform::RemovePath(temp);
    const std::string cause = platform::CauseOf(failure.error);
    const std::string head = target + " を書き込めません: 一時ファイル " + name;
    switch (failure.step) {
      case Step::kCreate:
        return Error{ErrorCode::kIoError, head + " を" +
                                              (folder.empty() ? std::string("現在のフォルダー")
                                                              : "フォルダー " + folder) +
                                              " に作成できません: " + cause};
      case Step::kFlush:
        return Error{ErrorCode::kIoError, head + " をディスクに書き出せません: " + cause};
      default:
        return Error{ErrorCode::kIoError, head + " への書き込みに失敗しました: " + cause};
    }
  }
  return Error{ErrorCode::kIoError, target + " を書き込めません: 一時ファイルの名前を " +
                                        std::to_string(kNameAttempts) +
                                        " 回選び直しても、すべて既にありました"};
}

Status MoveIntoPlace(const std::string& from, const std::string& to) {
  Failure failure;
  if (platform::RenameDurably(from, to, &failure)) return Status::Ok();
  const std::string cause = platform::CauseOf(failure.error);
  if (failure.step == Step::kSyncFolder) {
    return Status(ErrorCode::kIoError,
                  to + " を置き換えましたが、フォルダーの変更をディスクに書き出せません: " + cause);
  }
  return Status(ErrorCode::kIoError, to + " を置き換えられません: " + cause);
}

Result<std::string> LinkUnderTemporaryName(const std::string& path,
                                           const AnnounceTemporary& announce) {
  for (int attempt = 0; attempt < kNameAttempts; ++attempt) {
    const std::string link = NewTemporaryPath(path, attempt);
    if (announce) MIRUNE_RETURN_IF_ERROR(announce(link, false));
    const auto error = platform::HardLink(path, link);
    if (error == 0) return link;
    if (announce) MIRUNE_RETURN_IF_ERROR(announce(link, true));
    if (!platform::IsAlreadyExists(error)) {
      return Error{ErrorCode::kIoError, path + " の控えを作れません: " + platform::CauseOf(error)};
    }
  }
  return Error{ErrorCode::kIoError,
               path + " の控えを作れません: 一時ファイルの名前がすべて既にありました"};
}

Status Flush(const std::string& path) {
  if (const auto error = platform::FlushFile(path); error != 0) {
    return Status(ErrorCode::kIoError,
                  path + " をディスクに書き出せません: " + platform::CauseOf(error));
  }
  return Status::Ok();
}

}  // namespace internal

using internal::MoveIntoPlace;
using internal::WriteTemporary;

namespace {
Result<std::string> ReadFileBytes(const std::string& path, uint64_t max_bytes, uint64_t head);
}  // namespace

Result<std::string> ReadFileBytes(const std::string& path) {
  return ReadFileBytes(path, UINT64_MAX);
}

Result<std::string> ReadFileHead(const std::string& path, uint64_t count) {
  return ReadFileBytes(path, UINT64_MAX, count);
}

Result<std::string> ReadFileBytes(const std::string& path, uint64_t max_bytes) {
  return ReadFileBytes(path, max_bytes, UINT64_MAX);
}

namespace {
Result<std::string> ReadFileBytes(const std::string& path, uint64_t max_bytes, uint64_t head) {
  std::string bytes;
  NodeInfo info;
  Failure failure;
  if (platform::ReadRegularFile(path, max_bytes, &bytes, &info, &failure, head)) return bytes;
  switch (failure.step) {
    case Step::kKind:
      return NotRegular(path, info.kind);
    case Step::kSize:
      return Error{ErrorCode::kOverflow, path + " は大きすぎるため読み込みません（" +
                                             Mib(info.size, true) + " MiB。上限は " +
                                             Mib(max_bytes, false) + " MiB です）"};
    case Step::kOpen:
      return Error{ErrorCode::kIoError,
                   path + " を開けません: " + platform::CauseOf(failure.error)};
    default:
      return Error{ErrorCode::kIoError,
                   path + " を読み込めません: " + platform::CauseOf(failure.error)};
  }
}
}  // namespace

Result<PathKind> CheckInputPath(const std::string& path) {
  NodeInfo info;
  if (const auto error = platform::Inspect(path, &info); error != 0) {
    return InspectError(path, error);
  }
  if (info.kind == NodeKind::kFile) return PathKind::kFile;
  if (info.kind == NodeKind::kFolder) return PathKind::kFolder;
  return NotRegular(path, info.kind);
}

bool SameFile(const std::string& a, const std::string& b) {
  NodeInfo ia, ib;
  if (platform::Inspect(a, &ia) != 0 || platform::Inspect(b, &ib) != 0) return false;
  const auto exists = [](const NodeInfo& i) {
    return i.kind != NodeKind::kMissing && i.kind != NodeKind::kBrokenLink;
  };
  if (exists(ia) && exists(ib)) {
    if (ia.identified && ib.identified) return ia.volume == ib.volume && ia.index == ib.index;
    // A file whose identity could not be read (held by another program): its spelling is
    // all there is to compare.
    return platform::SamePathText(AbsolutePath(a), AbsolutePath(b));
  }
  // A path that is there and one that is not are never the same file. Two that are not there
  // can only be told apart by their text.
  if (exists(ia) || exists(ib)) return false;
  return platform::SamePathText(AbsolutePath(a), AbsolutePath(b));
}

Status WriteFileAtomic(const std::string& path, std::string_view bytes) {
  MIRUNE_ASSIGN_OR_RETURN(const std::string temp, WriteTemporary(path, bytes));
  Status moved = MoveIntoPlace(temp, path);
  if (!moved.ok()) (void)platform::RemovePath(temp);
  return moved;
}

Status RenameOver(const std::string& from, const std::string& to) {
  if (const auto error = platform::FlushFile(from); error != 0) {
    return Status(ErrorCode::kIoError,
                  to + " を置き換えられません: " + from +
                      " をディスクに書き出せません: " + platform::CauseOf(error));
  }
  return MoveIntoPlace(from, to);
}

bool FileExists(const std::string& path) {
  NodeInfo info;
  return platform::Inspect(path, &info) == 0 && info.kind == NodeKind::kFile;
}

bool IsReadOnlyFile(const std::string& path) {
  NodeInfo info;
  return platform::Inspect(path, &info) == 0 && info.kind == NodeKind::kFile && info.read_only;
}

bool FolderExists(const std::string& path) {
  NodeInfo info;
  return platform::Inspect(path, &info) == 0 && info.kind == NodeKind::kFolder;
}

Status CreateFolder(const std::string& path) {
  if (FolderExists(path)) return Status::Ok();
  const auto error = platform::MakeFolder(path);
  if (error != 0 && !FolderExists(path)) {
    return Status(ErrorCode::kIoError,
                  "フォルダー " + path + " を作成できません: " + platform::CauseOf(error));
  }
  return Status::Ok();
}

Status RemoveFile(const std::string& path) {
  const auto error = platform::RemovePath(path);
  if (error != 0) {
    NodeInfo info;
    if (platform::Inspect(path, &info) == 0 && info.kind == NodeKind::kMissing) {
      return Status::Ok();
    }
    return Status(ErrorCode::kIoError, path + " を削除できません: " + platform::CauseOf(error));
  }
  return Status::Ok();
}

Result<std::vector<FolderEntry>> ListFolder(const std::string& path) {
  std::vector<FolderEntry> entries;
  if (const auto error = platform::ReadFolder(path, &entries); error != 0) {
    NodeInfo info;
    if (platform::Inspect(path, &info) == 0 && info.kind == NodeKind::kMissing) {
      return Error{ErrorCode::kNotFound, "フォルダー " + path + " が見つかりません"};
    }
    if (info.kind != NodeKind::kFolder && info.kind != NodeKind::kMissing) {
      return Error{ErrorCode::kInvalidArgument, path + " はフォルダーではありません"};
    }
    return Error{ErrorCode::kIoError,
                 "フォルダー " + path + " の中身を読めません: " + platform::CauseOf(error)};
  }
  std::sort(entries.begin(), entries.end(),
            [](const FolderEntry& a, const FolderEntry& b) { return a.name < b.name; });
  return entries;
}

std::string AbsolutePath(const std::string& path) { return platform::Absolute(path); }

Result<int> RemoveLeftoverTemporaries(const std::string& folder) {
  return RemoveLeftoverTemporaries(folder, {});
}

Result<int> RemoveLeftoverTemporaries(const std::string& folder,
                                      const std::vector<std::string>& keep) {
  MIRUNE_ASSIGN_OR_RETURN(const std::vector<FolderEntry> entries, ListFolder(folder));
  int removed = 0;
  for (const FolderEntry& entry : entries) {
    if (entry.kind != PathKind::kFile || !IsTemporaryFileName(entry.name)) continue;
    if (std::find(keep.begin(), keep.end(), entry.name) != keep.end()) continue;
    const std::string path = JoinPath(folder, entry.name);
    if (const auto error = platform::RemovePath(path); error != 0) {
      return Error{ErrorCode::kIoError, "前回中断した処理の一時ファイル " + path +
                                            " を削除できません: " + platform::CauseOf(error)};
    }
    ++removed;
  }
  return removed;
}

std::string ProgramFolder() { return platform::ProgramFolder(); }

bool IsFolderWritable(const std::string& folder) {
  auto probe = WriteTemporary(JoinPath(folder, "probe"), {});
  if (!probe.ok()) return false;
  (void)platform::RemovePath(*probe);
  return true;
}

}  // namespace mirune
