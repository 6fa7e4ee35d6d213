#pragma once

// Little-endian integers and doubles read from bytes, as file formats (compound files, BIFF,
// zip) store them. The plain readers take a position the caller has checked to lie inside
// the bytes; the `...At` readers check it themselves and answer std::nullopt past the end.

#include <cstddef>
#include <cstdint>
#include <cstring>
#include <optional>
#include <string_view>

namespace mirune {

// Precondition: `p` points at 2, 4 or 8 readable bytes.
inline uint16_t LoadLe16(const void* p) {
  const auto* b = static_cast<const unsigned char*>(p);
  return static_cast<uint16_t>(b[0] | b[1] << 8);
}
inline uint32_t LoadLe32(const void* p) {
  const auto* b = static_cast<const unsigned char*>(p);
  return static_cast<uint32_t>(b[0]) | static_cast<uint32_t>(b[1]) << 8 |
         static_cast<uint32_t>(b[2]) << 16 | static_cast<uint32_t>(b[3]) << 24;
}
inline uint64_t LoadLe64(const void* p) {
  const auto* b = static_cast<const unsigned char*>(p);
  return LoadLe32(b) | static_cast<uint64_t>(LoadLe32(b + 4)) << 32;
}
// An IEEE 754 double stored little-endian.
inline double LoadLeDouble(const void* p) {
  const uint64_t bits = LoadLe64(p);
  double v;
  std::memcpy(&v, &bits, sizeof v);
  return v;
}

// Precondition: at + width <= bytes.size().
inline uint16_t ReadLe16(std::string_view bytes, size_t at) { return LoadLe16(bytes.data() + at); }
inline uint32_t ReadLe32(std::string_view bytes, size_t at) { return LoadLe32(bytes.data() + at); }
inline uint64_t ReadLe64(std::string_view bytes, size_t at) { return LoadLe64(bytes.data() + at); }
inline double ReadLeDouble(std::string_view bytes, size_t at) {
  return LoadLeDouble(bytes.data() + at);
}

// std::nullopt when the value would run past the end of `bytes`.
inline std::optional<uint16_t> ReadLe16At(std::string_view bytes, size_t at) {
  if (at > bytes.size() || bytes.size() - at < 2) return std::nullopt;
  return ReadLe16(bytes, at);
}
inline std::optional<uint32_t> ReadLe32At(std::string_view bytes, size_t at) {
  if (at > bytes.size() || bytes.size() - at < 4) return std::nullopt;
  return ReadLe32(bytes, at);
}
inline std::optional<uint64_t> ReadLe64At(std::string_view bytes, size_t at) {
  if (at > bytes.size() || bytes.size() - at < 8) return std::nullopt;
  return ReadLe64(bytes, at);
}

}  // namespace mirune
