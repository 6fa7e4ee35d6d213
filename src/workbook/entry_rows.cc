#include "workbook/entry_rows.h"

#include "automation/excel.h"

namespace mirune {
namespace {

std::string_view TrimSpaces(std::string_view s) {
  while (!s.empty() && s.front() == ' ') s.remove_prefix(1);
  while (!s.empty() && s.back() == ' ') s.remove_suffix(1);
  return s;
}

std::string LineLabel(size_t line) { return "entry list line " + std::to_string(line); }

}  // namespace

Result<std::vector<EntryRow>> ParseEntryRows(std::string_view text) {
  // Count first, so an over-long list fails before any row is built.
  size_t entries = 0;
  for (size_t pos = 0; pos < text.size();) {
    size_t end = text.find('\n', pos);
    if (end == std::string_view::npos) end = text.size();
    std::string_view line = text.substr(pos, end - pos);
    if (!line.empty() && line.back() == '\r') line.remove_suffix(1);
    if (!line.empty()) ++entries;
    pos = end + 1;
  }
  if (entries > static_cast<size_t>(kExcelMaxRows)) {
    return Error{ErrorCode::kOverflow,
                 "the entry list has " + std::to_string(entries) +
                     " entries; a sheet of an Excel 97-2003 workbook holds at most " +
                     std::to_string(kExcelMaxRows) + " rows"};
  }

  std::vector<EntryRow> rows;
  rows.reserve(entries);
  size_t line_number = 0;
  for (size_t pos = 0; pos < text.size();) {
    size_t end = text.find('\n', pos);
    if (end == std::string_view::npos) end = text.size();
    std::string_view line = text.substr(pos, end - pos);
    pos = end + 1;
    ++line_number;
    if (!line.empty() && line.back() == '\r') line.remove_suffix(1);
    if (line.empty()) continue;

    std::string_view fields[3];
    size_t count = 0;
    size_t start = 0;
    for (;;) {
      const size_t tab = line.find('\t', start);
      if (count == 3) {
        return Error{ErrorCode::kFormatError,
                     LineLabel(line_number) + ": more than three TAB-separated fields"};
      }
      fields[count++] = line.substr(start, tab == std::string_view::npos ? tab : tab - start);
      if (tab == std::string_view::npos) break;
      start = tab + 1;
    }
    EntryRow row;
    row.term = std::string(fields[0]);
    row.reading = std::string(fields[1]);
    const std::string_view page = TrimSpaces(fields[2]);
    if (!page.empty()) {
      int64_t value = 0;
      bool digits = page.size() <= 9;
      for (char c : page) {
        if (c < '0' || c > '9') digits = false;
        value = value * 10 + (c - '0');
      }
      if (!digits) {
        return Error{ErrorCode::kFormatError, LineLabel(line_number) + ": the page \"" +
                                                  std::string(page) + "\" is not a number"};
      }
      row.page = static_cast<int32_t>(value);
    }
    rows.push_back(std::move(row));
  }
  return rows;
}

}  // namespace mirune
