#pragma once

// File-system helpers. Paths are UTF-8 on every platform; the Windows implementation
// converts them to wide paths. Every failure carries a message naming the path.

#include <cstdint>
#include <string>
#include <string_view>

#include "base/result.h"

namespace mirune {

// Reads a whole file.
Result<std::string> ReadFileBytes(const std::string& path);

// Writes `bytes` to a temporary file in the target's folder, then renames it over `path`,
// so a failure never leaves a half-written file and the previous file stays intact.
Status WriteFileAtomic(const std::string& path, std::string_view bytes);

// Renames `from` over `to`, replacing an existing `to` in one step where the platform can.
Status RenameOver(const std::string& from, const std::string& to);

bool FileExists(const std::string& path);
bool FolderExists(const std::string& path);
// Creates one folder (its parent must exist). An existing folder is success.
Status CreateFolder(const std::string& path);
// Deletes a file. A missing file is success.
Status RemoveFile(const std::string& path);

// Folder of the running program's executable, without a trailing separator.
std::string ProgramFolder();

// `folder` + the platform's separator + `name`; `folder` may end in a separator.
std::string JoinPath(std::string_view folder, std::string_view name);

// True when a file can be created in `folder` (probes by creating and removing one).
bool IsFolderWritable(const std::string& folder);

}  // namespace mirune

namespace mirune {

// Refuses anything but an existing regular file or folder (a pipe or a device would block a
// read), with a message naming the path and what it is.
Status CheckInputPath(const std::string& path);

// True when both paths name the same existing file or folder, in any spelling (relative or
// absolute, "..", links). A path that does not exist names no existing input.
bool SameFile(const std::string& a, const std::string& b);

// The folder part of `path` (without the separator); empty when `path` has none.
std::string ParentFolder(std::string_view path);

}  // namespace mirune

namespace mirune {
// Reads a whole file of at most `max_bytes`; a larger one is refused before it is read.
Result<std::string> ReadFileBytes(const std::string& path, uint64_t max_bytes);
}  // namespace mirune
