#pragma once

// The page field of an entry: one rule, used by the story analysis (the page of a term), the
// entry rows (the page column of an entry line) and the index workbook (the page cells of
// Org and the folded page lists).
//
// A page name made only of the digits 0–9 is a number when it has at most kMaxPageDigits
// digits after its leading zeros: its text is the digits without leading zeros ("0012" →
// "12", "0000" → "0") and the workbook holds it as a number. 15 digits is what an Excel cell
// holds exactly (a double is exact up to 2^53, and Excel shows 15 significant digits), so
// the number in the cell always shows as the page name. Any other page name — roman front
// matter ("iv"), section prefixes ("A-3"), full-width digits, or digits beyond 15 (leading
// zeros removed as for a number) — is kept as text as written, and the workbook holds that
// text. No page name is refused.

#include <optional>
#include <string>
#include <string_view>

namespace mirune {

inline constexpr size_t kMaxPageDigits = 15;

class PageField {
 public:
  // No page.
  PageField() = default;

  // The page field of a page name as written. Spaces around it are not part of it; an
  // empty name (or spaces only) is no page.
  static PageField FromName(std::string_view name);

  bool empty() const { return text_.empty(); }
  // True for a page number (see above).
  bool is_number() const { return number_.has_value(); }
  // The page number; 0 unless is_number().
  double number() const { return number_.value_or(0); }
  // The page field as it goes into an entry line and a page list ("12", "iv", "A-3");
  // empty for no page.
  const std::string& text() const { return text_; }

  friend bool operator==(const PageField& a, const PageField& b) { return a.text_ == b.text_; }
  friend bool operator!=(const PageField& a, const PageField& b) { return !(a == b); }

 private:
  std::string text_;
  std::optional<double> number_;
};

}  // namespace mirune
