#pragma once

// Steps of an atomic write shared by base/file.cc and base/file_set.cc. Internal to
// src/base.

#include <functional>
#include <string>
#include <string_view>

#include "base/result.h"

namespace mirune::internal {

// Writes `bytes` to a new temporary file in the folder of `target` and flushes it to the
// disk. Returns the temporary's path; messages name the target and the failed step.
Result<std::string> WriteTemporary(const std::string& target, std::string_view bytes);

// Told of each temporary name before anything is made under it (`taken` false), and of a name
// found already taken (`taken` true: the file under it is not ours). A failure stops the write.
using AnnounceTemporary = std::function<Status(const std::string& temporary, bool taken)>;
// WriteTemporary telling `announce` of the names it chooses.
Result<std::string> WriteTemporary(const std::string& target, std::string_view bytes,
                                   const AnnounceTemporary& announce);
// A new temporary name in the folder of `target` (not created).
std::string NewTemporaryPath(const std::string& target, int attempt);

// A second name for the existing file `path`, under a new temporary name in its folder.
Result<std::string> LinkUnderTemporaryName(const std::string& path,
                                           const AnnounceTemporary& announce = {});

// Flushes the contents of an existing file to the disk; the message names the path.
Status Flush(const std::string& path);

// Renames `from` over `to` and flushes the folder; the message names `to`.
Status MoveIntoPlace(const std::string& from, const std::string& to);

}  // namespace mirune::internal
