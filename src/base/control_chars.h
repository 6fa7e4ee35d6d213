#pragma once

// The one rule for control characters in text that comes from outside the program (story
// text, keyword cells, workbook cells): C0 controls other than TAB, LF and CR
// (U+0000–U+0008, U+000B, U+000C, U+000E–U+001F), DEL (U+007F) and the C1 controls
// (U+0080–U+009F) are removed before the text is used.
//
// Why removal: these characters are invisible in InDesign, Excel and Word, so what the user
// sees and means is the text without them. A NUL in the keyword cell "和<NUL>紙" is "和紙" to
// the user; a replacement character (U+FFFD) would instead make it a keyword that matches
// nothing, and a control character kept would cut C strings short or be written into the
// outputs as an escape sequence no editor shows. TAB, LF and CR are kept because they carry
// structure (fields and lines) that each caller handles itself.

#include <string>
#include <string_view>

namespace mirune {

// True for a code point the rule removes.
constexpr bool IsRemovedControl(char32_t c) {
  return (c < 0x20 && c != U'\t' && c != U'\n' && c != U'\r') || (c >= 0x7F && c <= 0x9F);
}

// `text` (UTF-8) without the removed controls. Works on any bytes: a byte sequence that is
// not UTF-8 is kept as it is, apart from the removed single-byte controls in it.
std::string RemoveControlChars(std::string_view text);
// The same for UTF-16.
std::u16string RemoveControlChars(std::u16string_view text);

// Removes them in place; returns true when anything was removed.
bool StripControlChars(std::string& text);
bool StripControlChars(std::u16string& text);

}  // namespace mirune
