#pragma once

// The finished index's outputs: plain UTF-8 text, InDesign tagged text, and the sheet "索引".
// Each line of the index is one line (one paragraph): a heading alone, or the term, a TAB and
// its pages.

#include <string>
#include <string_view>
#include <vector>

#include "automation/excel.h"
#include "base/result.h"
#include "workbook/finished_index.h"

namespace mirune {

inline constexpr std::string_view kIndexSheet = "索引";
// The styles the tagged text defines and uses.
inline constexpr std::string_view kIndexHeadingStyle = "索引見出し";
inline constexpr std::string_view kIndexEntryStyle = "索引項目";
inline constexpr std::string_view kIndexPagesStyle = "索引ノンブル";

// The lines as plain text, UTF-8 without a byte-order mark, each line ended by CR LF.
std::string FinishedIndexText(const std::vector<IndexLine>& lines);

// The lines as InDesign tagged text, ready to be placed: the UTF-16LE bytes with a byte-order
// mark, "<UNICODE-WIN>", the definitions of the paragraph styles 索引見出し and 索引項目 and the
// character style 索引ノンブル, then one paragraph per line (headings in 索引見出し, entries in
// 索引項目 with the pages in 索引ノンブル). "<", ">" and "\" of the text are escaped.
std::string FinishedIndexTaggedText(const std::vector<IndexLine>& lines);

// Adds the sheet `name` ("索引", or "索引2" for the index of mark 2) as the last sheet of `book`
// (column A the heading or term, column B the pages, as text) and leaves the active sheet as
// it was. kInvalidArgument when the workbook already has a sheet of that name. kOverflow past
// the rows a sheet holds.
Status AddIndexSheet(ExcelWorkbook& book, const std::vector<IndexLine>& lines,
                     std::string_view name = kIndexSheet);

}  // namespace mirune
