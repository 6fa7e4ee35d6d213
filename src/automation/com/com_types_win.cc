#include "automation/com/com_types_win.h"

#include <cstring>

#include "automation/com/hresult_text.h"
#include "base/utf.h"

namespace mirune::com {

UniqueBstr& UniqueBstr::operator=(UniqueBstr&& other) noexcept {
  if (this != &other) {
    reset();
    bstr_ = other.release();
  }
  return *this;
}

void UniqueBstr::reset() {
  if (bstr_ != nullptr) SysFreeString(bstr_);
  bstr_ = nullptr;
}

Result<UniqueBstr> UniqueBstr::FromUtf8(std::string_view utf8) {
  const std::u16string wide = Utf8ToUtf16(utf8);
  BSTR b = SysAllocStringLen(reinterpret_cast<const OLECHAR*>(wide.data()),
                             static_cast<UINT>(wide.size()));
  if (b == nullptr) return Error{ErrorCode::kInternal, "文字列のメモリが足りません"};
  return UniqueBstr(b);
}

std::string UniqueBstr::ToUtf8() const { return BstrToUtf8(bstr_); }

std::string BstrToUtf8(BSTR bstr) {
  if (bstr == nullptr) return {};
  return Utf16ToUtf8(
      std::u16string_view(reinterpret_cast<const char16_t*>(bstr), SysStringLen(bstr)));
}

UniqueVariant::UniqueVariant(UniqueVariant&& other) noexcept {
  // A VARIANT is plain data: moving its bits moves the ownership.
  std::memcpy(&v_, &other.v_, sizeof(v_));
  VariantInit(&other.v_);
}

UniqueVariant& UniqueVariant::operator=(UniqueVariant&& other) noexcept {
  if (this != &other) {
    VariantClear(&v_);
    std::memcpy(&v_, &other.v_, sizeof(v_));
    VariantInit(&other.v_);
  }
  return *this;
}

UniqueVariant UniqueVariant::Int32(int32_t value) {
  UniqueVariant v;
  v.v_.vt = VT_I4;
  v.v_.lVal = value;
  return v;
}

UniqueVariant UniqueVariant::Double(double value) {
  UniqueVariant v;
  v.v_.vt = VT_R8;
  v.v_.dblVal = value;
  return v;
}

UniqueVariant UniqueVariant::Bool(bool value) {
  UniqueVariant v;
  v.v_.vt = VT_BOOL;
  v.v_.boolVal = value ? VARIANT_TRUE : VARIANT_FALSE;
  return v;
}

Result<UniqueVariant> UniqueVariant::Text(std::string_view utf8) {
  MIRUNE_ASSIGN_OR_RETURN(UniqueBstr b, UniqueBstr::FromUtf8(utf8));
  UniqueVariant v;
  v.v_.vt = VT_BSTR;
  v.v_.bstrVal = b.release();
  return v;
}

UniqueVariant UniqueVariant::Dispatch(IDispatch* object) {
  UniqueVariant v;
  v.v_.vt = VT_DISPATCH;
  v.v_.pdispVal = object;
  if (object != nullptr) object->AddRef();
  return v;
}

UniqueVariant UniqueVariant::Missing() {
  UniqueVariant v;
  v.v_.vt = VT_ERROR;
  v.v_.scode = DISP_E_PARAMNOTFOUND;
  return v;
}

UniqueVariant UniqueVariant::Adopt(const VARIANT& value) {
  UniqueVariant v;
  std::memcpy(&v.v_, &value, sizeof(value));
  return v;
}

Result<UniqueVariant> UniqueVariant::Copy() const {
  UniqueVariant copy;
  const HRESULT hr = VariantCopy(&copy.v_, const_cast<VARIANT*>(&v_));
  if (FAILED(hr)) {
    return Error{ErrorCode::kInternal, "値を複製できません（" + HresultDetail(hr) + "）"};
  }
  return copy;
}

namespace {

// The value coerced to `type`, or the Japanese cause naming what was expected.
Result<UniqueVariant> Coerce(const VARIANT& value, VARTYPE type, const char* expected) {
  UniqueVariant out;
  const HRESULT hr = VariantChangeType(out.get_mut(), const_cast<VARIANT*>(&value), 0, type);
  if (FAILED(hr)) {
    return Error{ErrorCode::kHostError, std::string("返された値が") + expected +
                                            "ではありません（" + HresultDetail(hr) + "）"};
  }
  return out;
}

}  // namespace

Result<int32_t> VariantToInt32(const VARIANT& value) {
  MIRUNE_ASSIGN_OR_RETURN(UniqueVariant v, Coerce(value, VT_I4, "整数"));
  return static_cast<int32_t>(v.get().lVal);
}

Result<double> VariantToDouble(const VARIANT& value) {
  MIRUNE_ASSIGN_OR_RETURN(UniqueVariant v, Coerce(value, VT_R8, "数値"));
  return v.get().dblVal;
}

Result<bool> VariantToBool(const VARIANT& value) {
  MIRUNE_ASSIGN_OR_RETURN(UniqueVariant v, Coerce(value, VT_BOOL, "真偽値"));
  return v.get().boolVal != VARIANT_FALSE;
}

Result<std::string> VariantToUtf8(const VARIANT& value) {
  if (value.vt == VT_BSTR) return BstrToUtf8(value.bstrVal);
  MIRUNE_ASSIGN_OR_RETURN(UniqueVariant v, Coerce(value, VT_BSTR, "文字列"));
  return BstrToUtf8(v.get().bstrVal);
}

Result<ComPtr<IDispatch>> VariantToDispatch(const VARIANT& value) {
  ComPtr<IDispatch> object;
  if (value.vt == VT_DISPATCH && value.pdispVal != nullptr) {
    object = value.pdispVal;
  } else if (value.vt == VT_UNKNOWN && value.punkVal != nullptr) {
    value.punkVal->QueryInterface(__uuidof(IDispatch), object.put_void());
  }
  if (!object) return Error{ErrorCode::kHostError, "返された値がオブジェクトではありません"};
  return object;
}

ComApartment::ComApartment() : hr_(CoInitializeEx(nullptr, COINIT_APARTMENTTHREADED)) {}

ComApartment::~ComApartment() {
  if (SUCCEEDED(hr_)) CoUninitialize();
}

Status ComApartment::status() const {
  if (SUCCEEDED(hr_)) return Status::Ok();
  return Status(ErrorCode::kHostError, "COM を初期化できません（" + HresultDetail(hr_) + "）");
}

}  // namespace mirune::com
