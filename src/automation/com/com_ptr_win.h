#pragma once

// ComPtr<T>: an owning, reference-counted pointer to a COM interface (Windows build).
// Copying AddRefs, destruction Releases; Attach adopts a reference the caller already holds.
// The project's own because mingw-w64's <wrl/client.h> is unsound: its Attach AddRefs the
// adopted pointer (so every object made by `new` and attached leaks) and its move
// assignment copies.

#include <windows.h>
// windows.h first: the OLE headers rely on its types.
#include <unknwn.h>

#include <cstddef>
#include <type_traits>
#include <utility>

namespace mirune::com {

template <typename T>
class ComPtr {
 public:
  using InterfaceType = T;

  ComPtr() = default;
  ComPtr(std::nullptr_t) {}  // NOLINT: implicit like a raw pointer
  // Takes a new reference to `p`.
  template <typename U, typename = std::enable_if_t<std::is_convertible_v<U*, T*>>>
  ComPtr(U* p) : p_(p) {  // NOLINT
    if (p_ != nullptr) p_->AddRef();
  }
  ComPtr(const ComPtr& other) : ComPtr(other.p_) {}
  template <typename U, typename = std::enable_if_t<std::is_convertible_v<U*, T*>>>
  ComPtr(const ComPtr<U>& other) : ComPtr(other.Get()) {}  // NOLINT
  ComPtr(ComPtr&& other) noexcept : p_(other.Detach()) {}
  template <typename U, typename = std::enable_if_t<std::is_convertible_v<U*, T*>>>
  ComPtr(ComPtr<U>&& other) noexcept : p_(other.Detach()) {}  // NOLINT
  ~ComPtr() { Reset(); }

  ComPtr& operator=(ComPtr other) noexcept {
    std::swap(p_, other.p_);
    return *this;
  }

  T* Get() const { return p_; }
  T* operator->() const { return p_; }
  T& operator*() const { return *p_; }
  explicit operator bool() const { return p_ != nullptr; }

  // Releases the held reference.
  void Reset() {
    if (p_ != nullptr) {
      T* p = p_;
      p_ = nullptr;
      p->Release();
    }
  }
  // Adopts `p` without AddRef (a reference the caller owns, as `new` gives).
  void Attach(T* p) {
    Reset();
    p_ = p;
  }
  // Hands the held reference to the caller.
  T* Detach() {
    T* p = p_;
    p_ = nullptr;
    return p;
  }
  // Releases the held reference and gives the slot to a function that writes a new one.
  T** put() {
    Reset();
    return &p_;
  }
  void** put_void() { return reinterpret_cast<void**>(put()); }

  // QueryInterface for U.
  template <typename U>
  HRESULT As(ComPtr<U>* out) const {
    if (p_ == nullptr) return E_POINTER;
    return p_->QueryInterface(__uuidof(U), out->put_void());
  }

 private:
  T* p_ = nullptr;
};

}  // namespace mirune::com
