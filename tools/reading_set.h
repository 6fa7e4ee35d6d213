#pragma once

// A set of terms with their correct readings, for measuring the readings: one term a line,
// `term<TAB>reading[<TAB>reading...]`, UTF-8 (a byte-order mark is passed over), lines
// ending in LF or CRLF. Empty lines are passed over. A reading is exact when it equals one
// of the term's listed readings.

#include <string>
#include <string_view>
#include <vector>

#include "base/result.h"

namespace mirune::tools {

struct ReadingSetEntry {
  std::string term;
  std::vector<std::string> readings;  // at least one, none empty
};

// The entries of `text`, the contents of the set file `name` (named in the messages). Fails
// with kFormatError when the text is not UTF-8, or a line has no term or no reading (the
// message names the file and the line number).
Result<std::vector<ReadingSetEntry>> ParseReadingSet(std::string_view text, std::string_view name);

// True when `reading` is one of the entry's readings.
bool IsExactReading(const ReadingSetEntry& entry, std::string_view reading);

// The share of `exact` in `count` as a percentage with two decimals ("86.42"); "0.00" for an
// empty set.
std::string PercentText(size_t exact, size_t count);

// True when exact / count is below `min_percent` / 100. The share is compared as it is, not
// as printed: a threshold is set a little below the printed figure.
bool BelowMinimum(size_t exact, size_t count, double min_percent);

}  // namespace mirune::tools
