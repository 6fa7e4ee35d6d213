#pragma once

// EUC-JP (JIS X 0208 in two bytes, half-width katakana after 0x8E), as the SKK dictionaries
// are written. JIS X 0212 (three bytes after 0x8F) has no place in code page 932 and is not
// decoded. Both builds decode alike: the table is the project's code page 932 table, with
// the JIS X 0208 meanings of the few row-1 codes where Windows differs (〜 ‖ − ¢ £ ¬).

#include <optional>
#include <string>
#include <string_view>

namespace mirune {

// The UTF-8 text of EUC-JP `bytes`; nullopt when a sequence is truncated, unassigned or a
// JIS X 0212 character.
std::optional<std::string> DecodeEucJp(std::string_view bytes);

// The same, appended to `out`; false (and `out` as it was) when DecodeEucJp gives nullopt.
bool AppendDecodedEucJp(std::string_view bytes, std::string& out);

}  // namespace mirune
