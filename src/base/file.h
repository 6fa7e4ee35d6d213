#pragma once

// File-system helpers. Paths are UTF-8 on every platform; the Windows implementation
// converts them to wide paths (long ones with the "\\?\" prefix). Every failure carries a
// Japanese message that names the path and says what failed, cause last
// ("…を書き込めません: ディスクの空きがありません"); system error codes are translated in
// base/os_error_text.h.

#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

#include "base/path.h"
#include "base/result.h"

namespace mirune {

// What an input path names.
enum class PathKind { kFile, kFolder, kOther };

// Reads a whole regular file. Folders, named pipes and devices are refused without being
// opened in a way that can block. kNotFound for a missing file.
Result<std::string> ReadFileBytes(const std::string& path);
// The same, refusing a file larger than `max_bytes` before reading it (kOverflow, the limit
// named in MiB).
Result<std::string> ReadFileBytes(const std::string& path, uint64_t max_bytes);
// The first `count` bytes of a regular file (all of a shorter one), checked as ReadFileBytes
// checks: enough to tell what a file is before reading it whole.
Result<std::string> ReadFileHead(const std::string& path, uint64_t count);

// kFile or kFolder for an existing regular file or folder (links followed); otherwise an
// error saying what the path is instead ("…は通常のファイルではありません（名前付きパイプ）")
// or that it is missing (kNotFound). Never blocks on a pipe or a device.
Result<PathKind> CheckInputPath(const std::string& path);

// True when both paths name the same existing file or folder in any spelling (relative or
// absolute, "." and "..", letter case on Windows, symbolic or hard links). An existing path
// and a missing one are never the same: an output not yet written is not one of the inputs.
// Two missing paths are the same when their absolute forms are spelled the same.
bool SameFile(const std::string& a, const std::string& b);

// Writes `bytes` under a short temporary name in the target's folder, flushes it to the
// disk, then renames it over `path` and flushes the folder, so that neither a failure nor a
// power cut leaves a half-written file: `path` holds either the previous or the new bytes.
Status WriteFileAtomic(const std::string& path, std::string_view bytes);

// Flushes `from` to the disk, then renames it over `to` in one step and makes the rename
// durable.
Status RenameOver(const std::string& from, const std::string& to);

bool FileExists(const std::string& path);
bool FolderExists(const std::string& path);
// True for an existing regular file marked read-only: no write permission for its owner
// (POSIX), the read-only attribute (Windows).
bool IsReadOnlyFile(const std::string& path);
// Creates one folder (its parent must exist). An existing folder is success.
Status CreateFolder(const std::string& path);
// Deletes a file. A missing file is success.
Status RemoveFile(const std::string& path);

struct FolderEntry {
  std::string name;                  // file name only
  PathKind kind = PathKind::kOther;  // of what the entry names (links followed)
};
// The entries of a folder without "." and "..", sorted by name (byte order of UTF-8).
Result<std::vector<FolderEntry>> ListFolder(const std::string& path);

// The absolute form of `path` with "." and ".." resolved by text (links are not followed)
// and no trailing separator except at a root. Relative paths are taken from the current
// folder.
std::string AbsolutePath(const std::string& path);

// Removes the temporary files this program leaves in `folder` when a run is interrupted
// (names for which IsTemporaryFileName holds). Call it only while no other run can be
// writing into the folder (under the data folder's lock). Returns how many were removed.
Result<int> RemoveLeftoverTemporaries(const std::string& folder);
// The same, leaving the names in `keep` (temporaries of a set being written: file_set.h).
Result<int> RemoveLeftoverTemporaries(const std::string& folder,
                                      const std::vector<std::string>& keep);

// Folder of the running program's executable, without a trailing separator.
std::string ProgramFolder();

// True when a file can be created in `folder` (probes by creating and removing one).
bool IsFolderWritable(const std::string& folder);

}  // namespace mirune
