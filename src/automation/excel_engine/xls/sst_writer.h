#pragma once

// The shared string table (SST with its CONTINUE records) and its index (EXTSST).
//
// Splitting rules: a string's 3-byte header and its first character always share one
// record (otherwise the whole string moves to the next CONTINUE); character data is split
// only between characters, never inside a surrogate pair; a CONTINUE that resumes character
// data starts with a flags byte telling whether the rest is stored compressed.

#include <cstdint>
#include <string>
#include <vector>

#include "automation/excel_engine/xls/biff_stream.h"

namespace mirune::xls {

// Strings per EXTSST bucket for `unique` strings.
uint16_t ExtSstBucketSize(size_t unique);

// Writes SST (+ CONTINUE) and EXTSST at the writer's position. `strings` are the unique
// strings in table order (UTF-16, none empty, each at most 32,767 units); `total` the number
// of cells that refer to them.
void WriteSst(BiffWriter& out, const std::vector<std::u16string>& strings, uint32_t total);

}  // namespace mirune::xls
