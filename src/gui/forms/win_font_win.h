#pragma once

// The forms' font and the monitor's dpi.

#include <windows.h>

#include "gui/forms/window_metrics_win.h"

namespace mirune {

// The size of the forms' font, in points.
inline constexpr int kFormFontPoints = 9;

// "ＭＳ Ｐゴシック" at 9 points for `dpi`, normal or bold, or the system's UI font face (the
// Japanese one on a Japanese Windows) when the machine lacks it; never null (the stock GUI
// font last). The caller owns it (UniqueFont, gui/forms/gdi_owner_win.h). The dpi of a
// window and the installed faces: gui/forms/window_metrics_win.h.
HFONT CreateFormFont(int dpi, bool bold);

// The height a row of text in `font` needs so that nothing of it is cut: the ascent and the
// deeper of the descent and the underscore's lowest pixel (some faces draw "_" below their
// descent, and a list item or a combo box item of the text height then cuts it off), plus
// one pixel.
int TextRowHeight(HFONT font);

// The outer size of a window whose client area is `width` × `height` pixels at `dpi`.
SIZE WindowSizeForClient(int width, int height, DWORD style, DWORD ex_style, int dpi);

}  // namespace mirune
