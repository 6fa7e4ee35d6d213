#include "workbook/entry_rows.h"

#include "automation/excel.h"
#include "base/control_chars.h"

namespace mirune {
namespace {

std::string LineLabel(size_t line) { return "索引リストの " + std::to_string(line) + " 行目"; }

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
                 "索引項目が多すぎます: 索引リストに " + std::to_string(entries) +
                     " 項目ありますが、Excel 97-2003 形式のシートには " +
                     std::to_string(kExcelMaxRows) + " 行までしか入りません。"};
  }

  std::vector<EntryRow> rows;
  rows.reserve(entries);
  size_t line_number = 0;
  for (size_t pos = 0; pos < text.size();) {
    size_t end = text.find('\n', pos);
    if (end == std::string_view::npos) end = text.size();
    std::string_view raw = text.substr(pos, end - pos);
    pos = end + 1;
    ++line_number;
    if (!raw.empty() && raw.back() == '\r') raw.remove_suffix(1);
    if (raw.empty()) continue;
    const std::string clean = RemoveControlChars(raw);
    if (clean.empty()) continue;  // a line of control characters only holds no entry
    const std::string_view line(clean);

    std::string_view fields[3];
    size_t count = 0;
    size_t start = 0;
    for (;;) {
      const size_t tab = line.find('\t', start);
      if (count == 3) {
        return Error{ErrorCode::kFormatError,
                     LineLabel(line_number) +
                         ": TAB で区切られた項目が 4 つ以上あります（語句、読み、ノンブルの 3 "
                         "つまでです）。"};
      }
      fields[count++] = line.substr(start, tab == std::string_view::npos ? tab : tab - start);
      if (tab == std::string_view::npos) break;
      start = tab + 1;
    }
    EntryRow row;
    row.term = std::string(fields[0]);
    row.reading = std::string(fields[1]);
    row.page = PageField::FromName(fields[2]);
    rows.push_back(std::move(row));
  }
  return rows;
}

}  // namespace mirune
