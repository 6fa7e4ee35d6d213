#pragma once

// The platform half of base/file.h: one implementation per platform
// (file_posix.cc, file_win.cc). Internal to src/base.

#include <filesystem>
#include <string>

#include "base/result.h"

namespace mirune::platform {

#ifdef _WIN32
inline constexpr char kSeparator = '\\';
#else
inline constexpr char kSeparator = '/';
#endif

// UTF-8 path text to a filesystem path.
std::filesystem::path ToPath(const std::string& utf8);
Status RenameOver(const std::string& from, const std::string& to);
std::string ProgramFolder();
unsigned long ProcessId();

}  // namespace mirune::platform
