#pragma once

// Reading of a compound file (the container of an .xls workbook): its header, sector
// tables, directory and the streams it holds, regular or in the mini stream. Every length,
// offset and sector number is checked against the bytes that are there, so a damaged or
// hostile file fails with kFormatError and nothing else.
//
// Error messages are Japanese causes written to follow the file's name (「Book.xls」 + "の
// 複合ファイルが壊れています…"): they begin with "は" or "の".

#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

#include "base/result.h"

namespace mirune::xls {

class CompoundFileReader {
 public:
  // `file` must outlive the reader.
  explicit CompoundFileReader(std::string_view file) : file_(file) {}

  // Reads the header, the sector tables and the directory. kFormatError when the bytes are
  // no compound file or a damaged one.
  Status Open();

  // The stream named `name` (compared as Excel does: ASCII letters without case). kNotFound
  // when there is no such stream; kFormatError when its sectors are damaged. After Open().
  Result<std::string> Stream(std::u16string_view name) const;

 private:
  size_t Offset(uint32_t sector) const;
  Result<std::string> Chain(uint32_t start, size_t limit, bool allow_empty, bool mini) const;

  std::string_view file_;
  size_t sector_size_ = 512;
  size_t sector_count_ = 0;
  uint32_t mini_cutoff_ = 4096;
  std::vector<uint32_t> fat_;
  std::vector<uint32_t> mini_fat_;
  std::string directory_;
  std::string mini_stream_;
};

// The stream `name` of the compound file `file`.
Result<std::string> ReadCompoundStream(std::string_view file, std::u16string_view name);

}  // namespace mirune::xls
