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

}  // namespace

std::string JoinPath(std::string_view folder, std::string_view name) {
  std::string out(folder);
  if (!out.empty() && !IsSeparator(out.back())) out.push_back(kSeparator);
  out.append(name);
  return out;
}

std::string FileName(std::string_view path) {
  const size_t last = path.find_last_of(kSeparators);
  return std::string(last == std::string_view::npos ? path : path.substr(last + 1));
}

std::string ParentFolder(std::string_view path) {
  size_t last = path.find_last_of(kSeparators);
  if (last == std::string_view::npos) return {};
  // Runs of separators ("a//b") count as one.
  size_t end = last;
  while (end > 0 && IsSeparator(path[end - 1])) --end;
  if (end == 0) return std::string(path.substr(0, 1));  // "/b"
#ifdef _WIN32
  if (end == 2 && path[1] == ':') return std::string(path.substr(0, 3));  // "C:\b"
#endif
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
