#pragma once

// The forms' font and the monitor's dpi.

#include <windows.h>

#include "progress/window_metrics_win.h"

namespace mirune {

// "ＭＳ Ｐゴシック" at 9 points for `dpi`, normal or bold, or the system's UI font face (the
// Japanese one on a Japanese Windows) when the machine lacks it. The caller deletes it. The
// forms' own helpers (the dpi of a window: WindowDpi; the installed faces) are in
// progress/form_window_win.h, shared with the progress windows.
HFONT CreateFormFont(int dpi, bool bold);

// The outer size of a window whose client area is `width` × `height` pixels at `dpi`.
SIZE WindowSizeForClient(int width, int height, DWORD style, DWORD ex_style, int dpi);

}  // namespace mirune
