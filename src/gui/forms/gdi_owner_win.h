#pragma once

// Owners of the GDI objects and icons a form makes (fonts, brushes, icons, bitmaps, memory
// device contexts): each deletes its
// handle when it goes or is given another, so no form deletes one by hand. Move-only.
// Windows build only.

#include <windows.h>

#include <utility>

namespace mirune {

template <typename Handle, BOOL(WINAPI* Delete)(Handle)>
class UniqueGdiHandle {
 public:
  UniqueGdiHandle() = default;
  explicit UniqueGdiHandle(Handle handle) : handle_(handle) {}
  ~UniqueGdiHandle() { reset(); }
  UniqueGdiHandle(UniqueGdiHandle&& other) noexcept
      : handle_(std::exchange(other.handle_, nullptr)) {}
  UniqueGdiHandle& operator=(UniqueGdiHandle&& other) noexcept {
    if (this != &other) reset(std::exchange(other.handle_, nullptr));
    return *this;
  }
  UniqueGdiHandle(const UniqueGdiHandle&) = delete;
  UniqueGdiHandle& operator=(const UniqueGdiHandle&) = delete;

  Handle get() const { return handle_; }
  explicit operator bool() const { return handle_ != nullptr; }
  // Takes `handle` (may be null) and deletes the one held before.
  void reset(Handle handle = nullptr) {
    if (handle_ != nullptr && handle_ != handle) Delete(handle_);
    handle_ = handle;
  }

 private:
  Handle handle_ = nullptr;
};

// Plain functions of this module (the system's are imported, so their addresses are no
// constants a template can take).
namespace gdi_owner_internal {
inline BOOL WINAPI DeleteFontObject(HFONT font) { return DeleteObject(font); }
inline BOOL WINAPI DeleteBrushObject(HBRUSH brush) { return DeleteObject(brush); }
inline BOOL WINAPI DestroyIconObject(HICON icon) { return DestroyIcon(icon); }
inline BOOL WINAPI DeleteBitmapObject(HBITMAP bitmap) { return DeleteObject(bitmap); }
inline BOOL WINAPI DeleteMemoryDc(HDC dc) { return DeleteDC(dc); }
}  // namespace gdi_owner_internal

using UniqueFont = UniqueGdiHandle<HFONT, gdi_owner_internal::DeleteFontObject>;
using UniqueBrush = UniqueGdiHandle<HBRUSH, gdi_owner_internal::DeleteBrushObject>;
using UniqueIcon = UniqueGdiHandle<HICON, gdi_owner_internal::DestroyIconObject>;
using UniqueBitmap = UniqueGdiHandle<HBITMAP, gdi_owner_internal::DeleteBitmapObject>;
// A device context made by CreateCompatibleDC (not one from GetDC, which is released).
using UniqueMemoryDc = UniqueGdiHandle<HDC, gdi_owner_internal::DeleteMemoryDc>;

}  // namespace mirune
