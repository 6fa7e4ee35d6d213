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

bool IsCjkIdeograph(char32_t c) {
  return (c >= 0x3400 && c <= 0x4DBF) ||  // extension A
         (c >= 0x4E00 && c <= 0x9FFF) ||  // unified ideographs
         (c >= 0xF900 && c <= 0xFAFF) ||  // compatibility ideographs
         (c >= 0x20000 && c <= 0x323AF);  // extensions B to H, compatibility supplement
}

bool CountsAsKanji(char32_t c) {
  // Below 々 (U+3005) and in the kana blocks, code page 932 holds no kanji: the common
  // characters of a term are told without the table.
  if (c < 0x3005 || (c >= 0x3040 && c <= 0x30FF)) return false;
  const uint16_t code = CharacterCode(c);
  return (code >= 0x8157 && code <= 0x815A) || NeedsRecheck(c);
}

bool NeedsRecheck(char32_t c) {
  // Every kanji of the re-check, in code page 932 or not, lies from U+3400 on.
  if (c < 0x3400) return false;
  const std::optional<uint16_t> code = Cp932Code(c);
  // A kanji beyond code page 932 (𠮷) is a kanji all the same: taking its "?" would hide it
  // from the lookup and from the re-check.
  if (!code) return IsCjkIdeograph(c);
  return (*code >= 0x889F && *code <= 0xEEEC) || (*code >= 0xFA5C && *code <= 0xFC4B);
}

bool HoldsKanji(std::string_view utf8) {
  size_t pos = 0;
  while (pos < utf8.size()) {
    if (CountsAsKanji(DecodeUtf8(utf8, pos))) return true;
  }
  return false;
}

std::string ToHiragana(std::string_view utf8) {
  std::string out;
  out.reserve(utf8.size());
  size_t pos = 0;
  while (pos < utf8.size()) {
    char32_t c = DecodeUtf8(utf8, pos);
    // Characters beyond code page 932 stay as they are: a "?" in their place would be a
    // wrong reading and a wrong sort key that nobody is told about.
    if ((c >= U'ァ' && c <= U'ヶ') || c == U'ヽ' || c == U'ヾ') {
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
