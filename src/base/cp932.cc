#include "base/cp932.h"

#include <array>
#include <memory>

#include "base/cp932_platform.h"
#include "base/utf.h"

namespace mirune {
namespace {

constexpr uint16_t kNone = 0xFFFF;  // no code uses FFFF in code page 932
constexpr char16_t kNoChar = 0xFFFF;

// Both directions for the whole BMP, built once from the platform converter and
// immutable afterwards.
struct Tables {
  std::array<uint16_t, 0x10000> encode;
  std::array<char16_t, 0x10000> decode;
};

std::unique_ptr<Tables> BuildTables() {
  auto t = std::make_unique<Tables>();
  t->encode.fill(kNone);
  t->decode.fill(kNoChar);
  auto decode_one = [&](uint16_t code) {
    if (auto c = platform::Cp932DecodeRaw(code)) t->decode[code] = *c;
  };
  for (uint32_t b = 0; b < 0x100; ++b) decode_one(static_cast<uint16_t>(b));
  for (uint32_t lead = 0x81; lead <= 0xFC; ++lead) {
    if (lead >= 0xA0 && lead <= 0xDF) continue;
    for (uint32_t trail = 0x40; trail <= 0xFC; ++trail) {
      if (trail == 0x7F) continue;
      decode_one(static_cast<uint16_t>(lead << 8 | trail));
    }
  }
  for (uint32_t c = 0; c < 0x10000; ++c) {
    if (c >= 0xD800 && c <= 0xDFFF) continue;
    const auto code = platform::Cp932EncodeRaw(static_cast<char16_t>(c));
    // Windows' own answer: only a character that comes back as itself is representable.
    if (code && t->decode[*code] == static_cast<char16_t>(c)) t->encode[c] = *code;
  }
  return t;
}

const Tables& GetTables() {
  static const std::unique_ptr<Tables> tables = BuildTables();
  return *tables;
}

}  // namespace

std::optional<uint16_t> Cp932Code(char32_t c) {
  if (c >= 0x10000) return std::nullopt;
  const uint16_t code = GetTables().encode[c];
  if (code == kNone) return std::nullopt;
  return code;
}

std::optional<char32_t> Cp932Char(uint16_t code) {
  const char16_t c = GetTables().decode[code];
  if (c == kNoChar) return std::nullopt;
  return c;
}

std::string EncodeCp932(std::string_view utf8, bool* all_representable) {
  const Tables& t = GetTables();
  std::string out;
  out.reserve(utf8.size());
  bool all = true;
  size_t pos = 0;
  while (pos < utf8.size()) {
    const char32_t c = DecodeUtf8(utf8, pos);
    const uint16_t code = c < 0x10000 ? t.encode[c] : kNone;
    if (code == kNone) {
      out.push_back('?');
      all = false;
    } else if (code > 0xFF) {
      out.push_back(static_cast<char>(code >> 8));
      out.push_back(static_cast<char>(code & 0xFF));
    } else {
      out.push_back(static_cast<char>(code));
    }
  }
  if (all_representable) *all_representable = all;
  return out;
}

std::string DecodeCp932(std::string_view bytes) {
  const Tables& t = GetTables();
  std::string out;
  out.reserve(bytes.size() * 3 / 2);
  for (size_t i = 0; i < bytes.size(); ++i) {
    const auto b = static_cast<unsigned char>(bytes[i]);
    const bool lead = (b >= 0x81 && b <= 0x9F) || (b >= 0xE0 && b <= 0xFC);
    if (lead && i + 1 < bytes.size()) {
      const uint16_t code =
          static_cast<uint16_t>(b << 8 | static_cast<unsigned char>(bytes[i + 1]));
      const char16_t c = t.decode[code];
      if (c != kNoChar) {
        AppendUtf8(out, c);
        ++i;
        continue;
      }
    }
    const char16_t c = lead ? kNoChar : t.decode[b];
    AppendUtf8(out, c == kNoChar ? kReplacementChar : c);
  }
  return out;
}

}  // namespace mirune
