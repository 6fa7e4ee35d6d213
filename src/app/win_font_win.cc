#include "app/win_font_win.h"

#include <algorithm>

#include "app/form_layout.h"
#include "app/win_text_win.h"

namespace mirune {
namespace {

// Functions of Windows 10 (1607 and later), looked up so the program also starts on older
// systems.
template <typename F>
F User32Function(const char* name) {
  HMODULE user32 = GetModuleHandleW(L"user32.dll");
  return user32 ? reinterpret_cast<F>(reinterpret_cast<void*>(GetProcAddress(user32, name)))
                : nullptr;
}

}  // namespace

HFONT CreateFormFont(int dpi, bool bold) {
  LOGFONTW font{};
  font.lfHeight = -MulDiv(main_form::kFormFontPoints, dpi, 72);
  font.lfWeight = bold ? FW_BOLD : FW_NORMAL;
  font.lfCharSet = SHIFTJIS_CHARSET;
  font.lfQuality = DEFAULT_QUALITY;
  const std::wstring face = Wide(main_form::kFormFontFace);
  if (FontFaceInstalled(face)) {
    lstrcpynW(font.lfFaceName, face.c_str(), LF_FACESIZE);
  } else {
    NONCLIENTMETRICSW metrics{};
    metrics.cbSize = sizeof(metrics);
    if (SystemParametersInfoW(SPI_GETNONCLIENTMETRICS, sizeof(metrics), &metrics, 0)) {
      lstrcpynW(font.lfFaceName, metrics.lfMessageFont.lfFaceName, LF_FACESIZE);
      font.lfCharSet = metrics.lfMessageFont.lfCharSet;
    }
  }
  return CreateFontIndirectW(&font);
}

int TextRowHeight(HFONT font) {
  HDC dc = GetDC(nullptr);
  HGDIOBJ old = SelectObject(dc, font);
  TEXTMETRICW metrics{};
  GetTextMetricsW(dc, &metrics);
  LONG below = metrics.tmDescent;
  GLYPHMETRICS glyph{};
  const MAT2 identity{{0, 1}, {0, 0}, {0, 0}, {0, 1}};
  if (GetGlyphOutlineW(dc, L'_', GGO_METRICS, &glyph, 0, nullptr, &identity) != GDI_ERROR) {
    // The glyph's origin is the top of its black box, measured upwards from the baseline.
    below = std::max(below, static_cast<LONG>(glyph.gmBlackBoxY) - glyph.gmptGlyphOrigin.y);
  }
  SelectObject(dc, old);
  ReleaseDC(nullptr, dc);
  return static_cast<int>(metrics.tmAscent + below + 1);
}

SIZE WindowSizeForClient(int width, int height, DWORD style, DWORD ex_style, int dpi) {
  RECT rect{0, 0, width, height};
  using AdjustForDpiFn = BOOL(WINAPI*)(LPRECT, DWORD, BOOL, DWORD, UINT);
  static const auto adjust = User32Function<AdjustForDpiFn>("AdjustWindowRectExForDpi");
  if (!adjust || !adjust(&rect, style, FALSE, ex_style, static_cast<UINT>(dpi))) {
    AdjustWindowRectEx(&rect, style, FALSE, ex_style);
  }
  return {rect.right - rect.left, rect.bottom - rect.top};
}

}  // namespace mirune
