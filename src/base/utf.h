#pragma once

// UTF-8 / UTF-16 / code point conversions. Strings cross the core as UTF-8 std::string;
// UTF-16 is used where positions must count as Windows and InDesign count them.
// Ill-formed input never fails: each bad sequence becomes U+FFFD.

#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

namespace mirune {

inline constexpr char32_t kReplacementChar = 0xFFFD;

std::u16string Utf8ToUtf16(std::string_view utf8);
std::string Utf16ToUtf8(std::u16string_view utf16);
std::u32string Utf8ToUtf32(std::string_view utf8);
std::string Utf32ToUtf8(std::u32string_view utf32);

// Appends the UTF-8 form of one code point (U+FFFD for surrogates and values past U+10FFFF).
void AppendUtf8(std::string& out, char32_t c);
// Appends the UTF-16 form of one code point.
void AppendUtf16(std::u16string& out, char32_t c);

// Decodes the code point starting at `pos` and advances `pos` past it.
// Precondition: pos < text.size().
char32_t DecodeUtf8(std::string_view text, size_t& pos);

// True when the bytes are well-formed UTF-8.
bool IsValidUtf8(std::string_view bytes);

// Number of UTF-16 code units of a UTF-8 text (as Windows and InDesign count characters).
size_t Utf16Length(std::string_view utf8);

}  // namespace mirune
