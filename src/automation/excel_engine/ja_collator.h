#pragma once

// Japanese phonetic collation, as the sort of the index workbook orders readings: kana in
// gojūon order, voiced and semi-voiced kana right after their plain kana, small kana beside
// their full-size ones, symbols and digits before Latin letters before kana before kanji.
// Linux uses ICU's "ja" collator; Windows uses CompareStringEx for "ja-JP". The two differ
// on rare ties (ア/あ, かあど/かーど): at the default strength both count as equal or
// near-equal, and the stable sort keeps their order of appearance.

#include <memory>
#include <string>
#include <string_view>

#include "base/result.h"

namespace mirune {

class JaCollator {
 public:
  virtual ~JaCollator() = default;

  // The platform's collator; kUnsupported when it cannot be made.
  static Result<std::unique_ptr<JaCollator>> Create();

  // <0, 0 or >0 as `a` sorts before, equal to or after `b` (UTF-8 texts).
  virtual int Compare(std::string_view a, std::string_view b) const = 0;

  // True when SortKey gives keys; otherwise sort with Compare.
  virtual bool HasSortKeys() const = 0;
  // A byte string whose plain byte order is Compare's order. Precondition: HasSortKeys().
  virtual std::string SortKey(std::string_view text) const = 0;
};

}  // namespace mirune
