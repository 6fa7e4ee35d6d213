#pragma once

// What the dialog of the finished index ("索引作成") offers, as the index launch's request:
// the workbook and the chosen entry of each list (help_form::kSheetChoices … in
// gui/help_layout.h, 0 the first). A choice out of range takes the default.

#include <string>

#include "app/index_launch.h"

namespace mirune::help {

struct IndexChoices {
  std::string workbook;
  int sheet = 0;       // automatic, AfterSort, Sort_Syori1
  int headings = 0;    // kana rows, each kana, none
  int others = 0;      // after the kana, before them
  int range_mark = 0;  // "–", "-", "～"
  int separator = 0;   // "、", ", "
  int text_pages = 0;  // before the numbers, after them
  bool by_mark = false;
};

// The request of `choices`; the outputs go beside the workbook (DefaultIndexBase).
IndexRequest IndexRequestOf(const IndexChoices& choices);

}  // namespace mirune::help
