#include "analysis/char_class.h"

#include "base/cp932.h"
#include "base/utf.h"

namespace mirune {

std::string PadHex4(std::string_view text) {
  std::string out;
  if (text.size() >= 1 && text.size() <= 3) out.assign(4 - text.size(), '0');
  out.append(text);
  return out;
}

uint16_t CharacterCode(char32_t c) { return Cp932Code(c).value_or(0x3F); }

std::string CharacterCodeText(char32_t c) {
  static constexpr char kHex[] = "0123456789ABCDEF";
  uint16_t code = CharacterCode(c);
  // Hexadecimal without leading zeros, as the platform writes a number; then padded.
  std::string hex;
  do {
    hex.insert(hex.begin(), kHex[code & 0xF]);
    code >>= 4;
  } while (code != 0);
  return PadHex4(hex);
}

bool CountsAsKanji(char32_t c) {
  const uint16_t code = CharacterCode(c);
  return (code >= 0x8157 && code <= 0x815A) || NeedsRecheck(c);
}

bool NeedsRecheck(char32_t c) {
  const uint16_t code = CharacterCode(c);
  return (code >= 0x889F && code <= 0xEEEC) || (code >= 0xFA5C && code <= 0xFC4B);
}

std::string ToHiragana(std::string_view utf8) {
  std::string out;
  out.reserve(utf8.size());
  size_t pos = 0;
  while (pos < utf8.size()) {
    char32_t c = DecodeUtf8(utf8, pos);
    if (!Cp932Code(c)) {
      c = U'?';
    } else if ((c >= U'ァ' && c <= U'ヶ') || c == U'ヽ' || c == U'ヾ') {
      // The hiragana block mirrors the katakana block 0x60 lower; only counterparts that
      // code page 932 holds are taken (not ゔ ゕ ゖ).
      const char32_t h = c - 0x60;
      if (Cp932Code(h)) c = h;
    }
    AppendUtf8(out, c);
  }
  return out;
}

}  // namespace mirune
