#pragma once

// Steps of an atomic write shared by base/file.cc and base/file_set.cc. Internal to
// src/base.

#include <string>
#include <string_view>

#include "base/result.h"

namespace mirune::internal {

// Writes `bytes` to a new temporary file in the folder of `target` and flushes it to the
// disk. Returns the temporary's path; messages name the target and the failed step.
Result<std::string> WriteTemporary(const std::string& target, std::string_view bytes);

// A second name for the existing file `path`, under a new temporary name in its folder.
Result<std::string> LinkUnderTemporaryName(const std::string& path);

// Flushes the contents of an existing file to the disk; the message names the path.
Status Flush(const std::string& path);

// Renames `from` over `to` and flushes the folder; the message names `to`.
Status MoveIntoPlace(const std::string& from, const std::string& to);

}  // namespace mirune::internal
