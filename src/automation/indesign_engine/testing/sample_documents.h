#pragma once

// Small documents for the engine's golden tests.

#include <string>

#include "automation/indesign_engine/layout_model.h"

namespace mirune::indesign_test {

// A short Japanese story over two pages ("1", "2"), one thread of two frames:
//   paragraph 1: a term marked by the swatch RazozaMark1 (local fill colour) and one marked by
//                the colour-only character style RazozaMark2;
//   paragraph 2: two marks that touch (東京 by colour, 大学 by style), then a word with an
//                unmarked local colour;
//   paragraph 3: text with < > and \, a TAB, a forced line break and an auto page number;
//   paragraph 4: a colour-marked term 用語集 across the frame break (the first frame ends
//                after 用語), so the first page marker lands inside the term; then a
//                style-marked term 二頁目 in the second frame.
layout::Document GoldenSampleDocument(std::string full_name);

}  // namespace mirune::indesign_test
