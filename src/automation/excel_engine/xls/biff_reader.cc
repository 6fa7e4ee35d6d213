#include "automation/excel_engine/xls/biff_reader.h"

#include <algorithm>
#include <cstdint>
#include <cstring>
#include <map>
#include <vector>

#include "base/utf.h"

namespace mirune::xls {
namespace {

constexpr uint32_t kEndOfChain = 0xFFFFFFFE;
constexpr uint32_t kMaxRegularSector = 0xFFFFFFFA;

Error Damaged(const std::string& what) {
  return Error{ErrorCode::kFormatError, "not a readable Excel 97-2003 workbook (" + what + ")"};
}

uint16_t Get16(std::string_view s, size_t at) {
  return static_cast<uint16_t>(static_cast<uint8_t>(s[at]) |
                               static_cast<uint16_t>(static_cast<uint8_t>(s[at + 1])) << 8);
}
uint32_t Get32(std::string_view s, size_t at) {
  return Get16(s, at) | static_cast<uint32_t>(Get16(s, at + 2)) << 16;
}
double GetF64(std::string_view s, size_t at) {
  const uint64_t bits = Get32(s, at) | static_cast<uint64_t>(Get32(s, at + 4)) << 32;
  double v;
  std::memcpy(&v, &bits, 8);
  return v;
}

// --- Compound file ---

class CompoundFile {
 public:
  explicit CompoundFile(std::string_view file) : file_(file) {}

  Status Open() {
    static const unsigned char kSignature[8] = {0xD0, 0xCF, 0x11, 0xE0, 0xA1, 0xB1, 0x1A, 0xE1};
    if (file_.size() < 512 || std::memcmp(file_.data(), kSignature, 8) != 0) {
      return Damaged("no compound-file signature");
    }
    const uint16_t shift = Get16(file_, 30);
    if (shift != 9 && shift != 12) return Damaged("bad sector size");
    sector_size_ = size_t{1} << shift;
    if (Get16(file_, 32) != 6) return Damaged("bad mini sector size");
    // The header occupies one sector. Some writers leave the last sector short; it reads as
    // if padded with zeros.
    sector_count_ = file_.size() <= sector_size_
                        ? 0
                        : (file_.size() - sector_size_ + sector_size_ - 1) / sector_size_;
    const uint32_t fat_sectors = Get32(file_, 44);
    dir_start_ = Get32(file_, 48);
    mini_cutoff_ = Get32(file_, 56);
    const uint32_t mini_fat_start = Get32(file_, 60);
    uint32_t difat = Get32(file_, 68);
    const uint32_t difat_sectors = Get32(file_, 72);
    if (fat_sectors > sector_count_) return Damaged("FAT larger than the file");

    std::vector<uint32_t> fat_list;
    for (size_t i = 0; i < 109 && fat_list.size() < fat_sectors; ++i) {
      fat_list.push_back(Get32(file_, 76 + 4 * i));
    }
    const size_t per_difat = sector_size_ / 4 - 1;
    for (uint32_t d = 0; d < difat_sectors && fat_list.size() < fat_sectors; ++d) {
      if (difat >= sector_count_ || Offset(difat) + sector_size_ > file_.size()) {
        return Damaged("bad DIFAT chain");
      }
      const size_t at = Offset(difat);
      for (size_t k = 0; k < per_difat && fat_list.size() < fat_sectors; ++k) {
        fat_list.push_back(Get32(file_, at + 4 * k));
      }
      difat = Get32(file_, at + 4 * per_difat);
    }
    if (fat_list.size() < fat_sectors) return Damaged("FAT sectors missing");
    fat_.reserve(fat_list.size() * (sector_size_ / 4));
    for (uint32_t s : fat_list) {
      if (s >= sector_count_ || Offset(s) + sector_size_ > file_.size()) {
        return Damaged("FAT sector outside the file");
      }
      const size_t at = Offset(s);
      for (size_t k = 0; k < sector_size_ / 4; ++k) fat_.push_back(Get32(file_, at + 4 * k));
    }
    MIRUNE_ASSIGN_OR_RETURN(directory_, Chain(dir_start_, fat_, sector_size_, SIZE_MAX, false));
    if (directory_.size() < 128) return Damaged("no directory");
    // Every entry's name length and type, not only the entries looked up later: other
    // readers convert all names with the length found in the file.
    for (size_t at = 0; at + 128 <= directory_.size(); at += 128) {
      const uint16_t name_bytes = Get16(directory_, at + 64);
      const uint8_t type = static_cast<uint8_t>(directory_[at + 66]);
      if (name_bytes > 64 || name_bytes % 2 != 0) return Damaged("bad directory entry name");
      if (type != 0 && type != 1 && type != 2 && type != 5) return Damaged("bad directory entry");
      if (type != 0 && name_bytes < 2) return Damaged("bad directory entry name");
      if ((at == 0) != (type == 5)) return Damaged("bad root entry");
    }
    // The root entry holds the mini stream.
    const uint32_t mini_start = Get32(directory_, 116);
    const uint32_t mini_size = Get32(directory_, 120);
    if (mini_size > 0) {
      MIRUNE_ASSIGN_OR_RETURN(mini_stream_,
                              Chain(mini_start, fat_, sector_size_, mini_size, false));
      MIRUNE_ASSIGN_OR_RETURN(std::string mini_fat_bytes,
                              Chain(mini_fat_start, fat_, sector_size_, SIZE_MAX, true));
      for (size_t k = 0; k + 4 <= mini_fat_bytes.size(); k += 4) {
        mini_fat_.push_back(Get32(mini_fat_bytes, k));
      }
    }
    return Status::Ok();
  }

  Result<std::string> Stream(std::u16string_view name) const {
    for (size_t at = 0; at + 128 <= directory_.size(); at += 128) {
      const uint16_t name_bytes = Get16(directory_, at + 64);
      const uint8_t type = static_cast<uint8_t>(directory_[at + 66]);
      if (type != 2 || name_bytes < 2 || name_bytes > 64 || name_bytes % 2 != 0) continue;
      std::u16string entry;
      for (size_t i = 0; i + 1 < name_bytes / 2u; ++i)
        entry.push_back(Get16(directory_, at + 2 * i));
      if (!SameName(entry, name)) continue;
      const uint32_t start = Get32(directory_, at + 116);
      const uint32_t size = Get32(directory_, at + 120);
      if (size < mini_cutoff_) return Chain(start, mini_fat_, 64, size, false, true);
      return Chain(start, fat_, sector_size_, size, false);
    }
    return Damaged("no Workbook stream");
  }

 private:
  static bool SameName(std::u16string_view a, std::u16string_view b) {
    if (a.size() != b.size()) return false;
    for (size_t i = 0; i < a.size(); ++i) {
      char16_t x = a[i], y = b[i];
      if (x >= u'a' && x <= u'z') x = static_cast<char16_t>(x - u'a' + u'A');
      if (y >= u'a' && y <= u'z') y = static_cast<char16_t>(y - u'a' + u'A');
      if (x != y) return false;
    }
    return true;
  }

  size_t Offset(uint32_t sector) const { return (static_cast<size_t>(sector) + 1) * sector_size_; }

  // Follows a sector chain; `limit` bytes at most (SIZE_MAX: the whole chain). In the mini
  // stream, sectors are 64-byte pieces of mini_stream_.
  Result<std::string> Chain(uint32_t start, const std::vector<uint32_t>& table, size_t unit,
                            size_t limit, bool allow_empty, bool mini = false) const {
    std::string out;
    const size_t units_available = mini ? mini_stream_.size() / 64 : sector_count_;
    if (limit != SIZE_MAX && limit > (mini ? mini_stream_.size() : Offset(sector_count_))) {
      return Damaged("stream larger than the file");
    }
    uint32_t s = start;
    size_t steps = 0;
    while (s != kEndOfChain && out.size() < limit) {
      if (s > kMaxRegularSector || s >= units_available || s >= table.size()) {
        if (allow_empty && out.empty()) return out;
        return Damaged("broken sector chain");
      }
      if (++steps > units_available) return Damaged("sector chain loops");
      if (mini) {
        out.append(mini_stream_, static_cast<size_t>(s) * 64, 64);
      } else {
        const std::string_view piece = file_.substr(Offset(s), unit);
        out.append(piece);
        out.append(unit - piece.size(), '\0');
      }
      s = table[s];
    }
    if (limit != SIZE_MAX) {
      if (out.size() < limit) return Damaged("stream shorter than its size");
      out.resize(limit);
    }
    return out;
  }

  std::string_view file_;
  size_t sector_size_ = 512;
  size_t sector_count_ = 0;
  uint32_t dir_start_ = 0;
  uint32_t mini_cutoff_ = 4096;
  std::vector<uint32_t> fat_;
  std::vector<uint32_t> mini_fat_;
  std::string directory_;
  std::string mini_stream_;
};

// --- BIFF records ---

struct Record {
  uint16_t type;
  std::string_view data;
};

// Records from `offset` on, each checked to lie inside the stream.
class RecordCursor {
 public:
  RecordCursor(std::string_view stream, size_t offset) : stream_(stream), pos_(offset) {}
  // False at the end of the stream; a record running past the end is an error.
  Result<bool> Next(Record& record) {
    if (pos_ + 4 > stream_.size()) return false;
    const uint16_t type = Get16(stream_, pos_);
    const uint16_t length = Get16(stream_, pos_ + 2);
    if (pos_ + 4 + length > stream_.size()) return Damaged("record past the end of the stream");
    record = {type, stream_.substr(pos_ + 4, length)};
    pos_ += 4 + length;
    return true;
  }
  // The next record's type without consuming it, or 0 at the end.
  uint16_t PeekType() const { return pos_ + 4 <= stream_.size() ? Get16(stream_, pos_) : 0; }

 private:
  std::string_view stream_;
  size_t pos_;
};

// A record's data with its CONTINUE records, read as one sequence. Character data that
// crosses into a CONTINUE resumes after a flags byte; other data does not.
class ContinuedReader {
 public:
  explicit ContinuedReader(std::vector<std::string_view> parts) : parts_(std::move(parts)) {}

  bool AtEnd() const { return part_ >= parts_.size(); }

  Result<uint8_t> Byte() {
    MIRUNE_RETURN_IF_ERROR(Ready());
    return static_cast<uint8_t>(parts_[part_][at_++]);
  }
  Result<uint16_t> U16() {
    MIRUNE_ASSIGN_OR_RETURN(const uint8_t lo, Byte());
    MIRUNE_ASSIGN_OR_RETURN(const uint8_t hi, Byte());
    return static_cast<uint16_t>(lo | hi << 8);
  }
  Result<uint32_t> U32() {
    MIRUNE_ASSIGN_OR_RETURN(const uint16_t lo, U16());
    MIRUNE_ASSIGN_OR_RETURN(const uint16_t hi, U16());
    return static_cast<uint32_t>(lo | static_cast<uint32_t>(hi) << 16);
  }
  Status Skip(size_t n) {
    while (n > 0) {
      MIRUNE_RETURN_IF_ERROR(Ready());
      const size_t take = std::min(n, parts_[part_].size() - at_);
      at_ += take;
      n -= take;
    }
    return Status::Ok();
  }

  // An XLUnicodeRichExtendedString (the SST's strings).
  Result<std::u16string> RichString() {
    MIRUNE_ASSIGN_OR_RETURN(const uint16_t count, U16());
    MIRUNE_ASSIGN_OR_RETURN(const uint8_t flags, Byte());
    uint16_t runs = 0;
    uint32_t ext = 0;
    if (flags & 0x08) {
      MIRUNE_ASSIGN_OR_RETURN(runs, U16());
    }
    if (flags & 0x04) {
      MIRUNE_ASSIGN_OR_RETURN(ext, U32());
    }
    MIRUNE_ASSIGN_OR_RETURN(std::u16string text, Characters(count, (flags & 0x01) != 0));
    MIRUNE_RETURN_IF_ERROR(Skip(size_t{runs} * 4));
    MIRUNE_RETURN_IF_ERROR(Skip(ext));
    return text;
  }

 private:
  Status Ready() {
    while (part_ < parts_.size() && at_ >= parts_[part_].size()) {
      ++part_;
      at_ = 0;
    }
    if (part_ >= parts_.size()) return Damaged("string table ends inside a string");
    return Status::Ok();
  }

  Result<std::u16string> Characters(size_t count, bool wide) {
    std::u16string out;
    out.reserve(count);
    while (out.size() < count) {
      if (at_ >= parts_[part_].size()) {
        // Character data goes on in the next CONTINUE, after its own flags byte.
        ++part_;
        at_ = 0;
        if (part_ >= parts_.size() || parts_[part_].empty()) {
          return Damaged("string table ends inside a string");
        }
        wide = (parts_[part_][0] & 0x01) != 0;
        at_ = 1;
        continue;
      }
      const std::string_view p = parts_[part_];
      if (wide) {
        if (at_ + 2 > p.size()) return Damaged("character split across records");
        out.push_back(Get16(p, at_));
        at_ += 2;
      } else {
        out.push_back(static_cast<uint8_t>(p[at_]));
        at_ += 1;
      }
    }
    return out;
  }

  std::vector<std::string_view> parts_;
  size_t part_ = 0;
  size_t at_ = 0;
};

// An XLUnicodeString inside one record (LABEL, STRING, RSTRING): 2-byte count, flags, chars.
Result<std::u16string> PlainString(std::string_view data, size_t at) {
  if (at + 3 > data.size()) return Damaged("truncated text cell");
  const uint16_t count = Get16(data, at);
  const bool wide = (data[at + 2] & 0x01) != 0;
  at += 3;
  if (at + size_t{count} * (wide ? 2 : 1) > data.size()) return Damaged("truncated text cell");
  std::u16string out;
  out.reserve(count);
  for (uint16_t i = 0; i < count; ++i) {
    out.push_back(wide ? Get16(data, at + 2 * i) : static_cast<uint8_t>(data[at + i]));
  }
  return out;
}

double DecodeRk(uint32_t rk) {
  double v;
  if (rk & 0x02) {
    v = static_cast<double>(static_cast<int32_t>(rk) >> 2);
  } else {
    const uint64_t bits = static_cast<uint64_t>(rk & 0xFFFFFFFCu) << 32;
    std::memcpy(&v, &bits, 8);
  }
  return (rk & 0x01) ? v / 100 : v;
}

struct SheetEntry {
  std::string name;
  uint32_t offset;
  bool worksheet;  // macro sheets, charts and modules are checked but not read
};

class BiffParser {
 public:
  explicit BiffParser(std::string_view stream) : stream_(stream) {}

  Result<WorkbookModel> Run() {
    MIRUNE_RETURN_IF_ERROR(Globals());
    // Every substream is checked, also those of sheets that are not read: other readers
    // walk them all.
    for (const SheetEntry& entry : sheets_) {
      if (!entry.worksheet) {
        ModelSheet scratch;
        MIRUNE_RETURN_IF_ERROR(Sheet(entry.offset, scratch));
        continue;
      }
      model_.sheets.emplace_back();
      model_.sheets.back().name = entry.name;
      MIRUNE_RETURN_IF_ERROR(Sheet(entry.offset, model_.sheets.back()));
    }
    if (model_.sheets.empty()) return Damaged("no worksheets");
    return std::move(model_);
  }

 private:
  Status Globals() {
    RecordCursor cursor(stream_, 0);
    Record r{};
    MIRUNE_ASSIGN_OR_RETURN(bool more, cursor.Next(r));
    if (!more || r.type != 0x0809 || r.data.size() < 4) return Damaged("no BOF record");
    if (Get16(r.data, 0) != 0x0600) {
      return Error{ErrorCode::kFormatError,
                   "a workbook older than Excel 97 cannot be read; save it as an Excel 97-2003 "
                   "workbook"};
    }
    for (;;) {
      MIRUNE_ASSIGN_OR_RETURN(more, cursor.Next(r));
      if (!more) return Damaged("workbook globals without EOF");
      switch (r.type) {
        case 0x000A:  // EOF
          return Status::Ok();
        case 0x002F:  // FILEPASS
          return Error{ErrorCode::kFormatError, "the workbook is password-protected"};
        case 0x0031: {  // FONT: height, ..., name as a short string at 14
          if (r.data.size() < 16) return Damaged("short FONT record");
          const uint8_t count = static_cast<uint8_t>(r.data[14]);
          const bool wide = (r.data[15] & 0x01) != 0;
          if (16 + size_t{count} * (wide ? 2 : 1) > r.data.size()) {
            return Damaged("short FONT record");
          }
          std::u16string name;
          for (uint8_t i = 0; i < count; ++i) {
            name.push_back(wide ? Get16(r.data, 16 + 2 * i) : static_cast<uint8_t>(r.data[16 + i]));
          }
          fonts_.push_back({Utf16ToUtf8(name), Get16(r.data, 0)});
          break;
        }
        case 0x041E: {  // FORMAT
          if (r.data.size() < 2) return Damaged("short FORMAT record");
          MIRUNE_ASSIGN_OR_RETURN(const std::u16string code, PlainString(r.data, 2));
          formats_[Get16(r.data, 0)] = Utf16ToUtf8(code);
          break;
        }
        case 0x00E0:  // XF
          if (r.data.size() < 20) return Damaged("short XF record");
          xfs_.push_back({Get16(r.data, 0), Get16(r.data, 2), static_cast<uint8_t>(r.data[6])});
          xf_count_ = static_cast<uint32_t>(xfs_.size());
          break;
        case 0x0085: {  // BOUNDSHEET
          if (r.data.size() < 8) return Damaged("short sheet record");
          const uint32_t offset = Get32(r.data, 0);
          const uint8_t kind = static_cast<uint8_t>(r.data[5]);
          const uint8_t count = static_cast<uint8_t>(r.data[6]);
          const bool wide = (r.data[7] & 0x01) != 0;
          if (8 + size_t{count} * (wide ? 2 : 1) > r.data.size()) {
            return Damaged("short sheet name");
          }
          std::u16string name;
          for (uint8_t i = 0; i < count; ++i) {
            name.push_back(wide ? Get16(r.data, 8 + 2 * i) : static_cast<uint8_t>(r.data[8 + i]));
          }
          // 0 worksheet, 1 macro sheet, 2 chart, 6 module; visibility 0 to 2.
          if ((kind != 0 && kind != 1 && kind != 2 && kind != 6) ||
              static_cast<uint8_t>(r.data[4]) > 2) {
            return Damaged("bad sheet record");
          }
          sheets_.push_back({Utf16ToUtf8(name), offset, kind == 0});
          break;
        }
        case 0x00FC: {  // SST and its CONTINUE records
          std::vector<std::string_view> parts{r.data};
          while (cursor.PeekType() == 0x003C) {
            MIRUNE_ASSIGN_OR_RETURN(more, cursor.Next(r));
            parts.push_back(r.data);
          }
          MIRUNE_RETURN_IF_ERROR(SharedStrings(std::move(parts)));
          break;
        }
        default:
          break;
      }
    }
  }

  Status SharedStrings(std::vector<std::string_view> parts) {
    ContinuedReader reader(std::move(parts));
    MIRUNE_RETURN_IF_ERROR(reader.U32().status());  // total count
    MIRUNE_ASSIGN_OR_RETURN(const uint32_t unique, reader.U32());
    // Each string takes at least 3 bytes: a count past that is damage, not a reason to
    // reserve memory.
    for (uint32_t i = 0; i < unique && !reader.AtEnd(); ++i) {
      MIRUNE_ASSIGN_OR_RETURN(std::u16string s, reader.RichString());
      strings_.push_back(Utf16ToUtf8(s));
    }
    return Status::Ok();
  }

  // The engine's style for a format record (checked to exist by CheckCellRecord).
  uint16_t StyleOf(uint16_t xf) {
    if (xf >= xfs_.size()) return 0;
    if (xf_styles_.size() < xfs_.size()) xf_styles_.resize(xfs_.size(), -1);
    if (xf_styles_[xf] >= 0) return static_cast<uint16_t>(xf_styles_[xf]);
    const XfRecord& x = xfs_[xf];
    CellFormat f = StandardFormat();
    // Font 4 does not exist in the format: the fifth FONT record is font 5.
    const size_t font = x.font < 4 ? x.font : x.font - 1u;
    if (x.font != 4 && font < fonts_.size() && !fonts_[font].first.empty()) {
      f.font_name = fonts_[font].first;
      f.font_height_twips = fonts_[font].second;
    }
    f.number_format = NumberFormatCode(x.format);
    static const HorizontalAlignment kHorizontal[] = {
        HorizontalAlignment::kGeneral, HorizontalAlignment::kLeft, HorizontalAlignment::kCenter,
        HorizontalAlignment::kRight};
    static const VerticalAlignment kVertical[] = {
        VerticalAlignment::kTop, VerticalAlignment::kCenter, VerticalAlignment::kBottom};
    const int horizontal = x.alignment & 0x07;
    const int vertical = (x.alignment >> 4) & 0x07;
    f.horizontal = horizontal < 4 ? kHorizontal[horizontal] : HorizontalAlignment::kGeneral;
    f.vertical = vertical < 3 ? kVertical[vertical] : VerticalAlignment::kBottom;
    f.wrap_text = (x.alignment & 0x08) != 0;
    const uint16_t style = model_.styles.Intern(f);
    xf_styles_[xf] = style;
    return style;
  }

  std::string NumberFormatCode(uint16_t format) const {
    auto it = formats_.find(format);
    if (it != formats_.end()) return it->second;
    switch (format) {
      case 1:
        return "0";
      case 2:
        return "0.00";
      case 3:
        return "#,##0";
      case 4:
        return "#,##0.00";
      case 9:
        return "0%";
      case 10:
        return "0.00%";
      case 49:
        return "@";
      default:
        return std::string(kNumberFormatGeneral);
    }
  }

  // The cell, created with its column's style (and the cells before it) when missing.
  Result<ModelCell*> CellAt(ModelSheet& sheet, uint32_t row, uint32_t column) {
    if (row >= static_cast<uint32_t>(kExcelMaxRows) ||
        column >= static_cast<uint32_t>(kExcelMaxColumns)) {
      return Damaged("cell outside the sheet");
    }
    ModelRow& r = sheet.rows.Ensure(row);
    while (r.cells.size() <= column) {
      ModelCell blank;
      blank.style = sheet.column_styles[r.cells.size()];
      r.cells.push_back(blank);
    }
    return &r.cells[column];
  }

  Status Put(ModelSheet& sheet, uint32_t row, uint32_t column, uint16_t xf,
             const CellValue& value) {
    MIRUNE_ASSIGN_OR_RETURN(ModelCell * cell, CellAt(sheet, row, column));
    *cell = model_.MakeCell(value, StyleOf(xf));
    return Status::Ok();
  }

  Status Sheet(uint32_t offset, ModelSheet& sheet) {
    RecordCursor cursor(stream_, offset);
    Record r{};
    MIRUNE_ASSIGN_OR_RETURN(bool more, cursor.Next(r));
    if (!more || r.type != 0x0809) return Damaged("sheet without BOF");
    int depth = 1;  // embedded substreams (charts) have their own BOF/EOF
    Extent extent;
    for (;;) {
      MIRUNE_ASSIGN_OR_RETURN(more, cursor.Next(r));
      if (!more) return Damaged("sheet without EOF");
      if (r.type == 0x0809) {
        ++depth;
        continue;
      }
      if (r.type == 0x000A) {
        if (--depth == 0) break;
        continue;
      }
      if (depth > 1) continue;
      MIRUNE_RETURN_IF_ERROR(CheckCellRecord(r, extent));
      if (r.type == 0x0200) {  // DIMENSIONS
        if (r.data.size() < 12 || extent.dimensions) return Damaged("bad DIMENSIONS record");
        extent.dimensions = true;
        extent.dim_first_row = Get32(r.data, 0);
        extent.dim_end_row = Get32(r.data, 4);
        extent.dim_first_column = Get16(r.data, 8);
        extent.dim_end_column = Get16(r.data, 10);
        if (extent.dim_first_row > extent.dim_end_row ||
            extent.dim_end_row > static_cast<uint32_t>(kExcelMaxRows) ||
            extent.dim_first_column > extent.dim_end_column ||
            extent.dim_end_column > kExcelMaxColumns) {
          return Damaged("bad DIMENSIONS record");
        }
      }
      const std::string_view d = r.data;
      switch (r.type) {
        case 0x00FD: {  // LABELSST
          if (d.size() < 10) return Damaged("short cell record");
          const uint32_t index = Get32(d, 6);
          if (index >= strings_.size()) return Damaged("shared string index out of range");
          MIRUNE_RETURN_IF_ERROR(
              Put(sheet, Get16(d, 0), Get16(d, 2), Get16(d, 4), CellValue::Text(strings_[index])));
          break;
        }
        case 0x0204:    // LABEL
        case 0x00D6: {  // RSTRING
          if (d.size() < 6) return Damaged("short cell record");
          MIRUNE_ASSIGN_OR_RETURN(const std::u16string text, PlainString(d, 6));
          MIRUNE_RETURN_IF_ERROR(Put(sheet, Get16(d, 0), Get16(d, 2), Get16(d, 4),
                                     CellValue::Text(Utf16ToUtf8(text))));
          break;
        }
        case 0x0203:  // NUMBER
          if (d.size() < 14) return Damaged("short cell record");
          MIRUNE_RETURN_IF_ERROR(
              Put(sheet, Get16(d, 0), Get16(d, 2), Get16(d, 4), CellValue::Number(GetF64(d, 6))));
          break;
        case 0x027E:  // RK
          if (d.size() < 10) return Damaged("short cell record");
          MIRUNE_RETURN_IF_ERROR(Put(sheet, Get16(d, 0), Get16(d, 2), Get16(d, 4),
                                     CellValue::Number(DecodeRk(Get32(d, 6)))));
          break;
        case 0x00BD: {  // MULRK: row, first column, (xf, rk) pairs, last column
          if (d.size() < 6 || (d.size() - 6) % 6 != 0) return Damaged("bad MULRK record");
          const uint16_t row = Get16(d, 0);
          const uint16_t first = Get16(d, 2);
          const size_t count = (d.size() - 6) / 6;
          for (size_t k = 0; k < count; ++k) {
            MIRUNE_RETURN_IF_ERROR(Put(sheet, row, first + static_cast<uint32_t>(k),
                                       Get16(d, 4 + 6 * k),
                                       CellValue::Number(DecodeRk(Get32(d, 4 + 6 * k + 2)))));
          }
          break;
        }
        case 0x0201: {  // BLANK: a formatted empty cell
          MIRUNE_ASSIGN_OR_RETURN(ModelCell * cell, CellAt(sheet, Get16(d, 0), Get16(d, 2)));
          cell->style = StyleOf(Get16(d, 4));
          break;
        }
        case 0x00BE: {  // MULBLANK (shape checked by CheckCellRecord)
          const size_t count = (d.size() - 6) / 2;
          for (size_t k = 0; k < count; ++k) {
            MIRUNE_ASSIGN_OR_RETURN(
                ModelCell * cell,
                CellAt(sheet, Get16(d, 0), Get16(d, 2) + static_cast<uint32_t>(k)));
            cell->style = StyleOf(Get16(d, 4 + 2 * k));
          }
          break;
        }
        case 0x007D: {  // COLINFO: columns, width in 1/256 characters, format
          if (d.size() < 10) return Damaged("short COLINFO record");
          const uint16_t first = Get16(d, 0);
          const uint16_t last = Get16(d, 2);
          if (first > last || first >= kExcelMaxColumns) return Damaged("bad COLINFO record");
          const uint16_t xf = Get16(d, 6);
          if (xf >= xf_count_) return Damaged("column format index out of range");
          for (uint32_t c = first; c <= last && c < static_cast<uint32_t>(kExcelMaxColumns); ++c) {
            // A width the user did not set is the standard width.
            if (Get16(d, 8) & 0x0002) sheet.widths[c] = Get16(d, 4) / 256.0;
            sheet.column_styles[c] = StyleOf(xf);
          }
          break;
        }
        case 0x0205: {  // BOOLERR
          if (d.size() < 8) return Damaged("short cell record");
          if (d[7] == 0) {
            MIRUNE_RETURN_IF_ERROR(Put(sheet, Get16(d, 0), Get16(d, 2), Get16(d, 4),
                                       CellValue::Text(d[6] ? "TRUE" : "FALSE")));
          }
          break;
        }
        case 0x0006: {  // FORMULA: the cached result
          if (d.size() < 14) return Damaged("short formula record");
          const uint16_t row = Get16(d, 0), column = Get16(d, 2), xf = Get16(d, 4);
          if (Get16(d, 12) != 0xFFFF) {
            MIRUNE_RETURN_IF_ERROR(Put(sheet, row, column, xf, CellValue::Number(GetF64(d, 6))));
            break;
          }
          const uint8_t kind = static_cast<uint8_t>(d[6]);
          if (kind == 1) {
            MIRUNE_RETURN_IF_ERROR(
                Put(sheet, row, column, xf, CellValue::Text(d[8] ? "TRUE" : "FALSE")));
          } else if (kind == 0 && cursor.PeekType() == 0x0207) {  // the STRING record
            Record s{};
            MIRUNE_ASSIGN_OR_RETURN(more, cursor.Next(s));
            MIRUNE_ASSIGN_OR_RETURN(const std::u16string text, PlainString(s.data, 0));
            MIRUNE_RETURN_IF_ERROR(Put(sheet, row, column, xf, CellValue::Text(Utf16ToUtf8(text))));
          }
          break;
        }
        default:
          break;
      }
    }
    // Other readers size their cell tables by DIMENSIONS and then write every cell record
    // into them: a cell outside the declared extent is damage.
    if (extent.dimensions && extent.any_cell &&
        (extent.first_row < extent.dim_first_row || extent.last_row >= extent.dim_end_row ||
         extent.first_column < extent.dim_first_column ||
         extent.last_column >= extent.dim_end_column)) {
      return Damaged("cell outside the sheet's declared size");
    }
    return Status::Ok();
  }

  struct Extent {
    // Cells that already have a record: a second record for one cell is damage (other
    // readers free the first one's text as if it were still there).
    std::vector<uint64_t> seen =
        std::vector<uint64_t>(size_t{kExcelMaxRows} * kExcelMaxColumns / 64);
    bool Seen(uint32_t row, uint32_t column) {
      if (row >= static_cast<uint32_t>(kExcelMaxRows) ||
          column >= static_cast<uint32_t>(kExcelMaxColumns)) {
        return false;  // reported as outside the sheet
      }
      const size_t bit = size_t{row} * kExcelMaxColumns + column;
      const bool was = (seen[bit / 64] >> (bit % 64)) & 1;
      seen[bit / 64] |= uint64_t{1} << (bit % 64);
      return was;
    }
    bool dimensions = false;
    uint32_t dim_first_row = 0, dim_end_row = 0;
    uint32_t dim_first_column = 0, dim_end_column = 0;
    bool any_cell = false;
    uint32_t first_row = 0, last_row = 0, first_column = 0, last_column = 0;

    void Add(uint32_t row, uint32_t first, uint32_t last) {
      if (!any_cell) {
        any_cell = true;
        first_row = last_row = row;
        first_column = first;
        last_column = last;
        return;
      }
      first_row = std::min(first_row, row);
      last_row = std::max(last_row, row);
      first_column = std::min(first_column, first);
      last_column = std::max(last_column, last);
    }
  };

  // The shape of every cell record (blank ones too): row, columns and format indexes that
  // agree with the record's size and point at existing formats.
  Status CheckCellRecord(const Record& r, Extent& extent) const {
    const std::string_view d = r.data;
    switch (r.type) {
      case 0x00FD:
      case 0x0204:
      case 0x00D6:
      case 0x0203:
      case 0x027E:
      case 0x0205:
      case 0x0006:
      case 0x0201: {
        if (d.size() < 6) return Damaged("short cell record");
        if (Get16(d, 4) >= xf_count_) return Damaged("cell format index out of range");
        if (extent.Seen(Get16(d, 0), Get16(d, 2))) return Damaged("two records for one cell");
        extent.Add(Get16(d, 0), Get16(d, 2), Get16(d, 2));
        return Status::Ok();
      }
      case 0x00BE:    // MULBLANK: row, first column, n format indexes, last column
      case 0x00BD: {  // MULRK: row, first column, n (format index, RK), last column
        const size_t item = r.type == 0x00BE ? 2 : 6;
        if (d.size() < 6 + item || (d.size() - 6) % item != 0) {
          return Damaged("bad multiple-cell record");
        }
        const size_t count = (d.size() - 6) / item;
        const uint32_t first = Get16(d, 2);
        const uint32_t last = Get16(d, d.size() - 2);
        if (last < first || last - first + 1 != count) return Damaged("bad multiple-cell record");
        for (size_t k = 0; k < count; ++k) {
          if (Get16(d, 4 + item * k) >= xf_count_) {
            return Damaged("cell format index out of range");
          }
        }
        for (uint32_t c = first; c <= last; ++c) {
          if (extent.Seen(Get16(d, 0), c)) return Damaged("two records for one cell");
        }
        extent.Add(Get16(d, 0), first, last);
        return Status::Ok();
      }
      default:
        return Status::Ok();
    }
  }

  struct XfRecord {
    uint16_t font;
    uint16_t format;
    uint8_t alignment;
  };

  std::string_view stream_;
  uint32_t xf_count_ = 0;
  std::vector<std::pair<std::string, int>> fonts_;  // name, height in twips
  std::map<uint16_t, std::string> formats_;
  std::vector<XfRecord> xfs_;
  std::vector<int32_t> xf_styles_;  // style of each XF once made; -1 before
  WorkbookModel model_;
  std::vector<SheetEntry> sheets_;
  std::vector<std::string> strings_;
};

}  // namespace

Result<std::string> ReadCompoundStream(std::string_view file, std::u16string_view name) {
  CompoundFile cfb(file);
  MIRUNE_RETURN_IF_ERROR(cfb.Open());
  return cfb.Stream(name);
}

Result<WorkbookModel> ParseXlsBytes(std::string_view file) {
  CompoundFile cfb(file);
  MIRUNE_RETURN_IF_ERROR(cfb.Open());
  Result<std::string> stream = cfb.Stream(u"Workbook");
  if (!stream.ok()) {
    if (cfb.Stream(u"Book").ok()) {
      return Error{ErrorCode::kFormatError,
                   "a workbook older than Excel 97 cannot be read; save it as an Excel 97-2003 "
                   "workbook"};
    }
    return stream.error();
  }
  return BiffParser(*stream).Run();
}

}  // namespace mirune::xls
