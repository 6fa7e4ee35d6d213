#include "base/text_encoding.h"

#include "base/cp932.h"
#include "base/utf.h"

namespace mirune {
namespace {

std::u16string Utf16FromBytes(std::string_view bytes, bool big_endian) {
  std::u16string out;
  out.resize(bytes.size() / 2);
  for (size_t i = 0; i < out.size(); ++i) {
    const auto b0 = static_cast<unsigned char>(bytes[2 * i]);
    const auto b1 = static_cast<unsigned char>(bytes[2 * i + 1]);
    out[i] = big_endian ? static_cast<char16_t>(b0 << 8 | b1) : static_cast<char16_t>(b1 << 8 | b0);
  }
  return out;
}

bool StartsWith(std::string_view s, std::string_view prefix) {
  return s.substr(0, prefix.size()) == prefix;
}

}  // namespace

Result<std::u16string> DecodeUtf16Text(std::string_view bytes) {
  if (StartsWith(bytes, "\xEF\xBB\xBF")) {
    return Error{ErrorCode::kFormatError, "the text is UTF-8, not UTF-16"};
  }
  bool big_endian = false;
  if (StartsWith(bytes, "\xFF\xFE")) {
    bytes.remove_prefix(2);
  } else if (StartsWith(bytes, "\xFE\xFF")) {
    big_endian = true;
    bytes.remove_prefix(2);
  } else {
    // No BOM: text in the Latin and tag range has a zero high byte, which tells the order.
    size_t zero_even = 0, zero_odd = 0;
    const size_t probe = bytes.size() < 4096 ? bytes.size() : 4096;
    for (size_t i = 0; i < probe; ++i) {
      if (bytes[i] == 0) ++(i % 2 == 0 ? zero_even : zero_odd);
    }
    if (zero_even == 0 && zero_odd == 0 && !bytes.empty()) {
      return Error{ErrorCode::kFormatError, "the text is not UTF-16 (no byte-order mark)"};
    }
    big_endian = zero_even > zero_odd;
  }
  if (bytes.size() % 2 != 0) {
    return Error{ErrorCode::kFormatError, "truncated UTF-16 text (odd number of bytes)"};
  }
  return Utf16FromBytes(bytes, big_endian);
}

Result<std::string> DecodeTextFile(std::string_view bytes) {
  if (StartsWith(bytes, "\xFF\xFE") || StartsWith(bytes, "\xFE\xFF")) {
    auto u16 = DecodeUtf16Text(bytes);
    if (!u16.ok()) return u16.error();
    return Utf16ToUtf8(*u16);
  }
  if (StartsWith(bytes, "\xEF\xBB\xBF")) bytes.remove_prefix(3);
  if (IsValidUtf8(bytes)) return std::string(bytes);
  // Code page 932, as this program writes Razoza.txt; taken only when every byte sequence is a
  // character of it, so other text is refused rather than garbled.
  std::string decoded = DecodeCp932(bytes);
  if (decoded.find("\xEF\xBF\xBD") == std::string::npos) return decoded;
  return Error{ErrorCode::kFormatError,
               "文字コードが UTF-8、BOM 付きの UTF-16、シフト JIS（コードページ 932）のどれでも"
               "ありません"};
}

}  // namespace mirune
