#include "automation/excel_engine/xls/cfb_writer.h"

#include <algorithm>
#include <cstdint>
#include <vector>

#include "automation/excel_engine/xls/cfb_format.h"

namespace mirune::xls {
namespace {

using cfb::kDifSect;
using cfb::kEndOfChain;
using cfb::kFatSect;
using cfb::kFreeSect;
using cfb::kHeaderDifat;
using cfb::kMiniCutoff;
using cfb::kNoStream;

constexpr size_t kSector = cfb::kHeaderSize;  // the writer uses 512-byte sectors throughout
constexpr size_t kFatPerSector = kSector / 4;
constexpr size_t kDifatPerSector = kSector / 4 - 1;

void Put16(std::string& out, size_t at, uint16_t v) {
  out[at] = static_cast<char>(v & 0xFF);
  out[at + 1] = static_cast<char>(v >> 8);
}
void Put32(std::string& out, size_t at, uint32_t v) {
  for (int i = 0; i < 4; ++i) out[at + i] = static_cast<char>((v >> (8 * i)) & 0xFF);
}

void DirectoryEntry(std::string& out, size_t at, std::u16string_view name, uint8_t type,
                    uint32_t child, uint32_t start, uint32_t size) {
  for (size_t i = 0; i < name.size(); ++i) Put16(out, at + 2 * i, name[i]);
  Put16(out, at + 64, static_cast<uint16_t>((name.size() + 1) * 2));
  out[at + 66] = static_cast<char>(type);
  out[at + 67] = 1;  // black: a tree of one node per level needs no red nodes
  Put32(out, at + 68, kNoStream);
  Put32(out, at + 72, kNoStream);
  Put32(out, at + 76, child);
  Put32(out, at + 116, start);
  Put32(out, at + 120, size);
}

}  // namespace

std::string WrapInCompoundFile(std::string_view workbook_stream) {
  const size_t stream_size = std::max(workbook_stream.size(), kMiniCutoff);
  const size_t stream_sectors = (stream_size + kSector - 1) / kSector;
  const size_t dir_sectors = 1;

  // The FAT covers every sector, its own and the DIFAT's included: grow until it fits.
  size_t fat_sectors = 1, difat_sectors = 0;
  for (;;) {
    const size_t total = stream_sectors + dir_sectors + fat_sectors + difat_sectors;
    const size_t need_fat = (total + kFatPerSector - 1) / kFatPerSector;
    const size_t need_difat =
        need_fat > kHeaderDifat ? (need_fat - kHeaderDifat + kDifatPerSector - 1) / kDifatPerSector
                                : 0;
    if (need_fat == fat_sectors && need_difat == difat_sectors) break;
    fat_sectors = need_fat;
    difat_sectors = need_difat;
  }
  const size_t dir_start = stream_sectors;
  const size_t fat_start = dir_start + dir_sectors;
  const size_t difat_start = fat_start + fat_sectors;
  const size_t total_sectors = difat_start + difat_sectors;

  std::string out((1 + total_sectors) * kSector, '\0');
  auto sector_at = [](size_t sector) { return (sector + 1) * kSector; };

  // Header.
  out.replace(0, cfb::kSignature.size(), cfb::kSignature);
  Put16(out, 24, 0x003E);  // minor version
  Put16(out, 26, 0x0003);  // major version 3
  Put16(out, 28, 0xFFFE);  // little-endian
  Put16(out, 30, 9);       // 512-byte sectors
  Put16(out, 32, 6);       // 64-byte mini sectors
  Put32(out, 40, 0);       // directory sector count (always 0 in version 3)
  Put32(out, 44, static_cast<uint32_t>(fat_sectors));
  Put32(out, 48, static_cast<uint32_t>(dir_start));
  Put32(out, 52, 0);  // transaction signature
  Put32(out, 56, static_cast<uint32_t>(kMiniCutoff));
  Put32(out, 60, kEndOfChain);  // no mini FAT
  Put32(out, 64, 0);
  Put32(out, 68, difat_sectors ? static_cast<uint32_t>(difat_start) : kEndOfChain);
  Put32(out, 72, static_cast<uint32_t>(difat_sectors));
  for (size_t i = 0; i < kHeaderDifat; ++i) {
    Put32(out, 76 + 4 * i, i < fat_sectors ? static_cast<uint32_t>(fat_start + i) : kFreeSect);
  }

  // The stream, then zeros up to its sector boundary.
  std::copy(workbook_stream.begin(), workbook_stream.end(), out.begin() + sector_at(0));

  // Directory: root entry and the Workbook stream; the two unused entries keep NOSTREAM ids.
  const size_t dir = sector_at(dir_start);
  DirectoryEntry(out, dir, u"Root Entry", 5, 1, kEndOfChain, 0);
  DirectoryEntry(out, dir + 128, u"Workbook", 2, kNoStream, 0, static_cast<uint32_t>(stream_size));
  for (size_t e = 2; e < 4; ++e) {
    Put32(out, dir + 128 * e + 68, kNoStream);
    Put32(out, dir + 128 * e + 72, kNoStream);
    Put32(out, dir + 128 * e + 76, kNoStream);
  }

  // FAT.
  std::vector<uint32_t> fat(fat_sectors * kFatPerSector, kFreeSect);
  for (size_t s = 0; s < stream_sectors; ++s) {
    fat[s] = s + 1 < stream_sectors ? static_cast<uint32_t>(s + 1) : kEndOfChain;
  }
  fat[dir_start] = kEndOfChain;
  for (size_t s = 0; s < fat_sectors; ++s) fat[fat_start + s] = kFatSect;
  for (size_t s = 0; s < difat_sectors; ++s) fat[difat_start + s] = kDifSect;
  for (size_t i = 0; i < fat.size(); ++i) {
    Put32(out, sector_at(fat_start + i / kFatPerSector) + 4 * (i % kFatPerSector), fat[i]);
  }

  // DIFAT sectors: FAT sector numbers past the header's 109, then the next DIFAT sector.
  for (size_t d = 0; d < difat_sectors; ++d) {
    const size_t at = sector_at(difat_start + d);
    for (size_t k = 0; k < kDifatPerSector; ++k) {
      const size_t fat_index = kHeaderDifat + d * kDifatPerSector + k;
      Put32(out, at + 4 * k,
            fat_index < fat_sectors ? static_cast<uint32_t>(fat_start + fat_index) : kFreeSect);
    }
    Put32(out, at + 4 * kDifatPerSector,
          d + 1 < difat_sectors ? static_cast<uint32_t>(difat_start + d + 1) : kEndOfChain);
  }
  return out;
}

}  // namespace mirune::xls
