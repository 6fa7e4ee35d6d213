#pragma once

// The sheet "読み確認" of Razoza.xls: the terms whose reading may be wrong, for the user to
// look at before correcting Org. It stands after the index sheets and changes none of them.
//
// Row 1 holds the column names; from row 2, one row per term and reading: the term (A), the
// reading written on the entry lines (B), the other readings the sources give, joined by "、"
// (C), its pages joined by "," (D, text), and why it may be wrong (E).

#include <string_view>
#include <vector>

#include "analysis/reading_check.h"
#include "automation/excel.h"
#include "base/result.h"

namespace mirune {

inline constexpr std::string_view kReadingCheckSheet = "読み確認";

// Adds the sheet as the last sheet of `book` and fills it; the active sheet stays as it was.
// A text longer than a cell holds is cut at a whole page (or character) and ends in "…".
Status AddReadingCheckSheet(ExcelWorkbook& book, const std::vector<ReadingCheck>& checks);

}  // namespace mirune
