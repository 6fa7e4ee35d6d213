#pragma once

// The base of every window of the program (the main window, the splash, the progress and
// abort windows, and the forms made from a layout table). A form owns its window: the window
// is made by CreateFormWindow with the form as its creation parameter, every message after
// goes to the form's HandleMessage, and the window is destroyed with the form or by Unload
// (the form's unload), whichever comes first. The form may outlive its window: hwnd() is
// null once the window is gone, whoever destroyed it. A form is neither copied nor moved
// (its window holds its address). Everything here runs on the thread that made the window.
// Windows build only.

#ifdef _WIN32

#include <windows.h>

#include <string_view>

#include "base/result.h"

namespace mirune {

// What makes a form's window.
struct FormWindowOptions {
  const wchar_t* class_name;  // registered on the first window of the process
  std::string_view caption;
  std::string_view what;  // names the window in failures ("進行状況ウィンドウ")
  DWORD style;
  DWORD ex_style = 0;
  HWND owner = nullptr;
  bool program_icon = true;  // the program's icon (resource 1) in the caption
  bool wait_cursor = false;  // the hourglass over the window (the splash) instead of the arrow
};

class Form {
 public:
  virtual ~Form();
  Form(const Form&) = delete;
  Form& operator=(const Form&) = delete;

  // Null once the window is destroyed.
  HWND hwnd() const { return hwnd_; }
  HWND control(int id) const { return hwnd_ ? GetDlgItem(hwnd_, id) : nullptr; }
  bool exists() const { return hwnd_ != nullptr; }

  // Destroys the window (the form's unload); the form stays.
  void Unload();

 protected:
  Form() = default;

  // Registers the class and creates the window, hidden, 100 × 100 pixels at the system's
  // default place (its owner sizes and places it after). kUnsupported with the cause naming
  // the window when Windows refuses. Precondition: the form has no window yet.
  Status CreateFormWindow(const FormWindowOptions& options);

  // Every message of the window from its creation to WM_NCDESTROY, except WM_DPICHANGED and
  // WM_NCDESTROY (which the base handles); DefWindowProc unless overridden.
  virtual LRESULT HandleMessage(UINT message, WPARAM wparam, LPARAM lparam);

  // Places the controls and sizes the window for `dpi`. The base calls it when the window
  // moves to a monitor of another dpi, then moves the window where Windows suggests; forms
  // call it themselves when they are made. Nothing unless overridden.
  virtual void ApplyDpi(int dpi) {}

 private:
  static LRESULT CALLBACK Procedure(HWND hwnd, UINT message, WPARAM wparam, LPARAM lparam);

  HWND hwnd_ = nullptr;
};

}  // namespace mirune

#endif  // _WIN32
