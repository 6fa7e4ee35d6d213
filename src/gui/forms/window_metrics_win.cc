#include "gui/forms/window_metrics_win.h"

#include <algorithm>

namespace mirune {
namespace {

int CALLBACK NoteFontFace(const LOGFONTW*, const TEXTMETRICW*, DWORD, LPARAM found) {
  *reinterpret_cast<bool*>(found) = true;
  return 0;  // one is enough
}

}  // namespace

int WindowDpi(HWND hwnd) {
  using DpiForWindow = UINT(WINAPI*)(HWND);
  // Looked up at run time: older systems have no per-window dpi.
  static const auto dpi_for_window = reinterpret_cast<DpiForWindow>(
      reinterpret_cast<void*>(GetProcAddress(GetModuleHandleW(L"user32.dll"), "GetDpiForWindow")));
  if (dpi_for_window != nullptr && hwnd != nullptr) {
    const UINT dpi = dpi_for_window(hwnd);
    if (dpi != 0) return static_cast<int>(dpi);
  }
  HDC screen = GetDC(nullptr);
  const int dpi = screen != nullptr ? GetDeviceCaps(screen, LOGPIXELSY) : 0;
  if (screen != nullptr) ReleaseDC(nullptr, screen);
  return dpi > 0 ? dpi : 96;
}

bool FontFaceInstalled(std::wstring_view face) {
  LOGFONTW wanted{};
  wanted.lfCharSet = DEFAULT_CHARSET;
  const size_t n = std::min(face.size(), static_cast<size_t>(LF_FACESIZE - 1));
  face.copy(wanted.lfFaceName, n);
  bool found = false;
  HDC screen = GetDC(nullptr);
  if (screen == nullptr) return false;
  EnumFontFamiliesExW(screen, &wanted, NoteFontFace, reinterpret_cast<LPARAM>(&found), 0);
  ReleaseDC(nullptr, screen);
  return found;
}

std::wstring_view FormFontFaceInstalled() {
  for (std::wstring_view face :
       {kFormFontFace, std::wstring_view(L"MS PGothic"), std::wstring_view(L"IPAPGothic"),
        std::wstring_view(L"IPA Pゴシック")}) {
    if (FontFaceInstalled(face)) return face;
  }
  return {};
}

}  // namespace mirune
