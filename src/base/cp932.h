#pragma once

// Japanese Windows code page 932 (Shift-JIS with the NEC and IBM extensions), with the
// answers Windows itself gives: a character counts as representable only when it converts
// to code page 932 and back to itself (no best-fit substitutions). Both platforms build the
// same table once, from iconv (POSIX) or WideCharToMultiByte (Windows).

#include <cstdint>
#include <optional>
#include <string>
#include <string_view>

namespace mirune {

// The code of one character: its byte for a single-byte character, lead byte * 256 + trail
// byte for a double-byte one; nullopt when code page 932 cannot represent it.
std::optional<uint16_t> Cp932Code(char32_t c);

// The character of a code (single- or double-byte); nullopt for an unassigned code.
std::optional<char32_t> Cp932Char(uint16_t code);

// Encodes UTF-8 text; each character that cannot be represented becomes '?'.
// `all_representable`, when given, tells whether none had to be replaced.
std::string EncodeCp932(std::string_view utf8, bool* all_representable = nullptr);

// Decodes code page 932 bytes; an unassigned or truncated sequence becomes U+FFFD.
std::string DecodeCp932(std::string_view bytes);

}  // namespace mirune
