// Fuzz target of the Japanese collation: any bytes (readings come from workbooks the user has
// edited) split at newlines into three texts. Whatever they hold, the order must be a total
// preorder (reflexive, antisymmetric in sign, transitive), and a well-formed text must sort
// before every longer text that begins with it.

#include <cstdint>
#include <cstdlib>
#include <string>
#include <string_view>

#include "automation/excel_engine/ja_collator.h"
#include "base/utf.h"

namespace {

void Check(bool ok) {
  if (!ok) std::abort();
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  const std::string_view input(reinterpret_cast<const char*>(data), size);
  std::string_view texts[3];
  size_t start = 0;
  for (int i = 0; i < 3; ++i) {
    const size_t end = i < 2 ? input.find('\n', start) : std::string_view::npos;
    texts[i] = input.substr(start, end == std::string_view::npos ? input.npos : end - start);
    if (end == std::string_view::npos) break;
    start = end + 1;
  }
  const std::string_view a = texts[0], b = texts[1], c = texts[2];
  Check(mirune::JaCompare(a, a) == 0);
  const int ab = mirune::JaCompare(a, b);
  const int bc = mirune::JaCompare(b, c);
  const int ac = mirune::JaCompare(a, c);
  Check(ab == -mirune::JaCompare(b, a));
  if (ab <= 0 && bc <= 0) Check(ac <= 0);
  if (ab >= 0 && bc >= 0) Check(ac >= 0);
  if (!b.empty() && mirune::IsValidUtf8(a)) {
    Check(mirune::JaCompare(a, std::string(a) + std::string(b)) < 0);
  }
  return 0;
}
