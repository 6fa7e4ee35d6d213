#pragma once

// The fixed values of the compound-file container (version 3, 512-byte sectors) that both the
// reader and the writer of `.xls` files need.

#include <cstddef>
#include <cstdint>
#include <string_view>

namespace mirune::xls::cfb {

// The first eight bytes of every compound file.
inline constexpr std::string_view kSignature = "\xD0\xCF\x11\xE0\xA1\xB1\x1A\xE1";

// Special sector ids in the FAT and the directory.
inline constexpr uint32_t kMaxRegularSector = 0xFFFFFFFA;
inline constexpr uint32_t kDifSect = 0xFFFFFFFC;
inline constexpr uint32_t kFatSect = 0xFFFFFFFD;
inline constexpr uint32_t kEndOfChain = 0xFFFFFFFE;
inline constexpr uint32_t kFreeSect = 0xFFFFFFFF;
inline constexpr uint32_t kNoStream = 0xFFFFFFFF;

inline constexpr size_t kHeaderSize = 512;   // the header fills the first 512-byte sector
inline constexpr size_t kHeaderDifat = 109;  // FAT sector ids held in the header itself
inline constexpr size_t kMiniSectorSize = 64;
inline constexpr size_t kMiniCutoff = 4096;  // smaller streams live in the mini stream

}  // namespace mirune::xls::cfb
