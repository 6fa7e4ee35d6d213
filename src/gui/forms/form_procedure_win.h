#pragma once

// The window procedure of a form object (Form2, Form6): the object arrives as the creation
// parameter of WM_NCCREATE, takes its window handle there, and handles every message after
// through its member Handle(message, wparam, lparam) until WM_NCDESTROY, where it lets go of
// the handle (the object may outlive its window). A form class names this procedure as its
// class's procedure and befriends it. Windows build only.

#ifdef _WIN32

#include <windows.h>

namespace mirune {

template <typename Form>
LRESULT CALLBACK FormObjectProcedure(HWND hwnd, UINT message, WPARAM wparam, LPARAM lparam) {
  if (message == WM_NCCREATE) {
    auto* self = static_cast<Form*>(reinterpret_cast<CREATESTRUCTW*>(lparam)->lpCreateParams);
    self->hwnd_ = hwnd;
    SetWindowLongPtrW(hwnd, GWLP_USERDATA, reinterpret_cast<LONG_PTR>(self));
  }
  auto* self = reinterpret_cast<Form*>(GetWindowLongPtrW(hwnd, GWLP_USERDATA));
  if (self == nullptr) return DefWindowProcW(hwnd, message, wparam, lparam);
  if (message == WM_NCDESTROY) {
    SetWindowLongPtrW(hwnd, GWLP_USERDATA, 0);
    self->hwnd_ = nullptr;
    return DefWindowProcW(hwnd, message, wparam, lparam);
  }
  return self->Handle(message, wparam, lparam);
}

}  // namespace mirune

#endif  // _WIN32
