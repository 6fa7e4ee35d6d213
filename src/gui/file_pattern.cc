#include "gui/file_pattern.h"

#include "base/utf.h"

namespace mirune {
namespace {

char32_t FoldCase(char32_t c) {
  if (c >= U'A' && c <= U'Z') return c - U'A' + U'a';
  if (c >= U'Ａ' && c <= U'Ｚ') return c - U'Ａ' + U'ａ';  // Windows folds full-width too
  return c;
}

std::string_view TrimBlanks(std::string_view text) {
  while (!text.empty() && (text.front() == ' ' || text.front() == '\t')) text.remove_prefix(1);
  while (!text.empty() && (text.back() == ' ' || text.back() == '\t')) text.remove_suffix(1);
  return text;
}

// Iterative wildcard match with one backtrack point: linear in practice, never exponential.
bool Match(const std::u32string& name, const std::u32string& pattern) {
  size_t n = 0, p = 0, star = std::u32string::npos, resume = 0;
  while (n < name.size()) {
    if (p < pattern.size() && pattern[p] == U'*') {
      star = p++;
      resume = n;
    } else if (p < pattern.size() &&
               (pattern[p] == U'?' || FoldCase(pattern[p]) == FoldCase(name[n]))) {
      ++p;
      ++n;
    } else if (star != std::u32string::npos) {
      p = star + 1;
      n = ++resume;
    } else {
      return false;
    }
  }
  while (p < pattern.size() && pattern[p] == U'*') ++p;
  return p == pattern.size();
}

}  // namespace

std::vector<std::string> SplitFilePatterns(std::string_view filter_text) {
  std::vector<std::string> patterns;
  size_t start = 0;
  while (start <= filter_text.size()) {
    size_t end = filter_text.find(';', start);
    if (end == std::string_view::npos) end = filter_text.size();
    const std::string_view part = TrimBlanks(filter_text.substr(start, end - start));
    if (!part.empty()) patterns.emplace_back(part);
    start = end + 1;
  }
  return patterns;
}

bool MatchesFilePattern(std::string_view name, std::string_view pattern) {
  if (pattern == "*.*") return true;  // also names without a dot, as Windows lists them
  return Match(Utf8ToUtf32(name), Utf8ToUtf32(pattern));
}

bool MatchesAnyFilePattern(std::string_view name, const std::vector<std::string>& patterns) {
  for (const std::string& pattern : patterns) {
    if (MatchesFilePattern(name, pattern)) return true;
  }
  return false;
}

bool PatternsListIdmlBooks(const std::vector<std::string>& patterns) {
  for (const std::string& pattern : patterns) {
    if (pattern.size() < 6) continue;
    std::string tail = pattern.substr(pattern.size() - 6);
    for (char& c : tail) {
      if (c >= 'A' && c <= 'Z') c = static_cast<char>(c - 'A' + 'a');
    }
    if (tail == "*.idml") return true;
  }
  return false;
}

std::string BookFolderEntry(std::string_view folder_name) {
  return std::string(folder_name) + "\\";
}

std::string BookFolderOfEntry(std::string_view entry) {
  if (entry.size() < 2 || entry.back() != '\\') return {};
  return std::string(entry.substr(0, entry.size() - 1));
}

}  // namespace mirune
