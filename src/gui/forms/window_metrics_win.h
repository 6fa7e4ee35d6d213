#pragma once

// Two helpers every window of the program needs, apart from any layout table: the dpi of a
// window and whether a font face is installed. Windows build only.

#ifdef _WIN32

#include <windows.h>

#include <string_view>

namespace mirune {

// The dpi of `hwnd` (GetDpiForWindow where user32 has it, else the screen's); 96 when
// neither answers.
int WindowDpi(HWND hwnd);

// The face the forms ask for first.
inline constexpr std::wstring_view kFormFontFace = L"ＭＳ Ｐゴシック";

// Whether a font face is installed (EnumFontFamiliesExW).
bool FontFaceInstalled(std::wstring_view face);

// The Japanese proportional Gothic face the windows use: "ＭＳ Ｐゴシック", else the first
// installed of its other names and of IPA's proportional Gothic (Wine); empty when none is
// installed (the system's message font is used then). The system's fallback face draws "_"
// in no pixel at 9 points under Wine, so names with underscores would lose them.
std::wstring_view FormFontFaceInstalled();

}  // namespace mirune

#endif  // _WIN32
