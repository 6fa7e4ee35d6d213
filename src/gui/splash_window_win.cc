#include "gui/splash_window_win.h"

#include <chrono>

#include "base/wide_text.h"
#include "desktop/desktop.h"
#include "gui/form_layout.h"
#include "gui/forms/control_class_win.h"
#include "gui/forms/message_pump_win.h"
#include "gui/forms/win_font_win.h"

namespace mirune {

using namespace main_form;  // NOLINT: this window's own layout table
namespace {

constexpr DWORD kSplashStyle = WS_POPUP | WS_CAPTION | WS_BORDER;

}  // namespace

std::unique_ptr<SplashWindow> SplashWindow::Show(HINSTANCE instance) {
  const std::wstring class_name = Wide(kSplashWindowClass);
  std::unique_ptr<SplashWindow> splash(new SplashWindow());
  const Status made = splash->CreateFormWindow({.class_name = class_name.c_str(),
                                                .caption = kProductTitle,
                                                .what = "スプラッシュ画面",
                                                .style = kSplashStyle,
                                                .ex_style = WS_EX_TOPMOST,
                                                .program_icon = false,
                                                .wait_cursor = true});
  if (!made.ok()) return nullptr;
  const int dpi = WindowDpi(splash->hwnd());
  splash->font_.reset(CreateFormFont(dpi, false));
  const SIZE outer =
      WindowSizeForClient(TwipsToPixels(kSplashClientWidthTwips, dpi),
                          TwipsToPixels(kSplashClientHeightTwips, dpi), kSplashStyle, 0, dpi);
  MONITORINFO monitor{};
  monitor.cbSize = sizeof(monitor);
  GetMonitorInfoW(MonitorFromWindow(splash->hwnd(), MONITOR_DEFAULTTOPRIMARY), &monitor);
  SetWindowPos(splash->hwnd(), nullptr, (monitor.rcWork.left + monitor.rcWork.right - outer.cx) / 2,
               (monitor.rcWork.top + monitor.rcWork.bottom - outer.cy) / 2, outer.cx, outer.cy,
               SWP_NOZORDER | SWP_NOACTIVATE);
  for (const ControlLayout& control_layout : SplashWindowControls()) {
    const PixelRect rect = TwipsToPixels(control_layout.rect, dpi);
    const bool image = control_layout.kind == ControlKind::kPicture;
    const ControlClass control_class = ControlClassOf(control_layout.kind);
    HWND control = CreateWindowExW(
        control_class.ex_style, control_class.name, Wide(control_layout.caption).c_str(),
        WS_CHILD | WS_VISIBLE | control_class.style, rect.left, rect.top, rect.width, rect.height,
        splash->hwnd(), reinterpret_cast<HMENU>(static_cast<INT_PTR>(control_layout.id)), instance,
        nullptr);
    if (image) {
      splash->icon_.reset(static_cast<HICON>(
          LoadImageW(instance, MAKEINTRESOURCEW(1), IMAGE_ICON, rect.width, rect.height, 0)));
      if (splash->icon_) {
        SendMessageW(control, STM_SETICON, reinterpret_cast<WPARAM>(splash->icon_.get()), 0);
      }
    } else {
      SendMessageW(control, WM_SETFONT, reinterpret_cast<WPARAM>(splash->font_.get()), FALSE);
    }
  }
  ShowWindow(splash->hwnd(), SW_SHOWNORMAL);
  UpdateWindow(splash->hwnd());
  DispatchPendingPaints();
  return splash;
}

}  // namespace mirune
