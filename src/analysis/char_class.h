#pragma once

// Character classes of the readings, taken on a character's code in the Japanese Windows
// code page 932 (see base/cp932.h): the padded code text, the kanji test of a word, the
// re-check test of a reading, and the conversion of katakana to hiragana. The answers are
// the same in both builds (iconv on POSIX, WideCharToMultiByte on Windows, each held to
// Windows' own mapping).

#include <cstdint>
#include <string>
#include <string_view>

namespace mirune {

// "000" + a one-character text, "00" + two, "0" + three; any other text unchanged.
std::string PadHex4(std::string_view text);

// The code page 932 code of a character; a character that code page 932 cannot represent
// has the code of the default character "?" (0x3F), as the platform's conversion gives it.
uint16_t CharacterCode(char32_t c);

// The code as four upper-case hexadecimal digits ("003F", "889F", "000D").
std::string CharacterCodeText(char32_t c);

// A CJK ideograph of Unicode (the unified blocks with their extensions and the
// compatibility ideographs).
bool IsCjkIdeograph(char32_t c);

// Kanji test of a word: 仝 々 〆 〇 (8157–815A), JIS level 1 and 2 and the NEC-selected IBM
// kanji (889F–EEEC), IBM extension kanji (FA5C–FC4B), and a CJK ideograph that code page 932
// cannot represent (𠮷).
bool CountsAsKanji(char32_t c);

// Re-check test of a reading: the same without 8157–815A.
bool NeedsRecheck(char32_t c);

// The kanji test of a word: some character of `utf8` counts as kanji.
bool HoldsKanji(std::string_view utf8);

// The hiragana conversion: katakana that have a hiragana counterpart in code page 932 become
// that hiragana (ァ–ン, ヽ ヾ), and everything else stays; ヴ ヵ ヶ and half-width katakana
// stay, and so do characters beyond code page 932 (Lösung, 𠮷). UTF-8 in and out.
std::string ToHiragana(std::string_view utf8);

}  // namespace mirune
