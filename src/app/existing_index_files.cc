#include "app/existing_index_files.h"

#include <algorithm>
#include <cctype>
#include <string_view>

#include "base/file.h"
#include "base/path.h"

namespace mirune {
namespace {

bool EndsWithNoCase(std::string_view text, std::string_view end) {
  if (text.size() < end.size()) return false;
  return std::equal(end.begin(), end.end(), text.end() - static_cast<std::ptrdiff_t>(end.size()),
                    [](char a, char b) {
                      return std::tolower(static_cast<unsigned char>(a)) ==
                             std::tolower(static_cast<unsigned char>(b));
                    });
}

}  // namespace

std::vector<std::string> ExistingIndexFiles(const std::string& base) {
  std::vector<std::string> found;
  const std::string folder = ParentFolder(base);
  const std::string stem = FileName(base);
  if (stem.empty()) return found;
  auto entries = ListFolder(folder.empty() ? std::string(".") : folder);
  if (!entries.ok()) return found;
  for (const FolderEntry& entry : *entries) {
    if (entry.kind != PathKind::kFile) continue;
    const std::string& name = entry.name;
    if (name.size() <= stem.size() || name.compare(0, stem.size(), stem) != 0) continue;
    const char next = name[stem.size()];
    if (next != '.' && next != '-') continue;
    if (!EndsWithNoCase(name, ".txt") && !EndsWithNoCase(name, ".xls") &&
        !EndsWithNoCase(name, ".idml")) {
      continue;
    }
    found.push_back(folder.empty() ? name : JoinPath(folder, name));
  }
  return found;
}

}  // namespace mirune
