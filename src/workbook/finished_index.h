#pragma once

// The finished index: the folded rows of the corrected workbook (term, reading, page list)
// made into the lines a book prints — kana-row headings, page ranges, Latin letters, digits
// and symbols in groups of their own — ready to be written as plain text, InDesign tagged
// text or a sheet (index_output.h). The user's corrections are the source of truth: nothing
// is read again from the documents, and the rows' order (sorted by reading) is kept within
// each group.

#include <string>
#include <string_view>
#include <vector>

#include "workbook/page_order.h"

namespace mirune {

// One folded row: column A, B and the page fields of column C.
struct IndexSourceRow {
  std::string term;
  std::string reading;
  std::vector<std::string> pages;  // page fields ("12", "iv"), as the page list holds them
};

enum class KanaHeadings {
  kRows,      // あ行, か行 … わ行
  kEachKana,  // あ, い, う … (voiced and small kana under their plain kana)
  kNone,
};

enum class OtherGroupsPlace { kAfterKana, kBeforeKana };

struct FinishedIndexOptions {
  KanaHeadings headings = KanaHeadings::kRows;
  // Where the groups of terms read in Latin letters, in digits and in symbols go.
  OtherGroupsPlace others = OtherGroupsPlace::kAfterKana;
  std::string range_mark = "–";       // three or more consecutive pages: "12–14"
  std::string page_separator = "、";  // between pages
  // Pages that are not numbers (iv) before the numbers.
  bool text_pages_first = kTextPagesFirstByDefault;
};

// The group names of the terms that do not begin with kana.
inline constexpr std::string_view kLatinGroup = "英字";
inline constexpr std::string_view kDigitGroup = "数字";
inline constexpr std::string_view kSymbolGroup = "記号";

struct IndexLine {
  bool heading = false;
  std::string text;   // the heading, or the term
  std::string pages;  // the entry's pages as printed; empty for a heading
};

// The heading a reading stands under ("か行" / "か", kLatinGroup …); empty with kNone for
// kana readings.
std::string HeadingOf(std::string_view reading, KanaHeadings headings);

// The page list as printed: numbers ascending and once each, three or more consecutive ones
// as a range, the other pages once each in their order, before or after the numbers.
std::string FormatPages(const std::vector<std::string>& pages, const FinishedIndexOptions& options);

// The lines of the index: each group that has entries gets its heading (none with kNone for
// the kana groups), then its entries in the rows' order. Rows with an empty term are left out.
std::vector<IndexLine> BuildFinishedIndex(const std::vector<IndexSourceRow>& rows,
                                          const FinishedIndexOptions& options);

}  // namespace mirune
