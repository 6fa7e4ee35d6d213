#include "base/path.h"

namespace mirune {
namespace {

#ifdef _WIN32
constexpr char kSeparator = '\\';
constexpr std::string_view kSeparators = "/\\";
#else
constexpr char kSeparator = '/';
constexpr std::string_view kSeparators = "/";
#endif

constexpr std::string_view kTemporaryPrefix = ".mirune-";
constexpr std::string_view kTemporarySuffix = ".tmp";
constexpr size_t kTemporaryDigits = 8;

bool IsSeparator(char c) { return kSeparators.find(c) != std::string_view::npos; }

char AsciiLower(char c) { return c >= 'A' && c <= 'Z' ? static_cast<char>(c - 'A' + 'a') : c; }

#ifdef _WIN32
bool IsDriveLetter(char c) { return (c >= 'A' && c <= 'Z') || (c >= 'a' && c <= 'z'); }

// Position just past the component that starts at `from`, and past its separator if any.
size_t PastComponent(std::string_view path, size_t from) {
  const size_t sep = path.find_first_of(kSeparators, from);
  return sep == std::string_view::npos ? path.size() : sep + 1;
}

// "X:" alone (drive-relative) or "X:\".
size_t DriveRootLength(std::string_view path, size_t at) {
  if (path.size() < at + 2 || !IsDriveLetter(path[at]) || path[at + 1] != ':') return 0;
  return path.size() > at + 2 && IsSeparator(path[at + 2]) ? at + 3 : at + 2;
}
#endif

// Length of the root of `path`: the part no parent can be taken of. "/" on POSIX; on
// Windows "C:\", "C:" (the current folder of drive C), "\" (the current drive's root),
// "\\server\share\", and the same behind the "\\?\" and "\\.\" prefixes.
size_t RootLength(std::string_view path) {
#ifdef _WIN32
  if (path.size() >= 2 && IsSeparator(path[0]) && IsSeparator(path[1])) {
    if (path.size() >= 4 && (path[2] == '?' || path[2] == '.') && IsSeparator(path[3])) {
      if (const size_t drive = DriveRootLength(path, 4); drive > 0) return drive;
      const std::string_view rest = path.substr(4);
      if (rest.size() >= 3 && AsciiLower(rest[0]) == 'u' && AsciiLower(rest[1]) == 'n' &&
          AsciiLower(rest[2]) == 'c' && (rest.size() == 3 || IsSeparator(rest[3]))) {
        const size_t server_end = PastComponent(path, 8 < path.size() ? 8 : path.size());
        return PastComponent(path, server_end);
      }
      return PastComponent(path, 4);  // a device or volume name
    }
    return PastComponent(path, PastComponent(path, 2));
  }
  if (const size_t drive = DriveRootLength(path, 0); drive > 0) return drive;
#endif
  return !path.empty() && IsSeparator(path[0]) ? 1 : 0;
}

}  // namespace

std::string JoinPath(std::string_view folder, std::string_view name) {
  std::string out(folder);
  // "C:" names the current folder of drive C; "C:\x" would be its root.
#ifdef _WIN32
  const bool bare_drive = folder.size() == 2 && DriveRootLength(folder, 0) == 2;
#else
  const bool bare_drive = false;
#endif
  if (!out.empty() && !IsSeparator(out.back()) && !bare_drive) out.push_back(kSeparator);
  out.append(name);
  return out;
}

std::string FileName(std::string_view path) {
  const size_t root = RootLength(path);
  const size_t last = path.find_last_of(kSeparators);
  if (last == std::string_view::npos || last < root) return std::string(path.substr(root));
  return std::string(path.substr(last + 1));
}

std::string ParentFolder(std::string_view path) {
  const size_t root = RootLength(path);
  const size_t last = path.find_last_of(kSeparators);
  if (last == std::string_view::npos || last < root) return std::string(path.substr(0, root));
  // Runs of separators ("a//b") count as one.
  size_t end = last;
  while (end > root && IsSeparator(path[end - 1])) --end;
  if (end <= root) return std::string(path.substr(0, root));
  return std::string(path.substr(0, end));
}
bool PathExtensionIs(std::string_view path, std::string_view extension) {
  const std::string name = FileName(path);
  if (name.size() <= extension.size()) return false;
  const std::string_view tail = std::string_view(name).substr(name.size() - extension.size());
  for (size_t i = 0; i < tail.size(); ++i) {
    if (AsciiLower(tail[i]) != AsciiLower(extension[i])) return false;
  }
  return true;
}

std::string TemporaryFileName(uint64_t entropy) {
  std::string name(kTemporaryPrefix);
  for (size_t i = 0; i < kTemporaryDigits; ++i) {
    name.push_back("0123456789abcdefghijklmnopqrstuvwxyz"[entropy % 36]);
    entropy /= 36;
  }
  name.append(kTemporarySuffix);
  return name;
}

bool IsTemporaryFileName(std::string_view name) {
  if (name.size() != kTemporaryPrefix.size() + kTemporaryDigits + kTemporarySuffix.size()) {
    return false;
  }
  if (name.substr(0, kTemporaryPrefix.size()) != kTemporaryPrefix) return false;
  if (name.substr(name.size() - kTemporarySuffix.size()) != kTemporarySuffix) return false;
  for (const char c : name.substr(kTemporaryPrefix.size(), kTemporaryDigits)) {
    if (!((c >= '0' && c <= '9') || (c >= 'a' && c <= 'z'))) return false;
  }
  return true;
}

}  // namespace mirune
