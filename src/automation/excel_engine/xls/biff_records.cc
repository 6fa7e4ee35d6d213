#include "automation/excel_engine/xls/biff_records.h"

#include <algorithm>
#include <cstring>

#include "automation/excel.h"
#include "base/little_endian.h"

namespace mirune::xls {
namespace {

Error Broken(const char* what) { return Error{ErrorCode::kFormatError, what}; }

// Characters of a string: `count` units, one or two bytes each.
std::u16string Units(std::string_view data, size_t at, size_t count, bool wide) {
  std::u16string out;
  out.reserve(count);
  for (size_t i = 0; i < count; ++i) {
    out.push_back(wide ? ReadLe16(data, at + 2 * i) : static_cast<uint8_t>(data[at + i]));
  }
  return out;
}

}  // namespace

Result<bool> RecordCursor::Next(Record& record) {
  if (pos_ > stream_.size() || stream_.size() - pos_ < 4) return false;
  const uint16_t type = ReadLe16(stream_, pos_);
  const uint16_t length = ReadLe16(stream_, pos_ + 2);
  if (stream_.size() - pos_ - 4 < length) {
    return Broken("記録 (レコード) がストリームの終わりを越えています");
  }
  record = {type, stream_.substr(pos_ + 4, length)};
  pos_ += 4 + size_t{length};
  return true;
}

uint16_t RecordCursor::PeekType() const {
  return pos_ <= stream_.size() && stream_.size() - pos_ >= 4 ? ReadLe16(stream_, pos_) : 0;
}

std::vector<std::string_view> RecordCursor::WithContinues(const Record& record) {
  std::vector<std::string_view> parts{record.data};
  Record next;
  // PeekType() saw a whole record header; Next() can still refuse a cut record, which ends
  // the parts here and is reported by the next read of the caller's loop.
  while (PeekType() == 0x003C) {
    const size_t before = pos_;
    Result<bool> more = Next(next);
    if (!more.ok() || !*more) {
      pos_ = before;
      break;
    }
    parts.push_back(next.data);
  }
  return parts;
}

bool ContinuedReader::AtEnd() const {
  size_t part = part_, at = at_;
  while (part < parts_.size() && at >= parts_[part].size()) {
    ++part;
    at = 0;
  }
  return part >= parts_.size();
}

Status ContinuedReader::Ready() {
  while (part_ < parts_.size() && at_ >= parts_[part_].size()) {
    ++part_;
    at_ = 0;
  }
  if (part_ >= parts_.size()) return Broken("文字列の途中で記録が終わっています");
  return Status::Ok();
}

Result<uint8_t> ContinuedReader::Byte() {
  MIRUNE_RETURN_IF_ERROR(Ready());
  return static_cast<uint8_t>(parts_[part_][at_++]);
}

Result<uint16_t> ContinuedReader::U16() {
  MIRUNE_ASSIGN_OR_RETURN(const uint8_t lo, Byte());
  MIRUNE_ASSIGN_OR_RETURN(const uint8_t hi, Byte());
  return static_cast<uint16_t>(lo | hi << 8);
}

Result<uint32_t> ContinuedReader::U32() {
  MIRUNE_ASSIGN_OR_RETURN(const uint16_t lo, U16());
  MIRUNE_ASSIGN_OR_RETURN(const uint16_t hi, U16());
  return static_cast<uint32_t>(lo | static_cast<uint32_t>(hi) << 16);
}

Status ContinuedReader::Skip(size_t n) {
  while (n > 0) {
    MIRUNE_RETURN_IF_ERROR(Ready());
    const size_t take = std::min(n, parts_[part_].size() - at_);
    at_ += take;
    n -= take;
  }
  return Status::Ok();
}

Result<std::u16string> ContinuedReader::RichString() {
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

Result<std::u16string> ContinuedReader::PlainString() {
  MIRUNE_ASSIGN_OR_RETURN(const uint16_t count, U16());
  MIRUNE_ASSIGN_OR_RETURN(const uint8_t flags, Byte());
  return Characters(count, (flags & 0x01) != 0);
}

Result<std::u16string> ContinuedReader::Characters(size_t count, bool wide) {
  std::u16string out;
  out.reserve(std::min<size_t>(count, 0x10000));
  while (out.size() < count) {
    if (part_ >= parts_.size()) return Broken("文字列の途中で記録が終わっています");
    if (at_ >= parts_[part_].size()) {
      // Character data goes on in the next CONTINUE, after its own flags byte.
      ++part_;
      at_ = 0;
      if (part_ >= parts_.size() || parts_[part_].empty()) {
        return Broken("文字列の途中で記録が終わっています");
      }
      wide = (parts_[part_][0] & 0x01) != 0;
      at_ = 1;
      continue;
    }
    const std::string_view p = parts_[part_];
    if (wide) {
      if (at_ + 2 > p.size()) return Broken("文字が記録の境目で分かれています");
      out.push_back(ReadLe16(p, at_));
      at_ += 2;
    } else {
      out.push_back(static_cast<uint8_t>(p[at_]));
      at_ += 1;
    }
  }
  return out;
}

Result<std::u16string> StringRecordText(const std::vector<std::string_view>& parts) {
  ContinuedReader excel(parts);
  Result<std::u16string> text = excel.PlainString();
  if ((text.ok() && excel.AtEnd()) || parts.size() == 1) return text;
  std::string joined;
  for (std::string_view p : parts) joined.append(p);
  Result<std::u16string> raw = PlainStringAt(joined, 0);
  if (raw.ok() && joined.size() == 3 + raw->size() * ((joined[2] & 0x01) ? 2 : 1)) return raw;
  return text.ok() ? Broken("文字列の後に余分なデータがあります") : text;
}

Result<std::u16string> PlainStringAt(std::string_view data, size_t at) {
  if (at > data.size() || data.size() - at < 3) return Broken("文字列が途中で切れています");
  const uint16_t count = ReadLe16(data, at);
  const bool wide = (data[at + 2] & 0x01) != 0;
  at += 3;
  if (data.size() - at < size_t{count} * (wide ? 2 : 1)) {
    return Broken("文字列が途中で切れています");
  }
  return Units(data, at, count, wide);
}

Result<std::u16string> ShortStringAt(std::string_view data, size_t at) {
  if (at > data.size() || data.size() - at < 2) return Broken("名前が途中で切れています");
  const uint8_t count = static_cast<uint8_t>(data[at]);
  const bool wide = (data[at + 1] & 0x01) != 0;
  at += 2;
  if (data.size() - at < size_t{count} * (wide ? 2 : 1)) {
    return Broken("名前が途中で切れています");
  }
  return Units(data, at, count, wide);
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

std::string_view ErrorValueText(uint8_t code) { return ExcelErrorText(code); }

}  // namespace mirune::xls
