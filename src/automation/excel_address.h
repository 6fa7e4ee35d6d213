#pragma once

// Cell addresses in Excel's A1 notation, as the automation of Excel names ranges
// (Range("B3"), Range("A1:C10"), Range("C:Z"), Range("5:7")). The COM client writes them and
// the test server reads them back, so both sides share this one definition.

#include <string>
#include <string_view>

#include "automation/excel.h"
#include "base/result.h"

namespace mirune {

// "A" … "Z", "AA" … "IV" for 1 … 256, and on past the sheet's last column (a damaged file's
// cell is still named). Precondition: column ≥ 1.
std::string ColumnLetters(int column);

// "B3".
std::string CellAddress(int row, int column);

// "B3" for one cell, "A1:C10" for an area, "C:Z" (or "C:C") for whole columns, "5:7" (or
// "5:5") for whole rows; the whole sheet reads as whole columns "A:IV".
std::string RangeAddress(const CellRange& range);

// Reads the forms RangeAddress writes, letters in either case, with or without "$".
// kInvalidArgument (in Japanese, quoting the address) for anything else or a cell outside
// the sheet.
Result<CellRange> ParseRangeAddress(std::string_view address);

}  // namespace mirune
