#include "automation/com/list_result_win.h"

#include <optional>
#include <utility>

#include "automation/com/variant_list_win.h"

namespace mirune::com {
namespace {

bool IsNullObject(const VARIANT& value) {
  return (value.vt == VT_DISPATCH && value.pdispVal == nullptr) ||
         (value.vt == VT_UNKNOWN && value.punkVal == nullptr);
}

// The collection behind an object result, or nothing when the object has no `Count` (a single
// item). The count is read here.
struct Collection {
  std::optional<Dispatcher> object;
  int32_t count = 0;
};

Result<Collection> AsCollection(Dispatcher& from, const UniqueVariant& value,
                                const std::string& label, const std::string& type) {
  Collection out;
  Result<ComPtr<IDispatch>> object = VariantToDispatch(value.get());
  if (!object.ok()) return out;  // an unknown object without IDispatch: one item
  Dispatcher list(std::move(object).value(), from.cache_ptr(), from.host(), type, label);
  Result<UniqueVariant> count = list.Get("Count");
  if (!count.ok()) {
    if (IsMissingMember(list.last_failure())) return out;
    return count.error();
  }
  Result<int32_t> n = VariantToInt32(count->get());
  if (!n.ok() || *n < 0) {
    return Error{ErrorCode::kHostError,
                 from.host() + " の " + label + ".Count の値が個数ではありません"};
  }
  out.count = *n;
  out.object.emplace(std::move(list));
  return out;
}

}  // namespace

const char* ListShapeName(ListShape shape) {
  switch (shape) {
    case ListShape::kEmpty:
      return "空";
    case ListShape::kArray:
      return "配列";
    case ListShape::kCollection:
      return "コレクション（Count と Item）";
    case ListShape::kSingle:
      return "単一の値";
  }
  return "?";
}

Result<ListValue> ReadListValue(Dispatcher& from, UniqueVariant value, const std::string& label,
                                const std::string& type) {
  ListValue out;
  if (value.empty() || IsNullObject(value.get())) return out;
  if ((value.type() & VT_ARRAY) != 0) {
    out.shape = ListShape::kArray;
    Result<std::vector<UniqueVariant>> items = VariantToList(value.get());
    if (!items.ok()) {
      return Error{ErrorCode::kHostError,
                   from.host() + " の " + label + " の値: " + items.message()};
    }
    out.items = std::move(items).value();
    return out;
  }
  if (value.type() == VT_DISPATCH || value.type() == VT_UNKNOWN) {
    MIRUNE_ASSIGN_OR_RETURN(Collection collection, AsCollection(from, value, label, type));
    if (collection.object) {
      out.shape = ListShape::kCollection;
      out.items.reserve(static_cast<size_t>(collection.count));
      for (int32_t i = 1; i <= collection.count; ++i) {
        MIRUNE_ASSIGN_OR_RETURN(UniqueVariant item, collection.object->Item(i));
        out.items.push_back(std::move(item));
      }
      return out;
    }
  }
  out.shape = ListShape::kSingle;
  out.items.push_back(std::move(value));
  return out;
}

Result<ListLength> ReadListLength(Dispatcher& from, UniqueVariant value, const std::string& label,
                                  const std::string& type) {
  if (value.empty() || IsNullObject(value.get())) return ListLength{};
  if ((value.type() & VT_ARRAY) == 0 &&
      (value.type() == VT_DISPATCH || value.type() == VT_UNKNOWN)) {
    MIRUNE_ASSIGN_OR_RETURN(Collection collection, AsCollection(from, value, label, type));
    if (collection.object) return ListLength{ListShape::kCollection, collection.count};
    return ListLength{ListShape::kSingle, 1};
  }
  MIRUNE_ASSIGN_OR_RETURN(ListValue list, ReadListValue(from, std::move(value), label, type));
  return ListLength{list.shape, static_cast<int32_t>(list.items.size())};
}

}  // namespace mirune::com
