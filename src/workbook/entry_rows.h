#pragma once

// The entry list as rows of the workbook: one entry line (term TAB reading TAB page) per
// row of columns A, B and C.

#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

#include "analysis/page_field.h"
#include "base/result.h"

namespace mirune {

struct EntryRow {
  std::string term;     // column A, always text (also "123")
  std::string reading;  // column B, always text
  PageField page;       // column C: a number for a page number, else the page name as text;
                        // empty when the entry has no page
};

// Splits entry text into rows. Lines end in LF or CR LF; empty lines are not entries and
// are skipped. A line has one to three TAB-separated fields (missing ones are empty); its
// control characters are removed first (base/control_chars.h). The page field is read by
// PageField::FromName, so every page name is accepted. Fails before anything else is done,
// with a Japanese message:
// - kFormatError for a line with more than three fields (the message names the line);
// - kOverflow when there are more entries than a sheet holds (65,536 rows).
Result<std::vector<EntryRow>> ParseEntryRows(std::string_view text);

}  // namespace mirune
