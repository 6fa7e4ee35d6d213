// The whole-term dictionary's loader on any bytes: it never crashes, and what it reads is
// consistent (every term it holds gives its readings back).
#include <cstddef>
#include <cstdint>
#include <string_view>

#include "analysis/whole_term_dictionary.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  const std::string_view bytes(reinterpret_cast<const char*>(data), size);
  auto d = mirune::WholeTermDictionary::ParseSkk("fuzz.skk", bytes);
  if (d.ok()) {
    for (size_t cut = 0; cut <= size && cut < 64; ++cut) {
      (void)(*d)->Readings(bytes.substr(0, cut));
    }
  }
  return 0;
}
