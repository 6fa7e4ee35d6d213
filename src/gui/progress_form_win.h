#pragma once

// What the progress window and the abort window share on Windows, over the window framework
// (gui/forms): their style, their controls built from their layout tables
// (gui/progress_layout.h), the bar's colour, their place over the main window, the messages
// both answer alike, and texts set from UTF-8 without needless repaints. Windows build only.

#ifdef _WIN32

#include <windows.h>
// winbase.h still defines the 16-bit Yield() as a macro; ProgressView has a member of that name.
#undef Yield

#include <functional>
#include <span>
#include <string>
#include <string_view>

#include "base/result.h"
#include "desktop/desktop.h"
#include "gui/forms/gdi_owner_win.h"
#include "gui/forms/message_pump_win.h"
#include "gui/forms/window_metrics_win.h"
#include "gui/progress_layout.h"

namespace mirune {

#ifndef WM_DPICHANGED
#define WM_DPICHANGED 0x02E0
#endif

// The style of both forms: a caption with the close box, fixed size.
inline constexpr DWORD kProgressFormStyle =
    WS_OVERLAPPED | WS_CAPTION | WS_SYSMENU | WS_CLIPCHILDREN;

// What furnishes one form: its controls and client size in twips; `what` names the window
// in failures ("進行状況ウィンドウ").
struct FormDefinition {
  std::string_view what;
  std::span<const ControlLayout> controls;
  int client_width_twips;
  int client_height_twips;
};

// The resources of a furnished form, which the form keeps.
struct FormResources {
  int dpi = 96;
  UniqueFont font;
  UniqueBrush bar_brush;
};

// Makes the controls of a form's window `hwnd` (made hidden by Form::CreateFormWindow) in the
// forms' font at the window's dpi, and sizes it. kUnsupported with a Japanese cause naming
// the window when Windows refuses; the form then destroys its window as it goes.
Result<FormResources> FurnishForm(HWND hwnd, const FormDefinition& definition);

// The messages both forms answer alike; true (and `result` set) when `message` was one:
//   WM_CLOSE         the close box, the system menu and Alt+F4 hide the form unless a job runs
//                    (the program's own close hides it directly, never through here);
//   WM_CTLCOLORSTATIC the bar and the track's text colour (ColourFormControl);
//   WM_DPICHANGED    `apply_dpi` with the new dpi, then the suggested rectangle.
struct FormMessageContext {
  HWND hwnd;
  const JobFlags& flags;
  HBRUSH bar_brush;
  bool track_text_white;
  const std::function<void(int)>& apply_dpi;
};
bool HandleFormMessage(const FormMessageContext& form, UINT message, WPARAM wparam, LPARAM lparam,
                       LRESULT& result);

// Places a form over its owner (the main window) as ProgressWindowPlace says: `slot` 0 for
// Form2, 1 for Form6. Both forms' sizes come from their tables at the form's dpi. A form
// without an owner stays where it is.
void PlaceOverOwner(HWND hwnd, int slot, int dpi);

// Creates every control of `controls` as a child of `parent`, sized for `dpi`, with
// `font`. False when a control cannot be created.
bool CreateFormControls(HWND parent, std::span<const ControlLayout> controls, HFONT font, int dpi);

// Moves every control of `controls` to its place at `dpi` and gives it `font` (after a dpi
// change). The bar takes its width from the table; its owner sets its current width after.
void LayoutFormControls(HWND parent, std::span<const ControlLayout> controls, HFONT font, int dpi);

// Resizes `hwnd` so that its client area is width × height twips at `dpi`.
void SizeFormWindow(HWND hwnd, int client_width_twips, int client_height_twips, int dpi);

// The colour of the filled bar.
inline constexpr COLORREF kBarColour = RGB(0, 0, 160);

// WM_CTLCOLORSTATIC of both forms: the bar is painted with `bar_brush`, the track as a text
// box (window colour; its text white when `track_text_white`). Null for every other control
// (the caller lets DefWindowProc answer).
HBRUSH ColourFormControl(HDC dc, HWND control, HBRUSH bar_brush, bool track_text_white);

// Sets a control's text; nothing is sent when the text is already shown, so a job updating
// a field with the same value causes no repaint.
void SetControlText(HWND parent, int id, std::string_view utf8);

}  // namespace mirune

#endif  // _WIN32
