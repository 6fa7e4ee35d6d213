#pragma once

// Path text helpers: pure functions on UTF-8 path strings that never touch the disk.
// '/' separates folders on every platform; on Windows '\' does too.
//
// A path may begin with a root that has no parent: "/" on POSIX; on Windows "C:\", "\" (the
// root of the current drive), "C:" (the current folder of drive C, so "C:a.txt" is a.txt in
// that folder), "\\server\share\", and these behind the "\\?\" prefix ("\\?\C:\",
// "\\?\UNC\server\share\").

#include <cstdint>
#include <string>
#include <string_view>

namespace mirune {

// `folder` + the platform's separator + `name`; `folder` may end in a separator. A bare drive
// ("C:") is followed by the name directly, so the result stays in that drive's current folder.
std::string JoinPath(std::string_view folder, std::string_view name);

// The last component of a path ("a/b.idml" → "b.idml", "C:b.idml" → "b.idml"); empty when the
// path ends in a separator or is a root.
std::string FileName(std::string_view path);

// Everything before the last component, without the trailing separator ("a/b.idml" → "a",
// "/b" → "/", "b.idml" → "", "C:b.idml" → "C:"). A root keeps its separator and is its own
// parent.
std::string ParentFolder(std::string_view path);

// True when the file name of `path` ends in `extension` (".idml"), ASCII letters compared
// without case, and has a name before it (".idml" alone is a hidden file, not an extension).
bool PathExtensionIs(std::string_view path, std::string_view extension);

// Temporary files of this program are named ".mirune-XXXXXXXX.tmp": short, so that the name
// of a target up to the file system's limit can still be written, and recognisable, so that
// a later start can remove the leftovers of an interrupted run.
// The name built from `entropy` (eight base-36 digits of it).
std::string TemporaryFileName(uint64_t entropy);
// True for a file name (not a path) of that form.
bool IsTemporaryFileName(std::string_view name);

}  // namespace mirune
