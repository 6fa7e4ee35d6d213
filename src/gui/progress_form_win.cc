#include "gui/progress_form_win.h"

#include "base/os_error_text.h"
#include "base/wide_text.h"
#include "gui/forms/control_class_win.h"
#include "gui/forms/win_font_win.h"

namespace mirune {

bool CreateFormControls(HWND parent, std::span<const ControlLayout> controls, HFONT font, int dpi) {
  HINSTANCE instance = reinterpret_cast<HINSTANCE>(GetWindowLongPtrW(parent, GWLP_HINSTANCE));
  for (const ControlLayout& control_layout : controls) {
    const ControlClass control_class = ControlClassOf(control_layout.kind);
    const std::wstring caption = Wide(control_layout.caption);
    HWND control = CreateWindowExW(
        control_class.ex_style, control_class.name, caption.c_str(),
        WS_CHILD | WS_VISIBLE | WS_CLIPSIBLINGS | control_class.style,
        TwipsToPixels(control_layout.rect.left, dpi), TwipsToPixels(control_layout.rect.top, dpi),
        TwipsToPixels(control_layout.rect.width, dpi),
        TwipsToPixels(control_layout.rect.height, dpi), parent,
        reinterpret_cast<HMENU>(static_cast<INT_PTR>(control_layout.id)), instance, nullptr);
    if (control == nullptr) return false;
    SendMessageW(control, WM_SETFONT, reinterpret_cast<WPARAM>(font), FALSE);
    // A later child goes below the earlier ones; the bar must lie above its track.
    if (control_layout.kind == ControlKind::kBar) {
      SetWindowPos(control, HWND_TOP, 0, 0, 0, 0, SWP_NOMOVE | SWP_NOSIZE | SWP_NOACTIVATE);
    }
    if (control_layout.kind == ControlKind::kPicture) {
      SendMessageW(control, STM_SETICON,
                   reinterpret_cast<WPARAM>(LoadIconW(nullptr, IDI_INFORMATION)), 0);
      SetWindowPos(control, nullptr, 0, 0, TwipsToPixels(control_layout.rect.width, dpi),
                   TwipsToPixels(control_layout.rect.height, dpi),
                   SWP_NOMOVE | SWP_NOZORDER | SWP_NOACTIVATE);
    }
  }
  return true;
}

void LayoutFormControls(HWND parent, std::span<const ControlLayout> controls, HFONT font, int dpi) {
  for (const ControlLayout& control_layout : controls) {
    HWND control = GetDlgItem(parent, control_layout.id);
    if (control == nullptr) continue;
    SetWindowPos(control, nullptr, TwipsToPixels(control_layout.rect.left, dpi),
                 TwipsToPixels(control_layout.rect.top, dpi),
                 TwipsToPixels(control_layout.rect.width, dpi),
                 TwipsToPixels(control_layout.rect.height, dpi), SWP_NOZORDER | SWP_NOACTIVATE);
    SendMessageW(control, WM_SETFONT, reinterpret_cast<WPARAM>(font), FALSE);
  }
}

void SizeFormWindow(HWND hwnd, int client_width_twips, int client_height_twips, int dpi) {
  RECT rect{0, 0, TwipsToPixels(client_width_twips, dpi), TwipsToPixels(client_height_twips, dpi)};
  const DWORD style = static_cast<DWORD>(GetWindowLongPtrW(hwnd, GWL_STYLE));
  const DWORD ex_style = static_cast<DWORD>(GetWindowLongPtrW(hwnd, GWL_EXSTYLE));
  AdjustWindowRectEx(&rect, style, FALSE, ex_style);
  SetWindowPos(hwnd, nullptr, 0, 0, rect.right - rect.left, rect.bottom - rect.top,
               SWP_NOMOVE | SWP_NOZORDER | SWP_NOACTIVATE);
}

HBRUSH ColourFormControl(HDC dc, HWND control, HBRUSH bar_brush, bool track_text_white) {
  const int id = GetDlgCtrlID(control);
  if (id == kIdBar) return bar_brush;
  if (id == kIdTrack) {
    SetTextColor(dc, track_text_white ? RGB(255, 255, 255) : GetSysColor(COLOR_WINDOWTEXT));
    SetBkColor(dc, GetSysColor(COLOR_WINDOW));
    return GetSysColorBrush(COLOR_WINDOW);
  }
  return nullptr;
}

void SetControlText(HWND parent, int id, std::string_view utf8) {
  HWND control = GetDlgItem(parent, id);
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

Result<FormResources> FurnishForm(HWND hwnd, const FormDefinition& definition) {
  FormResources form;
  form.dpi = WindowDpi(hwnd);
  form.font.reset(CreateFormFont(form.dpi, false));
  form.bar_brush.reset(CreateSolidBrush(kBarColour));
  if (!CreateFormControls(hwnd, definition.controls, form.font.get(), form.dpi)) {
    return Error{ErrorCode::kUnsupported,
                 std::string(definition.what) +
                     "の部品を作成できませんでした: " + WindowsErrorCause(GetLastError())};
  }
  SizeFormWindow(hwnd, definition.client_width_twips, definition.client_height_twips, form.dpi);
  return form;
}

void PlaceOverOwner(HWND hwnd, int slot, int dpi) {
  HWND owner = GetWindow(hwnd, GW_OWNER);
  if (owner == nullptr || !IsWindowVisible(owner) || IsIconic(owner)) return;
  const DWORD style = static_cast<DWORD>(GetWindowLongPtrW(hwnd, GWL_STYLE));
  const DWORD ex_style = static_cast<DWORD>(GetWindowLongPtrW(hwnd, GWL_EXSTYLE));
  auto outer = [&](int width_twips, int height_twips) {
    RECT rect{0, 0, TwipsToPixels(width_twips, dpi), TwipsToPixels(height_twips, dpi)};
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
  SetWindowPos(hwnd, nullptr, place.left, place.top, 0, 0,
               SWP_NOSIZE | SWP_NOZORDER | SWP_NOACTIVATE);
}

bool HandleFormMessage(const FormMessageContext& form, UINT message, WPARAM wparam, LPARAM lparam,
                       LRESULT& result) {
  switch (message) {
    case WM_CLOSE:
      if (!form.flags.job_running) ShowWindow(form.hwnd, SW_HIDE);
      result = 0;
      return true;
    case WM_CTLCOLORSTATIC: {
      HBRUSH brush =
          ColourFormControl(reinterpret_cast<HDC>(wparam), reinterpret_cast<HWND>(lparam),
                            form.bar_brush, form.track_text_white);
      if (brush == nullptr) return false;
      result = reinterpret_cast<LRESULT>(brush);
      return true;
    }
    case WM_DPICHANGED: {
      const auto* suggested = reinterpret_cast<const RECT*>(lparam);
      form.apply_dpi(HIWORD(wparam));
      SetWindowPos(form.hwnd, nullptr, suggested->left, suggested->top,
                   suggested->right - suggested->left, suggested->bottom - suggested->top,
                   SWP_NOZORDER | SWP_NOACTIVATE);
      result = 0;
      return true;
    }
    default:
      return false;
  }
}

}  // namespace mirune
