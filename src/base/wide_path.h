#pragma once

// UTF-8 paths to and from the wide paths of the Windows file API (Windows build only).
//
// ToWidePath turns '/' into '\' and, for a path whose full form is long enough to pass the
// 260-character limit of the plain API, gives the full form with the "\\?\" prefix
// ("\\?\UNC\server\share\…" for a network path), so long names can be written. Paths that
// already carry the prefix are kept as they are. FromWidePath takes the prefix off again.

#ifdef _WIN32

#include <string>
#include <vector>

namespace mirune {

// The arguments of wmain (UTF-16, as Windows passes them) as UTF-8, which the core takes.
std::vector<std::string> Utf8Arguments(int argc, wchar_t** wargv);

std::wstring ToWidePath(const std::string& utf8_path);
// The full form of a wide path (GetFullPathNameW: the current folder put in front, "." and
// ".." resolved); empty when Windows cannot give one.
std::wstring FullWidePath(const std::wstring& path);
std::string FromWidePath(const std::wstring& wide_path);

}  // namespace mirune

#endif  // _WIN32
