#pragma once

// A list of values as automation passes an array (Windows build): a one-dimensional SAFEARRAY
// of VARIANT, as InDesign returns the values of a whole collection at once (the `Name` of
// `Pages.EveryItem()`, the objects of `GetElements()`).

#include <vector>

#include "automation/com/com_types_win.h"
#include "base/result.h"

namespace mirune::com {

// A VT_ARRAY | VT_VARIANT holding copies of `values` (lower bound 0). An empty list is an
// array of no elements.
Result<UniqueVariant> ListToVariant(const std::vector<UniqueVariant>& values);

// The values of a one-dimensional VT_ARRAY (of VARIANT, BSTR, I4 or DISPATCH), whatever its
// lower bound, in order. A single value that is not an array reads as a list of one; VT_EMPTY
// as an empty list.
Result<std::vector<UniqueVariant>> VariantToList(const VARIANT& value);

}  // namespace mirune::com
