#include "base/euc_jp.h"

#include <cstdint>

#include "base/cp932.h"
#include "base/utf.h"

namespace mirune {
namespace {

// Row-1 codes that code page 932 maps to full-width forms and JIS X 0208 does not.
char32_t JisMeaning(uint16_t sjis, char32_t cp932) {
  switch (sjis) {
    case 0x8160:
      return U'\u301C';  // 〜 WAVE DASH
    case 0x8161:
      return U'\u2016';  // ‖ DOUBLE VERTICAL LINE
    case 0x817C:
      return U'\u2212';  // − MINUS SIGN
    case 0x8191:
      return U'\u00A2';  // ¢
    case 0x8192:
      return U'\u00A3';  // £
    case 0x81CA:
      return U'\u00AC';  // ¬
    default:
      return cp932;
  }
}

// JIS X 0208 row and cell (each 0x21..0x7E) to the Shift-JIS code.
uint16_t JisToSjis(unsigned j1, unsigned j2) {
  const unsigned s1 = ((j1 + 1) >> 1) + (j1 <= 0x5E ? 0x70 : 0xB0);
  const unsigned s2 = j2 + ((j1 & 1) ? (j2 >= 0x60 ? 0x20 : 0x1F) : 0x7E);
  return static_cast<uint16_t>(s1 << 8 | s2);
}

}  // namespace

bool AppendDecodedEucJp(std::string_view bytes, std::string& out) {
  const size_t old_size = out.size();
  auto fail = [&] {
    out.resize(old_size);
    return false;
  };
  for (size_t i = 0; i < bytes.size();) {
    const auto b1 = static_cast<unsigned char>(bytes[i]);
    if (b1 < 0x80) {
      size_t end = i + 1;
      while (end < bytes.size() && static_cast<unsigned char>(bytes[end]) < 0x80) ++end;
      out.append(bytes.data() + i, end - i);
      i = end;
      continue;
    }
    if (i + 1 >= bytes.size()) return fail();
    const auto b2 = static_cast<unsigned char>(bytes[i + 1]);
    i += 2;
    if (b1 == 0x8E) {
      // Half-width katakana: the same single byte in Shift-JIS.
      if (b2 < 0xA1 || b2 > 0xDF) return fail();
      AppendUtf8(out, static_cast<char32_t>(0xFF61 + (b2 - 0xA1)));
      continue;
    }
    if (b1 < 0xA1 || b1 > 0xFE || b2 < 0xA1 || b2 > 0xFE) return fail();
    // Rows 4 and 5, hiragana and katakana, most of a kana dictionary: in Unicode's order.
    if (b1 == 0xA4 && b2 <= 0xF3) {
      AppendUtf8(out, static_cast<char32_t>(0x3041 + (b2 - 0xA1)));
      continue;
    }
    if (b1 == 0xA5 && b2 <= 0xF6) {
      AppendUtf8(out, static_cast<char32_t>(0x30A1 + (b2 - 0xA1)));
      continue;
    }
    const uint16_t sjis = JisToSjis(b1 - 0x80, b2 - 0x80);
    const std::optional<char32_t> c = Cp932Char(sjis);
    if (!c) return fail();
    AppendUtf8(out, JisMeaning(sjis, *c));
  }
  return true;
}

std::optional<std::string> DecodeEucJp(std::string_view bytes) {
  std::string out;
  out.reserve(bytes.size() * 3 / 2);
  if (!AppendDecodedEucJp(bytes, out)) return std::nullopt;
  return out;
}

}  // namespace mirune
