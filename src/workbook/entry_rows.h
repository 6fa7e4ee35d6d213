#pragma once

// The entry list as rows of the workbook: one entry line (term TAB reading TAB page) per
// row of columns A, B and C.

#include <cstdint>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "base/result.h"

namespace mirune {

struct EntryRow {
  std::string term;             // column A, always text (also "123")
  std::string reading;          // column B, always text
  std::optional<int32_t> page;  // column C, a number; none when the entry has no page
};

// Splits entry text into rows. Lines end in LF or CR LF; empty lines are not entries and
// are skipped. A line has one to three TAB-separated fields (missing ones are empty).
// Fails before anything else is done:
// - kFormatError for a line with more than three fields or a page that is not a whole
//   number from 0 to 999,999,999 (the message names the line);
// - kOverflow when there are more entries than a sheet holds (65,536 rows).
Result<std::vector<EntryRow>> ParseEntryRows(std::string_view text);

}  // namespace mirune
