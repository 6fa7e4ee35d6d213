#pragma once

// The generated book that the benchmarks and the resource table's inputs share: `pages` pages,
// one main story threaded through a frame on every page (about 900 characters a page, a marked
// term in every paragraph, about 300 different terms) and a running head of its own on every
// page. It stops the program when the builder refuses it, which is a fault of this file.

#include <cstdio>
#include <cstdlib>
#include <string>
#include <utility>

#include "automation/indesign_engine/builder.h"

namespace mirune::indesign_test {

inline layout::Document MakeGeneratedBook(const std::string& path, int pages) {
  layout::DocumentBuilder b(path);
  const int32_t mark = b.AddSwatch("RazozaMark1", {layout::ColorSpace::kCmyk, {0, 100, 0, 0}});
  const int32_t main = b.AddStory();
  for (int p = 0; p < pages; ++p) {
    for (int paragraph = 0; paragraph < 6; ++paragraph) {
      b.Append(main, "日本語の組版では文字を正方形の枠に並べて一行の字数と行数を決める。");
      b.Append(main, "索引語" + std::to_string((p * 6 + paragraph) % 293), {.fill_color = mark});
      b.Append(main,
               "に色を付けておくと、抽出の際にその語とページ番号が拾われる。"
               "Latin text and numbers 12345 mix in.\r");
    }
  }
  for (int p = 0; p < pages; ++p) {
    const int32_t page = b.AddPage(std::to_string(p + 1));
    b.AddFrame(page, main, p + 1 < pages ? 0 : layout::kRestOfStory);
    const int32_t head = b.AddStory();
    b.Append(head, "第" + std::to_string(p / 20 + 1) + "章　柱");
    b.AddFrame(page, head);
  }
  auto document = b.Build();
  if (!document.ok()) {
    std::fprintf(stderr, "%s\n", document.message().c_str());
    std::abort();
  }
  return std::move(document).value();
}

}  // namespace mirune::indesign_test
