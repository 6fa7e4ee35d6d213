#pragma once

// A list that an automation member returned, in either shape a host gives it (Windows build):
// - a one-dimensional SAFEARRAY (of VARIANT, BSTR, I4 or DISPATCH), whatever its lower bound;
// - a collection object with `Count` and `Item(1 … Count)`, as InDesign's members that return
//   "Array of …" in its scripting reference reach a COM client (`Set r = doc.ChangeText` …
//   `r.Count`, `r.Item(i)` in the maker's VBScript samples).
// VT_EMPTY (and a null object) is an empty list; any other single value, or an object without
// `Count`, is a list of that one value.

#include <cstdint>
#include <string>
#include <vector>

#include "automation/com/com_types_win.h"
#include "automation/com/dispatcher_win.h"
#include "base/result.h"

namespace mirune::com {

enum class ListShape { kEmpty, kArray, kCollection, kSingle };

// "配列", "コレクション", … as the diagnosis names a shape.
const char* ListShapeName(ListShape shape);

struct ListValue {
  ListShape shape = ListShape::kEmpty;
  std::vector<UniqueVariant> items;
};

// The items of `value`, the result of `label` ("Pages.EveryItem().GetElements()") read through
// `from` (whose host and name cache are used for a collection object's own calls, under the
// cache type `type`). A collection costs 1 + Count calls.
Result<ListValue> ReadListValue(Dispatcher& from, UniqueVariant value, const std::string& label,
                                const std::string& type);

// Only the number of items (a collection costs its `Count` alone), and the shape.
struct ListLength {
  ListShape shape = ListShape::kEmpty;
  int32_t length = 0;
};
Result<ListLength> ReadListLength(Dispatcher& from, UniqueVariant value, const std::string& label,
                                  const std::string& type);

}  // namespace mirune::com
