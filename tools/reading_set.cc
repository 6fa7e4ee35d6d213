#include "tools/reading_set.h"

#include <cstdio>

#include "base/utf.h"

namespace mirune::tools {
namespace {

std::vector<std::string_view> SplitTabs(std::string_view line) {
  std::vector<std::string_view> fields;
  size_t start = 0;
  while (true) {
    const size_t tab = line.find('\t', start);
    fields.push_back(line.substr(start, tab == std::string_view::npos ? line.npos : tab - start));
    if (tab == std::string_view::npos) return fields;
    start = tab + 1;
  }
}

}  // namespace

Result<std::vector<ReadingSetEntry>> ParseReadingSet(std::string_view text, std::string_view name) {
  if (!IsValidUtf8(text)) {
    return Error{ErrorCode::kFormatError, std::string(name) + " は UTF-8 のテキストではありません"};
  }
  if (text.substr(0, 3) == "\xEF\xBB\xBF") text.remove_prefix(3);
  std::vector<ReadingSetEntry> entries;
  size_t line_number = 0;
  while (!text.empty()) {
    ++line_number;
    const size_t end = text.find('\n');
    std::string_view line = text.substr(0, end);
    text.remove_prefix(end == std::string_view::npos ? text.size() : end + 1);
    if (!line.empty() && line.back() == '\r') line.remove_suffix(1);
    if (line.empty()) continue;
    const std::vector<std::string_view> fields = SplitTabs(line);
    const std::string where = std::string(name) + " の " + std::to_string(line_number) + " 行目";
    if (fields[0].empty()) {
      return Error{ErrorCode::kFormatError, where + "に語句がありません（語句<TAB>読み の形式）"};
    }
    ReadingSetEntry entry{std::string(fields[0]), {}};
    for (size_t i = 1; i < fields.size(); ++i) {
      if (!fields[i].empty()) entry.readings.emplace_back(fields[i]);
    }
    if (entry.readings.empty()) {
      return Error{ErrorCode::kFormatError,
                   where + "（" + entry.term + "）に読みがありません（語句<TAB>読み の形式）"};
    }
    entries.push_back(std::move(entry));
  }
  return entries;
}

bool IsExactReading(const ReadingSetEntry& entry, std::string_view reading) {
  for (const std::string& r : entry.readings) {
    if (r == reading) return true;
  }
  return false;
}

std::string PercentText(size_t exact, size_t count) {
  if (count == 0) return "0.00";
  // Hundredths of a percent, rounded half up, in integers: the same text in every build.
  const unsigned long long hundredths =
      (static_cast<unsigned long long>(exact) * 20000 / count + 1) / 2;
  char text[32];
  std::snprintf(text, sizeof text, "%llu.%02llu", hundredths / 100, hundredths % 100);
  return text;
}

bool BelowMinimum(size_t exact, size_t count, double min_percent) {
  return static_cast<double>(exact) * 100.0 < min_percent * static_cast<double>(count);
}

}  // namespace mirune::tools
