#include "gui/forms/win_font_win.h"

#include <algorithm>
#include <cstdint>

#include "base/wide_text.h"
#include "gui/forms/gdi_owner_win.h"

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
  font.lfHeight = -MulDiv(kFormFontPoints, dpi, 72);
  font.lfWeight = bold ? FW_BOLD : FW_NORMAL;
  font.lfCharSet = SHIFTJIS_CHARSET;
  font.lfQuality = DEFAULT_QUALITY;
  const std::wstring face(FormFontFaceInstalled());
  if (!face.empty()) {
    lstrcpynW(font.lfFaceName, face.c_str(), LF_FACESIZE);
  } else {
    NONCLIENTMETRICSW metrics{};
    metrics.cbSize = sizeof(metrics);
    if (SystemParametersInfoW(SPI_GETNONCLIENTMETRICS, sizeof(metrics), &metrics, 0)) {
      lstrcpynW(font.lfFaceName, metrics.lfMessageFont.lfFaceName, LF_FACESIZE);
      font.lfCharSet = metrics.lfMessageFont.lfCharSet;
    }
  }
  HFONT made = CreateFontIndirectW(&font);
  // Never null: the stock GUI font is the last resort (deleting a stock object does nothing).
  return made != nullptr ? made : static_cast<HFONT>(GetStockObject(DEFAULT_GUI_FONT));
}

int TextRowHeight(HFONT font) {
  HDC screen = GetDC(nullptr);
  const UniqueMemoryDc memory_dc(CreateCompatibleDC(screen));
  ReleaseDC(nullptr, screen);
  HDC dc = memory_dc.get();
  HGDIOBJ old_font = SelectObject(dc, font);
  TEXTMETRICW metrics{};
  GetTextMetricsW(dc, &metrics);
  int bottom = metrics.tmHeight;  // one past the lowest row the text may paint
  GLYPHMETRICS glyph{};
  const MAT2 identity{{0, 1}, {0, 0}, {0, 0}, {0, 1}};
  if (GetGlyphOutlineW(dc, L'_', GGO_METRICS, &glyph, 0, nullptr, &identity) != GDI_ERROR) {
    // The glyph's origin is the top of its black box, measured upwards from the baseline.
    bottom = std::max(
        bottom, static_cast<int>(metrics.tmAscent + glyph.gmBlackBoxY - glyph.gmptGlyphOrigin.y));
  }
  // What the metrics say is checked against the underscore as it is drawn (a face linked in
  // for the Latin letters may draw it lower than the face's own metrics say): drawn at the
  // top of a bitmap three rows of text tall, its lowest painted row counts too.
  const int width = std::max<int>(metrics.tmMaxCharWidth, 8) * 2;
  const int height = metrics.tmHeight * 3;
  BITMAPINFO info{};
  info.bmiHeader = {sizeof(BITMAPINFOHEADER), width, -height, 1, 32, BI_RGB, 0, 0, 0, 0, 0};
  void* bits = nullptr;
  const UniqueBitmap bitmap(CreateDIBSection(dc, &info, DIB_RGB_COLORS, &bits, nullptr, 0));
  if (bitmap && bits != nullptr && height > 0) {
    HGDIOBJ old_bitmap = SelectObject(dc, bitmap.get());
    RECT all{0, 0, width, height};
    FillRect(dc, &all, static_cast<HBRUSH>(GetStockObject(WHITE_BRUSH)));
    SetBkMode(dc, TRANSPARENT);
    SetTextColor(dc, RGB(0, 0, 0));
    TextOutW(dc, 1, 0, L"_", 1);
    GdiFlush();
    const auto* pixels = static_cast<const uint32_t*>(bits);
    for (int y = height - 1; y >= 0; --y) {
      bool painted = false;
      for (int x = 0; x < width && !painted; ++x) {
        painted = (pixels[y * width + x] & 0xFFFFFF) != 0xFFFFFF;
      }
      if (painted) {
        bottom = std::max(bottom, y + 1);
        break;
      }
    }
    SelectObject(dc, old_bitmap);
  }
  SelectObject(dc, old_font);
  return bottom + 1;
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
