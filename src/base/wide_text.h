#pragma once

// UTF-8 ↔ the UTF-16 of the W functions (wchar_t is 16 bits on Windows): the one conversion
// of the Windows code, over base/utf.h. Windows build only.

#ifdef _WIN32

#include <string>
#include <string_view>

#include "base/utf.h"

namespace mirune {

inline std::wstring Wide(std::string_view utf8) {
  const std::u16string u16 = Utf8ToUtf16(utf8);
  return std::wstring(u16.begin(), u16.end());
}

inline std::string Narrow(std::wstring_view wide) {
  return Utf16ToUtf8(
      std::u16string_view(reinterpret_cast<const char16_t*>(wide.data()), wide.size()));
}

}  // namespace mirune

#endif  // _WIN32
