#pragma once

// The pieces of a BIFF8 workbook stream below the level of workbooks and sheets: records
// with their type and data, data continued in CONTINUE records, the string forms and RK
// numbers. Every read is checked against the bytes that are there. Errors carry a bare
// Japanese cause (no file, sheet or cell), for the reader to place.

#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

#include "base/result.h"

namespace mirune::xls {

struct Record {
  uint16_t type = 0;
  std::string_view data;
};

// Records from `offset` on, each checked to lie inside the stream.
class RecordCursor {
 public:
  RecordCursor(std::string_view stream, size_t offset) : stream_(stream), pos_(offset) {}
  // False at the end of the stream; a record running past the end is an error.
  Result<bool> Next(Record& record);
  // The next record's type without consuming it, or 0 at the end.
  uint16_t PeekType() const;
  // The record's data followed by those of the CONTINUE records right after it (consumed).
  std::vector<std::string_view> WithContinues(const Record& record);

 private:
  std::string_view stream_;
  size_t pos_;
};

// A record's data with its CONTINUE records, read as one sequence. Character data that
// crosses into a CONTINUE resumes after a flags byte; other data does not.
class ContinuedReader {
 public:
  explicit ContinuedReader(std::vector<std::string_view> parts) : parts_(std::move(parts)) {}

  bool AtEnd() const;
  Result<uint8_t> Byte();
  Result<uint16_t> U16();
  Result<uint32_t> U32();
  Status Skip(size_t n);

  // An XLUnicodeRichExtendedString (the shared strings): rich-text runs and phonetic data
  // are passed over.
  Result<std::u16string> RichString();
  // An XLUnicodeString with a 2-byte count (a formula's STRING result).
  Result<std::u16string> PlainString();

 private:
  Status Ready();
  Result<std::u16string> Characters(size_t count, bool wide);

  std::vector<std::string_view> parts_;
  size_t part_ = 0;
  size_t at_ = 0;
};

// The text of a STRING record (a formula's text result) and its CONTINUE records `parts`.
// Excel starts each CONTINUE with a flags byte; gnumeric cuts the record's bytes into
// CONTINUE records as they come, without flags bytes and even inside a character. The
// reading that accounts for every byte is taken, Excel's first.
Result<std::u16string> StringRecordText(const std::vector<std::string_view>& parts);

// An XLUnicodeString with a 2-byte count inside one record (LABEL, RSTRING, FORMAT), at `at`.
Result<std::u16string> PlainStringAt(std::string_view data, size_t at);
// A ShortXLUnicodeString (1-byte count) at `at` (FONT, BOUNDSHEET).
Result<std::u16string> ShortStringAt(std::string_view data, size_t at);

// The number an RK value stands for.
double DecodeRk(uint32_t rk);

// Excel's text of an error value ("#DIV/0!"); empty for a code Excel does not have.
std::string_view ErrorValueText(uint8_t code);

}  // namespace mirune::xls
