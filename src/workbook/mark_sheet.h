#pragma once

// The sheet "マーク" of Razoza.xls: the mark number of every entry line (term, page, number of
// the RazozaMark style or swatch), for one index per mark. It stands after the index sheets,
// which it leaves unchanged, and is written only when a job's entries carry two or more
// different mark numbers: a book marked with one mark needs none.

#include <string_view>
#include <vector>

#include "analysis/entry_list.h"
#include "automation/excel.h"
#include "base/result.h"

namespace mirune {

inline constexpr std::string_view kMarkSheet = "マーク";

// Two or more different mark numbers among `marks`.
bool NeedsMarkSheet(const std::vector<EntryMark>& marks);

// Adds the sheet as the last sheet of `book`: one row per entry line, term (A), page (B, text)
// and mark number (C). The active sheet stays as it was. kOverflow past the rows a sheet holds.
Status AddMarkSheet(ExcelWorkbook& book, const std::vector<EntryMark>& marks);

// The rows of a mark sheet. A row whose mark is not a whole number from 0 to 9 is refused
// (kFormatError, naming the row).
Result<std::vector<EntryMark>> ReadMarkSheet(const ExcelWorkbook& book, int sheet);

}  // namespace mirune
