#include <iconv.h>

#include <mutex>

#include "base/cp932_platform.h"

namespace mirune::platform {
namespace {

// glibc's converter under the name Windows uses for this code page.
class Converter {
 public:
  Converter(const char* to, const char* from) : cd_(iconv_open(to, from)) {}
  ~Converter() {
    if (cd_ != reinterpret_cast<iconv_t>(-1)) iconv_close(cd_);
  }
  Converter(const Converter&) = delete;
  Converter& operator=(const Converter&) = delete;

  // Converts `in` completely into at most `cap` bytes; returns the output length or -1.
  int Convert(const char* in, size_t in_len, char* out, size_t cap) {
    if (cd_ == reinterpret_cast<iconv_t>(-1)) return -1;
    std::lock_guard<std::mutex> lock(mu_);
    iconv(cd_, nullptr, nullptr, nullptr, nullptr);
    char* src = const_cast<char*>(in);
    char* dst = out;
    size_t left = in_len;
    size_t room = cap;
    if (iconv(cd_, &src, &left, &dst, &room) == static_cast<size_t>(-1) || left != 0) return -1;
    return static_cast<int>(cap - room);
  }

 private:
  iconv_t cd_;
  std::mutex mu_;
};

Converter& Encoder() {
  static Converter c("CP932", "UTF-16LE");
  return c;
}
Converter& Decoder() {
  static Converter c("UTF-16LE", "CP932");
  return c;
}

}  // namespace

std::optional<uint16_t> Cp932EncodeRaw(char16_t c) {
  const char in[2] = {static_cast<char>(c & 0xFF), static_cast<char>(c >> 8)};
  char out[4];
  const int n = Encoder().Convert(in, 2, out, sizeof(out));
  if (n == 1) return static_cast<uint16_t>(static_cast<unsigned char>(out[0]));
  if (n == 2) {
    return static_cast<uint16_t>(static_cast<unsigned char>(out[0]) << 8 |
                                 static_cast<unsigned char>(out[1]));
  }
  return std::nullopt;
}

std::optional<char16_t> Cp932DecodeRaw(uint16_t code) {
  char in[2];
  size_t len = 0;
  if (code > 0xFF) in[len++] = static_cast<char>(code >> 8);
  in[len++] = static_cast<char>(code & 0xFF);
  char out[8];
  const int n = Decoder().Convert(in, len, out, sizeof(out));
  if (n != 2) return std::nullopt;  // unassigned, or more than one UTF-16 unit
  return static_cast<char16_t>(static_cast<unsigned char>(out[0]) |
                               static_cast<unsigned char>(out[1]) << 8);
}

}  // namespace mirune::platform
