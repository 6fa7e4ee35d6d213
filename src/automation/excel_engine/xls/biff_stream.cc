#include "automation/excel_engine/xls/biff_stream.h"

namespace mirune::xls {

void BiffWriter::Units(const char16_t* units, size_t n, bool compressed) {
  const size_t at = out_.size();
  if (compressed) {
    out_.resize(at + n);
    for (size_t i = 0; i < n; ++i) out_[at + i] = static_cast<char>(units[i]);
  } else {
    out_.resize(at + 2 * n);
    for (size_t i = 0; i < n; ++i) {
      out_[at + 2 * i] = static_cast<char>(units[i] & 0xFF);
      out_[at + 2 * i + 1] = static_cast<char>(units[i] >> 8);
    }
  }
}

bool FitsCompressed(std::u16string_view text) {
  for (char16_t c : text) {
    if (c > 0xFF) return false;
  }
  return true;
}

}  // namespace mirune::xls
