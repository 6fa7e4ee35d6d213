#include "gui/forms/layout_form_win.h"

#include <commctrl.h>

#include "base/os_error_text.h"
#include "base/wide_text.h"
#include "gui/forms/control_class_win.h"
#include "gui/forms/win_font_win.h"

namespace mirune {

namespace {

constexpr DWORD kFormStyle = WS_OVERLAPPED | WS_CAPTION | WS_SYSMENU | WS_MINIMIZEBOX;
// How far a drop-down list opens, in pixels at 96 dpi.
constexpr int kDropDownHeight = 160;

}  // namespace

Status LayoutForm::CreateFromTable(const LayoutFormDefinition& definition, HWND owner) {
  controls_ = definition.controls;
  client_width_twips_ = definition.client_width_twips;
  client_height_twips_ = definition.client_height_twips;
  const std::wstring class_name = Wide(definition.class_name);
  MIRUNE_RETURN_IF_ERROR(CreateFormWindow({.class_name = class_name.c_str(),
                                           .caption = definition.caption,
                                           .what = definition.what,
                                           .style = kFormStyle,
                                           .owner = owner}));
  CreateControls();
  ApplyDpi(WindowDpi(hwnd()));
  return Status::Ok();
}

LRESULT LayoutForm::HandleMessage(UINT message, WPARAM wparam, LPARAM lparam) {
  LRESULT result = 0;
  if (OnMessage(message, wparam, lparam, result)) return result;
  switch (message) {
    case WM_COMMAND:
      if (lparam != 0) OnCommand(LOWORD(wparam), HIWORD(wparam));
      return 0;
    case WM_CLOSE:
      OnClose();
      return 0;
    case WM_CTLCOLORSTATIC: {
      // The read-only text boxes are for reading: the window's colours, not the dialog's.
      HWND control = reinterpret_cast<HWND>(lparam);
      const int id = GetDlgCtrlID(control);
      for (const ControlLayout& control_layout : controls_) {
        if (control_layout.id == id && control_layout.kind == ControlKind::kTextBox) {
          HDC dc = reinterpret_cast<HDC>(wparam);
          SetTextColor(dc, GetSysColor(COLOR_WINDOWTEXT));
          SetBkColor(dc, GetSysColor(COLOR_WINDOW));
          return reinterpret_cast<LRESULT>(GetSysColorBrush(COLOR_WINDOW));
        }
      }
      return DefWindowProcW(hwnd(), message, wparam, lparam);
    }
    default:
      return DefWindowProcW(hwnd(), message, wparam, lparam);
  }
}

void LayoutForm::CreateControls() {
  HINSTANCE instance = GetModuleHandleW(nullptr);
  for (const ControlLayout& control_layout : controls_) {
    const ControlClass control_class = ControlClassOf(control_layout.kind);
    const std::wstring caption = Wide(control_layout.caption);
    HWND control = CreateWindowExW(
        control_class.ex_style, control_class.name, caption.c_str(),
        WS_CHILD | WS_VISIBLE | WS_CLIPSIBLINGS | control_class.style, 0, 0, 10, 10, hwnd(),
        reinterpret_cast<HMENU>(static_cast<INT_PTR>(control_layout.id)), instance, nullptr);
    if (control_layout.kind == ControlKind::kPicture && control) {
      if (!icon_) {
        icon_.reset(
            static_cast<HICON>(LoadImageW(instance, MAKEINTRESOURCEW(1), IMAGE_ICON, 48, 48, 0)));
      }
      if (icon_) SendMessageW(control, STM_SETICON, reinterpret_cast<WPARAM>(icon_.get()), 0);
    }
  }
  // Tab strips and frames below everything else, strips lowest: a later child lies below the
  // earlier ones, so each goes to the bottom, frames first.
  for (ControlKind kind : {ControlKind::kFrame, ControlKind::kTabStrip}) {
    for (const ControlLayout& control_layout : controls_) {
      if (control_layout.kind != kind) continue;
      SetWindowPos(control(control_layout.id), HWND_BOTTOM, 0, 0, 0, 0,
                   SWP_NOMOVE | SWP_NOSIZE | SWP_NOACTIVATE);
    }
  }
}

RECT LayoutForm::PlaceOf(const ControlLayout& control_layout) const {
  const PixelRect rect = TwipsToPixels(control_layout.rect, dpi_);
  RECT place{rect.left, rect.top, rect.left + rect.width, rect.top + rect.height};
  if (control_layout.container == 0) return place;
  HWND container = control(control_layout.container);
  if (!container) return place;
  RECT outer;
  GetWindowRect(container, &outer);
  MapWindowPoints(nullptr, hwnd(), reinterpret_cast<POINT*>(&outer), 2);
  wchar_t class_name[64] = {};
  GetClassNameW(container, class_name, 64);
  if (control_layout.kind == ControlKind::kFrame && rect.width == 0 && rect.height == 0 &&
      lstrcmpiW(class_name, WC_TABCONTROLW) == 0) {
    // The display area of the strip: its client area less the tabs.
    RECT display{0, 0, outer.right - outer.left, outer.bottom - outer.top};
    SendMessageW(container, TCM_ADJUSTRECT, FALSE, reinterpret_cast<LPARAM>(&display));
    OffsetRect(&display, outer.left, outer.top);
    return display;
  }
  OffsetRect(&place, outer.left, outer.top);
  return place;
}

void LayoutForm::ApplyDpi(int dpi) {
  dpi_ = dpi;
  font_.reset(CreateFormFont(dpi, false));
  bold_font_.reset(CreateFormFont(dpi, true));
  const DWORD style = static_cast<DWORD>(GetWindowLongPtrW(hwnd(), GWL_STYLE));
  const SIZE outer = WindowSizeForClient(TwipsToPixels(client_width_twips_, dpi),
                                         TwipsToPixels(client_height_twips_, dpi), style, 0, dpi);
  SetWindowPos(hwnd(), nullptr, 0, 0, outer.cx, outer.cy,
               SWP_NOMOVE | SWP_NOZORDER | SWP_NOACTIVATE);
  for (const ControlLayout& control_layout : controls_) {
    HWND child = control(control_layout.id);
    if (!child) continue;
    SendMessageW(child, WM_SETFONT,
                 reinterpret_cast<WPARAM>(control_layout.bold ? bold_font_.get() : font_.get()),
                 FALSE);
    if (control_layout.kind == ControlKind::kTabStrip) {
      SendMessageW(
          child, TCM_SETITEMSIZE, 0,
          MAKELPARAM(TwipsToPixels(kTabWidthTwips, dpi), TwipsToPixels(kTabHeightTwips, dpi)));
    }
    RECT place = PlaceOf(control_layout);
    int height = place.bottom - place.top;
    if (control_layout.kind == ControlKind::kChoiceList ||
        control_layout.kind == ControlKind::kDriveList ||
        control_layout.kind == ControlKind::kFilterBox) {
      height += MulDiv(kDropDownHeight, dpi, 96);
    }
    SetWindowPos(child, nullptr, place.left, place.top, place.right - place.left, height,
                 SWP_NOZORDER | SWP_NOACTIVATE);
    // List items as tall as the font's text with its underscores.
    const int row = TextRowHeight(font_.get());
    if (control_layout.kind == ControlKind::kFolderList ||
        control_layout.kind == ControlKind::kFileList) {
      SendMessageW(child, LB_SETITEMHEIGHT, 0, row);
    } else if (height != place.bottom - place.top) {  // a combo box
      SendMessageW(child, CB_SETITEMHEIGHT, 0, row);
      // The closed box draws its choice a pixel inside a field that it clips a pixel inside
      // its edges: the field is the row and those pixels.
      const int field = row + 4;
      if (SendMessageW(child, CB_GETITEMHEIGHT, static_cast<WPARAM>(-1), 0) < field) {
        SendMessageW(child, CB_SETITEMHEIGHT, static_cast<WPARAM>(-1), field);
      }
    }
  }
  OnLayout();
  InvalidateRect(hwnd(), nullptr, TRUE);
}

void LayoutForm::Show() {
  if (!hwnd()) return;
  if (!shown_before_) {
    shown_before_ = true;
    // Centred on the owner, or on the screen.
    RECT outer, around;
    GetWindowRect(hwnd(), &outer);
    HWND owner = GetWindow(hwnd(), GW_OWNER);
    if (owner && IsWindowVisible(owner)) {
      GetWindowRect(owner, &around);
    } else {
      MONITORINFO monitor{};
      monitor.cbSize = sizeof(monitor);
      GetMonitorInfoW(MonitorFromWindow(hwnd(), MONITOR_DEFAULTTOPRIMARY), &monitor);
      around = monitor.rcWork;
    }
    const int width = outer.right - outer.left, height = outer.bottom - outer.top;
    SetWindowPos(hwnd(), nullptr, (around.left + around.right - width) / 2,
                 (around.top + around.bottom - height) / 2, 0, 0,
                 SWP_NOSIZE | SWP_NOZORDER | SWP_NOACTIVATE);
  }
  ShowWindow(hwnd(), IsIconic(hwnd()) ? SW_RESTORE : SW_SHOW);
  SetForegroundWindow(hwnd());
}

void LayoutForm::Hide() {
  if (hwnd()) ShowWindow(hwnd(), SW_HIDE);
}

std::string LayoutForm::ControlText(int id) const {
  HWND child = control(id);
  if (!child) return {};
  const int length = GetWindowTextLengthW(child);
  std::wstring text(static_cast<size_t>(length) + 1, L'\0');
  text.resize(static_cast<size_t>(GetWindowTextW(child, text.data(), length + 1)));
  return Narrow(text);
}

void LayoutForm::SetControlText(int id, std::string_view text) {
  if (HWND child = control(id)) SetWindowTextW(child, Wide(text).c_str());
}

void LayoutForm::SetChoices(int id, std::span<const std::string_view> items, int chosen) {
  HWND child = control(id);
  if (!child) return;
  SendMessageW(child, CB_RESETCONTENT, 0, 0);
  for (std::string_view item : items) {
    SendMessageW(child, CB_ADDSTRING, 0, reinterpret_cast<LPARAM>(Wide(item).c_str()));
  }
  SendMessageW(child, CB_SETCURSEL, static_cast<WPARAM>(chosen), 0);
}

int LayoutForm::Chosen(int id) const {
  const LRESULT index = SendMessageW(control(id), CB_GETCURSEL, 0, 0);
  return index < 0 ? 0 : static_cast<int>(index);
}

}  // namespace mirune
