#include "workbook/finished_index.h"

#include <algorithm>
#include <utility>

#include "analysis/page_field.h"
#include "automation/excel_engine/ja_collator.h"
#include "base/utf.h"
#include "workbook/page_order.h"

namespace mirune {
namespace {

constexpr const char* kRowNames[] = {"あ行", "か行", "さ行", "た行", "な行",
                                     "は行", "ま行", "や行", "ら行", "わ行"};

// The kana row (0 for あ行 … 9 for わ行, ん and を included) of a plain kana.
int RowOf(char32_t plain) {
  static const std::u32string kRowStarts = U"あかさたなはまやらわ";
  int row = 0;
  for (int r = 0; r < 10; ++r) {
    if (plain >= kRowStarts[r]) row = r;
  }
  return row;
}

bool IsLatin(char32_t c) {
  return (c >= U'A' && c <= U'Z') || (c >= U'a' && c <= U'z') || (c >= U'Ａ' && c <= U'Ｚ') ||
         (c >= U'ａ' && c <= U'ｚ');
}

bool IsDigit(char32_t c) { return (c >= U'0' && c <= U'9') || (c >= U'０' && c <= U'９'); }

// Group order: kana rows and kana from 100, the other groups from 0 or 1000.
struct Group {
  int order = 0;
  std::string heading;
};

Group GroupOf(std::string_view reading, const FinishedIndexOptions& options) {
  const int other_base = options.others == OtherGroupsPlace::kBeforeKana ? 0 : 100000;
  if (reading.empty()) return {other_base + 3, std::string(kSymbolGroup)};
  size_t pos = 0;
  const char32_t first = DecodeUtf8(reading, pos);
  // The kana as the sort files it (half-width, small, voiced, combining marks): one rule.
  const char32_t plain = LeadingKanaBase(reading);
  if (plain != 0) {
    const int row = RowOf(plain);
    switch (options.headings) {
      case KanaHeadings::kRows:
        return {100 + row, kRowNames[row]};
      case KanaHeadings::kEachKana: {
        std::string heading;
        AppendUtf8(heading, plain);
        return {100 + static_cast<int>(plain), heading};
      }
      case KanaHeadings::kNone:
        return {100, ""};
    }
  }
  if (IsLatin(first)) return {other_base + 1, std::string(kLatinGroup)};
  if (IsDigit(first)) return {other_base + 2, std::string(kDigitGroup)};
  return {other_base + 3, std::string(kSymbolGroup)};
}

}  // namespace

std::string HeadingOf(std::string_view reading, KanaHeadings headings) {
  FinishedIndexOptions options;
  options.headings = headings;
  return GroupOf(reading, options).heading;
}

std::string FormatPages(const std::vector<std::string>& pages,
                        const FinishedIndexOptions& options) {
  // The pages in the index's order; runs of three or more consecutive numbers become ranges.
  const std::vector<std::string> ordered = OrderedPageList(pages, options.text_pages_first);
  std::vector<PageField> fields;
  fields.reserve(ordered.size());
  for (const std::string& page : ordered) fields.push_back(PageField::FromName(page));
  auto follows = [&](size_t k) {
    return fields[k].is_number() && fields[k - 1].is_number() &&
           fields[k].number() == fields[k - 1].number() + 1;
  };
  std::vector<std::string> items;
  for (size_t i = 0; i < fields.size();) {
    size_t j = i;
    while (j + 1 < fields.size() && follows(j + 1)) ++j;
    if (j - i >= 2) {
      items.push_back(fields[i].text() + options.range_mark + fields[j].text());
    } else {
      for (size_t k = i; k <= j; ++k) items.push_back(fields[k].text());
    }
    i = j + 1;
  }
  std::string out;
  for (size_t i = 0; i < items.size(); ++i) {
    if (i) out += options.page_separator;
    out += items[i];
  }
  return out;
}

std::vector<IndexLine> BuildFinishedIndex(const std::vector<IndexSourceRow>& rows,
                                          const FinishedIndexOptions& options) {
  // Groups in their order; within a group the rows' order (stable).
  std::vector<std::pair<Group, const IndexSourceRow*>> grouped;
  for (const IndexSourceRow& row : rows) {
    if (row.term.empty()) continue;
    grouped.emplace_back(GroupOf(row.reading, options), &row);
  }
  std::stable_sort(grouped.begin(), grouped.end(),
                   [](const auto& a, const auto& b) { return a.first.order < b.first.order; });
  std::vector<IndexLine> lines;
  int current = -1;
  for (const auto& [group, row] : grouped) {
    if (group.order != current) {
      current = group.order;
      if (!group.heading.empty()) lines.push_back({true, group.heading, {}});
    }
    lines.push_back({false, row->term, FormatPages(row->pages, options)});
  }
  return lines;
}

}  // namespace mirune
