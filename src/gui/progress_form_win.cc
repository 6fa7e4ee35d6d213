#include "gui/progress_form_win.h"

#include <string>

#include "base/os_error_text.h"
#include "base/wide_text.h"
#include "gui/forms/control_class_win.h"
#include "gui/forms/win_font_win.h"
#include "gui/forms/window_metrics_win.h"
#include "gui/progress_layout.h"

namespace mirune {
namespace {

constexpr DWORD kProgressFormStyle = WS_OVERLAPPED | WS_CAPTION | WS_SYSMENU | WS_CLIPCHILDREN;
// The colour of the filled bar.
constexpr COLORREF kBarColour = RGB(0, 0, 160);

// Resizes `hwnd` so that its client area is width × height twips at `dpi`.
void SizeFormWindow(HWND hwnd, int client_width_twips, int client_height_twips, int dpi) {
  RECT rect{0, 0, TwipsToPixels(client_width_twips, dpi), TwipsToPixels(client_height_twips, dpi)};
  const DWORD style = static_cast<DWORD>(GetWindowLongPtrW(hwnd, GWL_STYLE));
  const DWORD ex_style = static_cast<DWORD>(GetWindowLongPtrW(hwnd, GWL_EXSTYLE));
  AdjustWindowRectEx(&rect, style, FALSE, ex_style);
  SetWindowPos(hwnd, nullptr, 0, 0, rect.right - rect.left, rect.bottom - rect.top,
               SWP_NOMOVE | SWP_NOZORDER | SWP_NOACTIVATE);
}

}  // namespace

Status ProgressForm::Make(HWND owner) {
  MIRUNE_RETURN_IF_ERROR(CreateFormWindow({.class_name = table_.class_name,
                                           .caption = table_.caption,
                                           .what = table_.what,
                                           .style = kProgressFormStyle,
                                           .owner = owner,
                                           .program_icon = false}));
  bar_brush_.reset(CreateSolidBrush(kBarColour));
  HINSTANCE instance = GetModuleHandleW(nullptr);
  for (const ControlLayout& control_layout : table_.controls) {
    const ControlClass control_class = ControlClassOf(control_layout.kind);
    const std::wstring caption = Wide(control_layout.caption);
    HWND control = CreateWindowExW(
        control_class.ex_style, control_class.name, caption.c_str(),
        WS_CHILD | WS_VISIBLE | WS_CLIPSIBLINGS | control_class.style, 0, 0, 0, 0, hwnd(),
        reinterpret_cast<HMENU>(static_cast<INT_PTR>(control_layout.id)), instance, nullptr);
    if (control == nullptr) {
      return Status(ErrorCode::kUnsupported,
                    std::string(table_.what) +
                        "の部品を作成できませんでした: " + WindowsErrorCause(GetLastError()));
    }
    // A later child goes below the earlier ones; the bar must lie above its track.
    if (control_layout.kind == ControlKind::kBar) {
      SetWindowPos(control, HWND_TOP, 0, 0, 0, 0, SWP_NOMOVE | SWP_NOSIZE | SWP_NOACTIVATE);
    }
    if (control_layout.kind == ControlKind::kPicture) {
      SendMessageW(control, STM_SETICON,
                   reinterpret_cast<WPARAM>(LoadIconW(nullptr, IDI_INFORMATION)), 0);
    }
  }
  ApplyDpi(WindowDpi(hwnd()));
  return Status::Ok();
}

void ProgressForm::ApplyDpi(int dpi) {
  dpi_ = dpi;
  font_.reset(CreateFormFont(dpi, false));
  for (const ControlLayout& control_layout : table_.controls) {
    HWND control = GetDlgItem(hwnd(), control_layout.id);
    if (control == nullptr) continue;
    // The picture too: setting its icon sized it to the icon.
    const PixelRect rect = TwipsToPixels(control_layout.rect, dpi);
    SetWindowPos(control, nullptr, rect.left, rect.top, rect.width, rect.height,
                 SWP_NOZORDER | SWP_NOACTIVATE);
    SendMessageW(control, WM_SETFONT, reinterpret_cast<WPARAM>(font_.get()), FALSE);
  }
  SizeFormWindow(hwnd(), table_.client_width_twips, table_.client_height_twips, dpi);
  OnLayout();
}

void ProgressForm::PlaceOverOwner(int slot) {
  HWND owner = GetWindow(hwnd(), GW_OWNER);
  if (owner == nullptr || !IsWindowVisible(owner) || IsIconic(owner)) return;
  const DWORD style = static_cast<DWORD>(GetWindowLongPtrW(hwnd(), GWL_STYLE));
  const DWORD ex_style = static_cast<DWORD>(GetWindowLongPtrW(hwnd(), GWL_EXSTYLE));
  auto outer = [&](int width_twips, int height_twips) {
    RECT rect{0, 0, TwipsToPixels(width_twips, dpi_), TwipsToPixels(height_twips, dpi_)};
    AdjustWindowRectEx(&rect, style, FALSE, ex_style);
    return ScreenBox{0, 0, rect.right - rect.left, rect.bottom - rect.top};
  };
  RECT owner_rect;
  GetWindowRect(owner, &owner_rect);
  MONITORINFO monitor{};
  monitor.cbSize = sizeof(monitor);
  if (!GetMonitorInfoW(MonitorFromWindow(owner, MONITOR_DEFAULTTONEAREST), &monitor)) return;
  const RECT& work = monitor.rcWork;
  const ScreenBox place = ProgressWindowPlace(
      slot,
      {owner_rect.left, owner_rect.top, owner_rect.right - owner_rect.left,
       owner_rect.bottom - owner_rect.top},
      outer(kForm2ClientWidth, kForm2ClientHeight), outer(kForm6ClientWidth, kForm6ClientHeight),
      {work.left, work.top, work.right - work.left, work.bottom - work.top});
  SetWindowPos(hwnd(), nullptr, place.left, place.top, 0, 0,
               SWP_NOSIZE | SWP_NOZORDER | SWP_NOACTIVATE);
}

void ProgressForm::SetText(int id, std::string_view utf8) {
  HWND control = GetDlgItem(hwnd(), id);
  if (control == nullptr) return;
  const std::wstring text = Wide(utf8);
  const int length = GetWindowTextLengthW(control);
  if (length == static_cast<int>(text.size())) {
    std::wstring shown(static_cast<size_t>(length) + 1, L'\0');
    GetWindowTextW(control, shown.data(), length + 1);
    shown.resize(static_cast<size_t>(length));
    if (shown == text) return;
  }
  SetWindowTextW(control, text.c_str());
}

void ProgressForm::SetTrackTextWhite(bool white) {
  if (track_text_white_ == white) return;
  track_text_white_ = white;
  InvalidateRect(GetDlgItem(hwnd(), kIdTrack), nullptr, TRUE);
}

HBRUSH ProgressForm::ColourControl(HDC dc, HWND control) const {
  const int id = GetDlgCtrlID(control);
  if (id == kIdBar) return bar_brush_.get();
  if (id == kIdTrack) {
    SetTextColor(dc, track_text_white_ ? RGB(255, 255, 255) : GetSysColor(COLOR_WINDOWTEXT));
    SetBkColor(dc, GetSysColor(COLOR_WINDOW));
    return GetSysColorBrush(COLOR_WINDOW);
  }
  return nullptr;
}

LRESULT ProgressForm::HandleMessage(UINT message, WPARAM wparam, LPARAM lparam) {
  LRESULT result = 0;
  if (OnMessage(message, wparam, lparam, result)) return result;
  switch (message) {
    case WM_CLOSE:
      if (!job_flags_.job_running) ShowWindow(hwnd(), SW_HIDE);
      return 0;
    case WM_CTLCOLORSTATIC:
      if (HBRUSH brush =
              ColourControl(reinterpret_cast<HDC>(wparam), reinterpret_cast<HWND>(lparam))) {
        return reinterpret_cast<LRESULT>(brush);
      }
      break;
    default:
      break;
  }
  return DefWindowProcW(hwnd(), message, wparam, lparam);
}

}  // namespace mirune
