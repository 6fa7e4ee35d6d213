#include <windows.h>

#include "base/cp932_platform.h"

namespace mirune::platform {

std::optional<uint16_t> Cp932EncodeRaw(char16_t c) {
  const wchar_t in = static_cast<wchar_t>(c);
  char out[4];
  BOOL used_default = FALSE;
  // No best fit: Windows would otherwise substitute look-alikes (U+00A5 to 5C).
  const int n = WideCharToMultiByte(932, WC_NO_BEST_FIT_CHARS, &in, 1, out, sizeof(out), nullptr,
                                    &used_default);
  if (n <= 0 || used_default) return std::nullopt;
  if (n == 1) return static_cast<uint16_t>(static_cast<unsigned char>(out[0]));
  return static_cast<uint16_t>(static_cast<unsigned char>(out[0]) << 8 |
                               static_cast<unsigned char>(out[1]));
}

std::optional<char16_t> Cp932DecodeRaw(uint16_t code) {
  char in[2];
  int len = 0;
  if (code > 0xFF) in[len++] = static_cast<char>(code >> 8);
  in[len++] = static_cast<char>(code & 0xFF);
  wchar_t out[4];
  const int n = MultiByteToWideChar(932, MB_ERR_INVALID_CHARS, in, len, out, 4);
  if (n != 1) return std::nullopt;
  return static_cast<char16_t>(out[0]);
}

}  // namespace mirune::platform
