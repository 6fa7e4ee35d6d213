#pragma once

// Owners and conversions of the COM automation types (Windows build): BSTR, VARIANT, interface
// pointers and the thread's COM apartment. Text crosses into and out of them as UTF-8.

#include <windows.h>
// windows.h first: the OLE headers rely on its types.
#include <oleauto.h>

#include <cstdint>
#include <string>
#include <string_view>

#include "automation/com/com_ptr_win.h"
#include "base/result.h"

namespace mirune::com {

// Owns one BSTR (SysFreeString on destruction). Null is the empty text.
class UniqueBstr {
 public:
  UniqueBstr() = default;
  explicit UniqueBstr(BSTR adopted) : bstr_(adopted) {}
  UniqueBstr(UniqueBstr&& other) noexcept : bstr_(other.release()) {}
  UniqueBstr& operator=(UniqueBstr&& other) noexcept;
  UniqueBstr(const UniqueBstr&) = delete;
  UniqueBstr& operator=(const UniqueBstr&) = delete;
  ~UniqueBstr() { reset(); }

  // A new BSTR holding `utf8`; fails only when memory runs out.
  static Result<UniqueBstr> FromUtf8(std::string_view utf8);

  BSTR get() const { return bstr_; }
  // Frees the held string and gives its slot to a function that writes a new one.
  BSTR* put() {
    reset();
    return &bstr_;
  }
  BSTR release() {
    BSTR b = bstr_;
    bstr_ = nullptr;
    return b;
  }
  void reset();
  std::string ToUtf8() const;

 private:
  BSTR bstr_ = nullptr;
};

// UTF-8 of a BSTR (null gives "").
std::string BstrToUtf8(BSTR bstr);

// Owns one VARIANT (VariantClear on destruction). Move-only; Copy() makes a deep copy.
class UniqueVariant {
 public:
  UniqueVariant() { VariantInit(&v_); }
  UniqueVariant(UniqueVariant&& other) noexcept;
  UniqueVariant& operator=(UniqueVariant&& other) noexcept;
  UniqueVariant(const UniqueVariant&) = delete;
  UniqueVariant& operator=(const UniqueVariant&) = delete;
  ~UniqueVariant() { VariantClear(&v_); }

  static UniqueVariant Int32(int32_t value);
  static UniqueVariant Double(double value);
  static UniqueVariant Bool(bool value);
  static Result<UniqueVariant> Text(std::string_view utf8);
  // Holds its own reference to `object` (may be null).
  static UniqueVariant Dispatch(IDispatch* object);
  // An optional argument left out (VT_ERROR, DISP_E_PARAMNOTFOUND).
  static UniqueVariant Missing();
  // Takes over `value`, which the caller must no longer clear.
  static UniqueVariant Adopt(const VARIANT& value);

  Result<UniqueVariant> Copy() const;

  const VARIANT& get() const { return v_; }
  VARIANT* get_mut() { return &v_; }
  // Clears the held value and gives its slot to a function that writes a new one.
  VARIANT* put() {
    VariantClear(&v_);
    return &v_;
  }
  VARTYPE type() const { return v_.vt; }
  bool empty() const { return v_.vt == VT_EMPTY; }

 private:
  VARIANT v_;
};

// Conversions of a returned value, with the automation coercions (VariantChangeType): a
// number given as text converts, text that is not a number fails. The error texts are
// Japanese and name the expected kind; the caller prefixes the member.
Result<int32_t> VariantToInt32(const VARIANT& value);
Result<double> VariantToDouble(const VARIANT& value);
Result<bool> VariantToBool(const VARIANT& value);
Result<std::string> VariantToUtf8(const VARIANT& value);
// VT_DISPATCH (or VT_UNKNOWN that offers IDispatch); null objects fail.
Result<ComPtr<IDispatch>> VariantToDispatch(const VARIANT& value);

// The thread's COM apartment, single-threaded as in a UI program: CoInitializeEx on
// construction, CoUninitialize on destruction when it succeeded. A thread already in the
// same apartment succeeds too (the calls are counted); one in a multithreaded apartment fails.
class ComApartment {
 public:
  ComApartment();
  ~ComApartment();
  ComApartment(const ComApartment&) = delete;
  ComApartment& operator=(const ComApartment&) = delete;

  Status status() const;

 private:
  HRESULT hr_;
};

}  // namespace mirune::com
