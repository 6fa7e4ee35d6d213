#include "gui/forms/form_win.h"

#include <string>

#include "base/os_error_text.h"
#include "base/wide_text.h"

namespace mirune {
namespace {

// WM_DPICHANGED, which older headers lack.
constexpr UINT kDpiChanged = 0x02E0;

}  // namespace

Form::~Form() {
  if (hwnd_ == nullptr) return;
  // The derived form is gone already: the window's last messages must not reach it.
  SetWindowLongPtrW(hwnd_, GWLP_USERDATA, 0);
  DestroyWindow(hwnd_);
}

void Form::Unload() {
  if (hwnd_ != nullptr) DestroyWindow(hwnd_);
}

Status Form::CreateFormWindow(const FormWindowOptions& options) {
  const std::string what(options.what);
  HINSTANCE instance = GetModuleHandleW(nullptr);
  WNDCLASSEXW window_class{};
  window_class.cbSize = sizeof(window_class);
  window_class.lpfnWndProc = Procedure;
  window_class.hInstance = instance;
  if (options.program_icon) window_class.hIcon = LoadIconW(instance, MAKEINTRESOURCEW(1));
  window_class.hCursor =
      LoadCursorW(nullptr, MAKEINTRESOURCEW(options.wait_cursor ? 32514 : 32512));  // wait, arrow
  window_class.hbrBackground = reinterpret_cast<HBRUSH>(COLOR_BTNFACE + 1);
  window_class.lpszClassName = options.class_name;
  if (!RegisterClassExW(&window_class) && GetLastError() != ERROR_CLASS_ALREADY_EXISTS) {
    return Status(ErrorCode::kUnsupported,
                  what + "を作成できません: " + WindowsErrorCause(GetLastError()));
  }
  const std::wstring caption = Wide(options.caption);
  CreateWindowExW(options.ex_style, options.class_name, caption.c_str(), options.style,
                  CW_USEDEFAULT, CW_USEDEFAULT, 100, 100, options.owner, nullptr, instance, this);
  if (hwnd_ == nullptr) {
    return Status(ErrorCode::kUnsupported,
                  what + "を作成できません: " + WindowsErrorCause(GetLastError()));
  }
  return Status::Ok();
}

LRESULT Form::HandleMessage(UINT message, WPARAM wparam, LPARAM lparam) {
  return DefWindowProcW(hwnd_, message, wparam, lparam);
}

LRESULT CALLBACK Form::Procedure(HWND hwnd, UINT message, WPARAM wparam, LPARAM lparam) {
  if (message == WM_NCCREATE) {
    auto* self = static_cast<Form*>(reinterpret_cast<CREATESTRUCTW*>(lparam)->lpCreateParams);
    self->hwnd_ = hwnd;
    SetWindowLongPtrW(hwnd, GWLP_USERDATA, reinterpret_cast<LONG_PTR>(self));
  }
  auto* self = reinterpret_cast<Form*>(GetWindowLongPtrW(hwnd, GWLP_USERDATA));
  if (self == nullptr) return DefWindowProcW(hwnd, message, wparam, lparam);
  if (message == kDpiChanged) {
    const auto* suggested = reinterpret_cast<const RECT*>(lparam);
    self->ApplyDpi(HIWORD(wparam));
    SetWindowPos(hwnd, nullptr, suggested->left, suggested->top, 0, 0,
                 SWP_NOSIZE | SWP_NOZORDER | SWP_NOACTIVATE);
    return 0;
  }
  if (message == WM_NCDESTROY) {
    SetWindowLongPtrW(hwnd, GWLP_USERDATA, 0);
    self->hwnd_ = nullptr;
    return DefWindowProcW(hwnd, message, wparam, lparam);
  }
  return self->HandleMessage(message, wparam, lparam);
}

}  // namespace mirune
