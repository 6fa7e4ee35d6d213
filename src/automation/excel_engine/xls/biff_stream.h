#pragma once

// The record layer of a BIFF8 workbook stream: records of a 2-byte type, a 2-byte length
// and at most 8,224 bytes of data, written little-endian one after another. The writer
// knows the stream position of everything it writes (the workbook stream starts at 0), so
// callers can patch offsets (BOUNDSHEET) and index positions (EXTSST).

#include <cstdint>
#include <cstring>
#include <string>
#include <string_view>

namespace mirune::xls {

// Largest data part of one record; longer data continues in CONTINUE records.
inline constexpr size_t kMaxRecordData = 8224;

namespace record {
inline constexpr uint16_t kBof = 0x0809;
inline constexpr uint16_t kEof = 0x000A;
inline constexpr uint16_t kCodePage = 0x0042;
inline constexpr uint16_t kDateMode = 0x0022;
inline constexpr uint16_t kWindow1 = 0x003D;
inline constexpr uint16_t kFont = 0x0031;
inline constexpr uint16_t kFormat = 0x041E;
inline constexpr uint16_t kXf = 0x00E0;
inline constexpr uint16_t kStyle = 0x0293;
inline constexpr uint16_t kBoundSheet = 0x0085;
inline constexpr uint16_t kSst = 0x00FC;
inline constexpr uint16_t kExtSst = 0x00FF;
inline constexpr uint16_t kContinue = 0x003C;
inline constexpr uint16_t kDefaultRowHeight = 0x0225;
inline constexpr uint16_t kWsBool = 0x0081;
inline constexpr uint16_t kDefColWidth = 0x0055;
inline constexpr uint16_t kColInfo = 0x007D;
inline constexpr uint16_t kDimensions = 0x0200;
inline constexpr uint16_t kLabelSst = 0x00FD;
inline constexpr uint16_t kNumber = 0x0203;
inline constexpr uint16_t kRk = 0x027E;
inline constexpr uint16_t kBlank = 0x0201;
inline constexpr uint16_t kMulBlank = 0x00BE;
inline constexpr uint16_t kWindow2 = 0x023E;
}  // namespace record

class BiffWriter {
 public:
  // Current stream position.
  size_t position() const { return out_.size(); }

  // Starts a record; its length is filled in by EndRecord. Records do not nest.
  void BeginRecord(uint16_t type) {
    record_start_ = out_.size();
    U16(type);
    U16(0);
  }
  // Finishes the record begun last. Precondition: its data is at most kMaxRecordData bytes.
  void EndRecord() {
    const size_t length = out_.size() - record_start_ - 4;
    PatchU16(record_start_ + 2, static_cast<uint16_t>(length));
  }
  // Start of the record begun last (its 4-byte header).
  size_t record_start() const { return record_start_; }
  // Data bytes written so far into the record begun last.
  size_t record_length() const { return out_.size() - record_start_ - 4; }

  // A whole record.
  void Record(uint16_t type, std::string_view data) {
    BeginRecord(type);
    Bytes(data);
    EndRecord();
  }

  void U8(uint8_t v) { out_.push_back(static_cast<char>(v)); }
  void U16(uint16_t v) {
    char b[2] = {static_cast<char>(v & 0xFF), static_cast<char>(v >> 8)};
    out_.append(b, 2);
  }
  void U32(uint32_t v) {
    char b[4] = {static_cast<char>(v & 0xFF), static_cast<char>((v >> 8) & 0xFF),
                 static_cast<char>((v >> 16) & 0xFF), static_cast<char>(v >> 24)};
    out_.append(b, 4);
  }
  void F64(double v) {
    uint64_t bits;
    std::memcpy(&bits, &v, 8);
    U32(static_cast<uint32_t>(bits));
    U32(static_cast<uint32_t>(bits >> 32));
  }
  void Bytes(std::string_view data) { out_.append(data); }
  void Zeros(size_t n) { out_.append(n, '\0'); }
  // UTF-16 code units, little-endian, or their low bytes when `compressed`.
  void Units(const char16_t* units, size_t n, bool compressed);

  void PatchU16(size_t at, uint16_t v) {
    out_[at] = static_cast<char>(v & 0xFF);
    out_[at + 1] = static_cast<char>(v >> 8);
  }
  void PatchU32(size_t at, uint32_t v) {
    PatchU16(at, static_cast<uint16_t>(v & 0xFFFF));
    PatchU16(at + 2, static_cast<uint16_t>(v >> 16));
  }

  void Reserve(size_t n) { out_.reserve(n); }
  std::string& bytes() { return out_; }

 private:
  std::string out_;
  size_t record_start_ = 0;
};

// True when every code unit fits in one byte (the string can be stored compressed).
bool FitsCompressed(std::u16string_view text);

}  // namespace mirune::xls
