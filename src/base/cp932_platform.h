#pragma once

// The platform half of base/cp932.h (cp932_posix.cc, cp932_win.cc). Internal to src/base.

#include <cstdint>
#include <optional>

namespace mirune::platform {

// Raw conversion of one BMP character through the platform's code page 932 converter,
// without the round-trip check; nullopt when the converter refuses it.
std::optional<uint16_t> Cp932EncodeRaw(char16_t c);
// Raw conversion of one code back to a BMP character; nullopt for unassigned codes.
std::optional<char16_t> Cp932DecodeRaw(uint16_t code);

}  // namespace mirune::platform
