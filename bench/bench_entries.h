#pragma once

// The generated index entries the workbook and collation benchmarks share: 65,536 entries of
// about 22,000 terms ("索引語N"), each on up to 400 pages, in a shuffled order of appearance;
// a term's reading is two to six hiragana, the same every time the term appears.

#include <cstdint>
#include <string>
#include <vector>

#include "base/utf.h"

namespace mirune::bench {

struct BenchEntry {
  uint32_t term = 0;
  std::string reading;
  int page = 0;
};

inline std::vector<BenchEntry> MakeBenchEntries() {
  std::vector<BenchEntry> entries;
  entries.reserve(65536);
  uint32_t seed = 12345;
  auto next = [&seed] {
    seed = seed * 1103515245u + 12345u;
    return (seed >> 8) & 0xFFFFFF;
  };
  for (int i = 0; i < 65536; ++i) {
    BenchEntry e;
    e.term = next() % 22000;
    const uint32_t t = e.term * 2654435761u;
    const int length = 2 + static_cast<int>(t % 5);
    for (int k = 0; k < length; ++k)
      AppendUtf8(e.reading, 0x3042 + (t >> (k * 3)) % 80);  // あ … ん
    e.page = 1 + static_cast<int>(next() % 400);
    entries.push_back(std::move(e));
  }
  return entries;
}

}  // namespace mirune::bench
