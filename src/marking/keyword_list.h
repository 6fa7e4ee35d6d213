#pragma once

// The keyword list of bulk marking: column B of the sheet "Sheet1" of the keyword workbook,
// from row 1 (no header row) down to the last non-empty cell; empty cells above it stay in
// the list as empty keywords.

#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

#include "automation/excel.h"
#include "base/result.h"

namespace mirune {

inline constexpr std::string_view kKeywordSheetName = "Sheet1";
inline constexpr int kKeywordColumn = 2;  // column B

// Position of the sheet named exactly "Sheet1" (case-sensitive: "sheet1" is not it), found
// by walking every sheet; kNotFound when there is none.
Result<int> FindKeywordSheet(const ExcelWorkbook& workbook);

// The last used row of the sheet, then upwards while the cell in `column` is empty: the last
// non-empty row of that column, or 0 when the column is empty down to the last used row.
Result<int32_t> LastFilledRow(const ExcelWorkbook& workbook, int sheet, int column);

// The texts of rows 1..count of `column`, as the cells show them (an integral number as
// "12", an empty cell as ""), without control characters (base/control_chars.h).
Result<std::vector<std::string>> ReadKeywords(const ExcelWorkbook& workbook, int sheet, int column,
                                              int32_t count);

}  // namespace mirune
