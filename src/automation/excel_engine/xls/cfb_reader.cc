#include "automation/excel_engine/xls/cfb_reader.h"

#include "automation/excel_engine/xls/cfb_format.h"
#include "base/little_endian.h"
#include "base/utf.h"

namespace mirune::xls {
namespace {

using cfb::kEndOfChain;
using cfb::kMaxRegularSector;
using cfb::kMiniSectorSize;

Error Damaged(const std::string& what) {
  return Error{ErrorCode::kFormatError,
               "の複合ファイル（.xls の入れ物）が壊れています（" + what + "）。"};
}

bool SameName(std::u16string_view a, std::u16string_view b) {
  if (a.size() != b.size()) return false;
  for (size_t i = 0; i < a.size(); ++i) {
    char16_t x = a[i], y = b[i];
    if (x >= u'a' && x <= u'z') x = static_cast<char16_t>(x - u'a' + u'A');
    if (y >= u'a' && y <= u'z') y = static_cast<char16_t>(y - u'a' + u'A');
    if (x != y) return false;
  }
  return true;
}

}  // namespace

Status CompoundFileReader::Open() {
  if (file_.substr(0, cfb::kSignature.size()) != cfb::kSignature) {
    return Error{
        ErrorCode::kFormatError,
        "は Excel 97-2003 ブック (.xls) ではありません（複合ファイルの署名がありません）。"};
  }
  if (file_.size() < cfb::kHeaderSize) return Damaged("ヘッダーの途中でファイルが終わっています");
  const uint16_t shift = ReadLe16(file_, 30);
  if (shift != 9 && shift != 12) return Damaged("セクタの大きさが不正です");
  sector_size_ = size_t{1} << shift;
  if (ReadLe16(file_, 32) != 6) return Damaged("ミニセクタの大きさが不正です");
  // The header occupies one sector. Some writers leave the last sector short; it reads as
  // if padded with zeros.
  sector_count_ = file_.size() <= sector_size_
                      ? 0
                      : (file_.size() - sector_size_ + sector_size_ - 1) / sector_size_;
  const uint32_t fat_sectors = ReadLe32(file_, 44);
  const uint32_t dir_start = ReadLe32(file_, 48);
  mini_cutoff_ = ReadLe32(file_, 56);
  const uint32_t mini_fat_start = ReadLe32(file_, 60);
  uint32_t difat = ReadLe32(file_, 68);
  const uint32_t difat_sectors = ReadLe32(file_, 72);
  if (fat_sectors > sector_count_)
    return Damaged("セクタ表 (FAT) がファイルより大きいとされています");

  std::vector<uint32_t> fat_list;
  for (size_t i = 0; i < cfb::kHeaderDifat && fat_list.size() < fat_sectors; ++i) {
    fat_list.push_back(ReadLe32(file_, 76 + 4 * i));
  }
  const size_t per_difat = sector_size_ / 4 - 1;
  for (uint32_t d = 0; d < difat_sectors && fat_list.size() < fat_sectors; ++d) {
    if (difat >= sector_count_ || Offset(difat) + sector_size_ > file_.size()) {
      return Damaged("セクタ表の一覧 (DIFAT) の連鎖が途中で切れています");
    }
    const size_t at = Offset(difat);
    for (size_t k = 0; k < per_difat && fat_list.size() < fat_sectors; ++k) {
      fat_list.push_back(ReadLe32(file_, at + 4 * k));
    }
    difat = ReadLe32(file_, at + 4 * per_difat);
  }
  if (fat_list.size() < fat_sectors) return Damaged("セクタ表 (FAT) の一部がありません");
  fat_.reserve(fat_list.size() * (sector_size_ / 4));
  for (uint32_t s : fat_list) {
    if (s >= sector_count_ || Offset(s) + sector_size_ > file_.size()) {
      return Damaged("セクタ表 (FAT) のセクタがファイルの外にあります");
    }
    const size_t at = Offset(s);
    for (size_t k = 0; k < sector_size_ / 4; ++k) fat_.push_back(ReadLe32(file_, at + 4 * k));
  }
  {
    Result<std::string> directory = Chain(dir_start, SIZE_MAX, false, false);
    if (!directory.ok()) return Damaged("ディレクトリ: " + directory.message());
    directory_ = std::move(*directory);
  }
  if (directory_.size() < 128) return Damaged("ディレクトリがありません");
  // Every entry's name length and type, not only the entries looked up later: other
  // readers convert all names with the length found in the file.
  for (size_t at = 0; at + 128 <= directory_.size(); at += 128) {
    const uint16_t name_bytes = ReadLe16(directory_, at + 64);
    const uint8_t type = static_cast<uint8_t>(directory_[at + 66]);
    if (name_bytes > 64 || name_bytes % 2 != 0 || (type != 0 && name_bytes < 2)) {
      return Damaged("ディレクトリ項目の名前の長さが不正です");
    }
    if (type != 0 && type != 1 && type != 2 && type != 5) {
      return Damaged("ディレクトリ項目の種類が不正です");
    }
    if ((at == 0) != (type == 5)) return Damaged("ルート項目が不正です");
  }
  // The root entry holds the mini stream.
  const uint32_t mini_start = ReadLe32(directory_, 116);
  const uint32_t mini_size = ReadLe32(directory_, 120);
  if (mini_size > 0) {
    Result<std::string> mini = Chain(mini_start, mini_size, false, false);
    if (!mini.ok()) return Damaged("ミニストリーム: " + mini.message());
    mini_stream_ = std::move(*mini);
    Result<std::string> mini_fat = Chain(mini_fat_start, SIZE_MAX, true, false);
    if (!mini_fat.ok()) return Damaged("ミニセクタ表: " + mini_fat.message());
    for (size_t k = 0; k + 4 <= mini_fat->size(); k += 4) {
      mini_fat_.push_back(ReadLe32(*mini_fat, k));
    }
  }
  return Status::Ok();
}

Result<std::string> CompoundFileReader::Stream(std::u16string_view name) const {
  for (size_t at = 0; at + 128 <= directory_.size(); at += 128) {
    const uint16_t name_bytes = ReadLe16(directory_, at + 64);
    const uint8_t type = static_cast<uint8_t>(directory_[at + 66]);
    if (type != 2 || name_bytes < 2 || name_bytes > 64 || name_bytes % 2 != 0) continue;
    std::u16string entry;
    for (size_t i = 0; i + 1 < name_bytes / 2u; ++i) {
      entry.push_back(ReadLe16(directory_, at + 2 * i));
    }
    if (!SameName(entry, name)) continue;
    const uint32_t start = ReadLe32(directory_, at + 116);
    const uint32_t size = ReadLe32(directory_, at + 120);
    Result<std::string> stream = Chain(start, size, false, size < mini_cutoff_);
    if (!stream.ok()) {
      return Damaged("「" + Utf16ToUtf8(name) + "」ストリーム: " + stream.message());
    }
    return stream;
  }
  return Error{ErrorCode::kNotFound, "に「" + Utf16ToUtf8(name) + "」ストリームがありません。"};
}

size_t CompoundFileReader::Offset(uint32_t sector) const {
  return (static_cast<size_t>(sector) + 1) * sector_size_;
}

// Follows a sector chain; `limit` bytes at most (SIZE_MAX: the whole chain). In the mini
// stream, sectors are 64-byte pieces of mini_stream_. Errors are bare causes, for the caller
// to place.
Result<std::string> CompoundFileReader::Chain(uint32_t start, size_t limit, bool allow_empty,
                                              bool mini) const {
  const std::vector<uint32_t>& table = mini ? mini_fat_ : fat_;
  const size_t unit = mini ? kMiniSectorSize : sector_size_;
  const size_t units_available = mini ? mini_stream_.size() / kMiniSectorSize : sector_count_;
  if (limit != SIZE_MAX && limit > (mini ? mini_stream_.size() : Offset(sector_count_))) {
    return Error{ErrorCode::kFormatError, "記録された大きさがファイルより大きい"};
  }
  std::string out;
  uint32_t s = start;
  size_t steps = 0;
  while (s != kEndOfChain && out.size() < limit) {
    if (s > kMaxRegularSector || s >= units_available || s >= table.size()) {
      if (allow_empty && out.empty()) return out;
      return Error{ErrorCode::kFormatError, "セクタの連鎖が途中で切れています"};
    }
    if (++steps > units_available) {
      return Error{ErrorCode::kFormatError, "セクタの連鎖が循環しています"};
    }
    if (mini) {
      out.append(mini_stream_, static_cast<size_t>(s) * kMiniSectorSize, kMiniSectorSize);
    } else {
      const std::string_view piece = file_.substr(Offset(s), unit);
      out.append(piece);
      out.append(unit - piece.size(), '\0');
    }
    s = table[s];
  }
  if (limit != SIZE_MAX) {
    if (out.size() < limit) {
      return Error{ErrorCode::kFormatError, "セクタの連鎖が記録された大きさより短い"};
    }
    out.resize(limit);
  }
  return out;
}

Result<std::string> ReadCompoundStream(std::string_view file, std::u16string_view name) {
  CompoundFileReader cfb(file);
  MIRUNE_RETURN_IF_ERROR(cfb.Open());
  return cfb.Stream(name);
}

}  // namespace mirune::xls
