#include "gui/splash_window_win.h"

#include <chrono>

#include "base/wide_text.h"
#include "desktop/desktop.h"
#include "gui/form_layout.h"
#include "gui/forms/message_pump_win.h"
#include "gui/forms/win_font_win.h"

namespace mirune {

using namespace main_form;  // NOLINT: this window's own layout table
namespace {

constexpr DWORD kSplashStyle = WS_POPUP | WS_CAPTION | WS_BORDER;

}  // namespace

std::unique_ptr<SplashWindow> SplashWindow::Show(HINSTANCE instance) {
  const std::wstring class_name = Wide(kSplashWindowClass);
  WNDCLASSEXW window_class{};
  window_class.cbSize = sizeof(window_class);
  window_class.lpfnWndProc = DefWindowProcW;
  window_class.hInstance = instance;
  window_class.hCursor = LoadCursorW(nullptr, MAKEINTRESOURCEW(32514));  // IDC_WAIT
  window_class.hbrBackground = reinterpret_cast<HBRUSH>(COLOR_BTNFACE + 1);
  window_class.lpszClassName = class_name.c_str();
  RegisterClassExW(&window_class);

  std::unique_ptr<SplashWindow> splash(new SplashWindow());
  splash->hwnd_ =
      CreateWindowExW(WS_EX_TOPMOST, class_name.c_str(), Wide(kProductTitle).c_str(), kSplashStyle,
                      0, 0, 100, 100, nullptr, nullptr, instance, nullptr);
  if (!splash->hwnd_) return nullptr;
  const int dpi = WindowDpi(splash->hwnd_);
  splash->font_.reset(CreateFormFont(dpi, false));
  const SIZE outer =
      WindowSizeForClient(TwipsToPixels(kSplashClientWidthTwips, dpi),
                          TwipsToPixels(kSplashClientHeightTwips, dpi), kSplashStyle, 0, dpi);
  MONITORINFO monitor{};
  monitor.cbSize = sizeof(monitor);
  GetMonitorInfoW(MonitorFromWindow(splash->hwnd_, MONITOR_DEFAULTTOPRIMARY), &monitor);
  SetWindowPos(splash->hwnd_, nullptr, (monitor.rcWork.left + monitor.rcWork.right - outer.cx) / 2,
               (monitor.rcWork.top + monitor.rcWork.bottom - outer.cy) / 2, outer.cx, outer.cy,
               SWP_NOZORDER | SWP_NOACTIVATE);
  for (const ControlLayout& control_layout : SplashWindowControls()) {
    const PixelRect rect = TwipsToPixels(control_layout.rect, dpi);
    const bool image = control_layout.id == kIdSplashIcon;
    HWND control = CreateWindowExW(
        0, L"STATIC", image ? L"" : Wide(control_layout.caption).c_str(),
        WS_CHILD | WS_VISIBLE | (image ? SS_ICON | SS_CENTERIMAGE : SS_LEFT), rect.left, rect.top,
        rect.width, rect.height, splash->hwnd_,
        reinterpret_cast<HMENU>(static_cast<INT_PTR>(control_layout.id)), instance, nullptr);
    if (image) {
      HICON icon = static_cast<HICON>(
          LoadImageW(instance, MAKEINTRESOURCEW(1), IMAGE_ICON, rect.width, rect.height, 0));
      if (icon) SendMessageW(control, STM_SETICON, reinterpret_cast<WPARAM>(icon), 0);
    } else {
      SendMessageW(control, WM_SETFONT, reinterpret_cast<WPARAM>(splash->font_.get()), FALSE);
    }
  }
  ShowWindow(splash->hwnd_, SW_SHOWNORMAL);
  UpdateWindow(splash->hwnd_);
  DispatchPendingPaints();
  return splash;
}

SplashWindow::~SplashWindow() {
  if (hwnd_) DestroyWindow(hwnd_);
}

}  // namespace mirune
