#pragma once

// The forms' font and the monitor's dpi.

#include <windows.h>

namespace mirune {

// "ＭＳ Ｐゴシック" at 9 points for `dpi`, or the system's UI font face (the Japanese one on a
// Japanese Windows) when the machine lacks it. The caller deletes it.
HFONT CreateFormFont(int dpi, bool bold);

// The dpi of the monitor that shows `hwnd` (96 before Windows 10's per-monitor dpi).
int WindowDpi(HWND hwnd);

// The outer size of a window whose client area is `width` × `height` pixels at `dpi`.
SIZE WindowSizeForClient(int width, int height, DWORD style, DWORD ex_style, int dpi);

}  // namespace mirune
