#pragma once

// A rectangular block of values as automation passes a range's values (Windows build): a
// two-dimensional SAFEARRAY of VARIANT, rows the first dimension, columns the second, both
// 1-based (as Excel's Range.Value reads and writes it).

#include <cstdint>
#include <vector>

#include "automation/com/com_types_win.h"
#include "base/result.h"

namespace mirune::com {

struct VariantGrid {
  int32_t rows = 0;
  int32_t columns = 0;
  std::vector<UniqueVariant> cells;  // row after row; rows × columns values

  // The value at (row, column), both 0-based here.
  const UniqueVariant& at(int32_t row, int32_t column) const {
    return cells[static_cast<size_t>(row) * columns + column];
  }
};

// A VT_ARRAY | VT_VARIANT holding copies of the grid's values. kInvalidArgument when the
// cell count does not match rows × columns or either is below 1.
Result<UniqueVariant> GridToVariant(const VariantGrid& grid);

// The values of a two-dimensional VT_ARRAY | VT_VARIANT, whatever its lower bounds. A single
// value that is not an array (a one-cell range) reads as a 1 × 1 grid.
Result<VariantGrid> VariantToGrid(const VARIANT& value);

}  // namespace mirune::com
