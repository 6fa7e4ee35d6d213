#pragma once

// Decoding of text files that come from outside: InDesign tagged-text exports (UTF-16) and
// entry lists (UTF-8, UTF-16 with a byte-order mark, or code page 932 as Razoza.txt is
// written).

#include <string>
#include <string_view>

#include "base/result.h"

namespace mirune {

// Decodes UTF-16 text: little-endian with BOM FF FE (as InDesign exports), big-endian with
// FE FF, or without BOM (the byte order is then inferred from where the zero bytes fall;
// little-endian when undecided). The BOM is not part of the result. Fails with kFormatError
// on an odd byte count or when the bytes are plainly not UTF-16 (e.g. a UTF-8 BOM).
Result<std::u16string> DecodeUtf16Text(std::string_view bytes);

// Decodes a text file to UTF-8: UTF-16 with a BOM; UTF-8 (with or without BOM) when the bytes
// are well-formed UTF-8; else code page 932 when every byte sequence is one of its characters.
// Fails with kFormatError (a Japanese message) otherwise.
Result<std::string> DecodeTextFile(std::string_view bytes);

}  // namespace mirune
