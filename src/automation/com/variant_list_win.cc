#include "automation/com/variant_list_win.h"

#include "automation/com/hresult_text.h"

namespace mirune::com {

namespace {

Error ListFailure(const char* what, HRESULT hr) {
  return Error{ErrorCode::kHostError,
               std::string(what) + "（" + HresultDetail(static_cast<uint32_t>(hr)) + "）"};
}

}  // namespace

Result<UniqueVariant> ListToVariant(const std::vector<UniqueVariant>& values) {
  SAFEARRAYBOUND bound = {static_cast<ULONG>(values.size()), 0};
  SAFEARRAY* array = SafeArrayCreate(VT_VARIANT, 1, &bound);
  if (array == nullptr) return Error{ErrorCode::kInternal, "配列のメモリが足りません"};
  UniqueVariant result;
  result.get_mut()->vt = VT_ARRAY | VT_VARIANT;
  result.get_mut()->parray = array;  // owned by `result` from here on
  for (size_t i = 0; i < values.size(); ++i) {
    LONG index = static_cast<LONG>(i);
    // SafeArrayPutElement copies the VARIANT.
    const HRESULT hr = SafeArrayPutElement(array, &index, const_cast<VARIANT*>(&values[i].get()));
    if (FAILED(hr)) return ListFailure("配列に値を入れられません", hr);
  }
  return result;
}

Result<std::vector<UniqueVariant>> VariantToList(const VARIANT& value) {
  std::vector<UniqueVariant> list;
  if (value.vt == VT_EMPTY) return list;
  if ((value.vt & VT_ARRAY) == 0) {
    UniqueVariant copy;
    const HRESULT hr = VariantCopy(copy.get_mut(), const_cast<VARIANT*>(&value));
    if (FAILED(hr)) return ListFailure("値を複製できません", hr);
    list.push_back(std::move(copy));
    return list;
  }
  const VARTYPE element = static_cast<VARTYPE>(value.vt & ~VT_ARRAY);
  SAFEARRAY* array = (value.vt & VT_BYREF) != 0 ? *value.pparray : value.parray;
  if (array == nullptr || SafeArrayGetDim(array) != 1 ||
      (element != VT_VARIANT && element != VT_BSTR && element != VT_I4 && element != VT_DISPATCH)) {
    return Error{ErrorCode::kHostError, "返された値が一次元の配列ではありません"};
  }
  LONG low = 0, high = -1;
  SafeArrayGetLBound(array, 1, &low);
  SafeArrayGetUBound(array, 1, &high);
  if (high >= low) list.reserve(static_cast<size_t>(high - low + 1));
  for (LONG i = low; i <= high; ++i) {
    UniqueVariant item;
    HRESULT hr = S_OK;
    if (element == VT_VARIANT) {
      hr = SafeArrayGetElement(array, &i, item.put());
    } else {
      // The element types other than VARIANT are read into a VARIANT of that type;
      // SafeArrayGetElement copies strings and adds a reference to objects.
      VARIANT* slot = item.put();
      hr = SafeArrayGetElement(array, &i, &slot->lVal);
      if (SUCCEEDED(hr)) slot->vt = element;
    }
    if (FAILED(hr)) return ListFailure("配列の値を読めません", hr);
    list.push_back(std::move(item));
  }
  return list;
}

}  // namespace mirune::com
