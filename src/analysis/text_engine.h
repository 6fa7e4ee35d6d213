#pragma once

// The analysis's own text engine: a UTF-16 text with one highlight flag per code unit, and
// find/replace-all with the small wildcard language the analysis uses.
//
// Pattern language (a subset of Word's wildcards, with the same meaning):
//   "[c]"  the one character c (so "[<]" is an opening angle bracket);
//   "\c"   the one character c;
//   "?"    any one code unit (paragraph breaks included);
//   "*"    the shortest possible run of any code units, paragraph breaks included;
//   other  the character itself, case-sensitive, full- and half-width forms distinct.
// A pattern holds at most one "*". A replace-all scans from the start, takes the leftmost
// match, continues after it; matches never overlap. Every pass is linear in the length of the
// text (the end of a "*" match comes from a precomputed next-occurrence table), so input
// such as 100,000 "<t" without any ">>" costs one pass, not a quadratic rescan.

#include <cstddef>
#include <cstdint>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

namespace mirune {

class WildcardPattern {
 public:
  // Parses a pattern; nullopt when it is malformed (an unclosed "[", a "[...]" holding other
  // than one character, a trailing "\" or more than one "*").
  static std::optional<WildcardPattern> Parse(std::u16string_view pattern);
  // A pattern that matches `text` literally.
  static WildcardPattern Literal(std::u16string_view text);

  // A match or a run: [begin, end) in code units.
  struct Match {
    size_t begin;
    size_t end;
  };

  // One element of the head or the tail: a code unit, or any code unit.
  struct Unit {
    char16_t c;
    bool any;
  };

  const std::vector<Unit>& head() const { return head_; }
  const std::vector<Unit>& tail() const { return tail_; }
  bool has_star() const { return has_star_; }

 private:
  std::vector<Unit> head_;  // before the "*" (the whole pattern when there is none)
  std::vector<Unit> tail_;  // after the "*"
  bool has_star_ = false;
};

// Text with a highlight flag per UTF-16 code unit. The highlight is only a flag; it has no
// colour. Positions and lengths count UTF-16 code units.
class TextDocument {
 public:
  TextDocument() = default;
  explicit TextDocument(std::u16string text);

  const std::u16string& text() const { return text_; }
  size_t size() const { return text_.size(); }
  bool highlighted(size_t pos) const { return flags_[pos] != 0; }
  void SetHighlight(size_t begin, size_t end, bool on);
  // The highlight's value (0: none; HighlightAll and SetHighlight give 1). A value rides along
  // with its code units through replacements as the highlight does: the analysis keeps a
  // mark's number in it.
  uint8_t highlight_value(size_t pos) const { return flags_[pos]; }
  void SetHighlightValue(size_t begin, size_t end, uint8_t value);

  // Replaces every match by `replacement`. The replacement takes the highlight of the first
  // code unit of its match (as a word processor gives replaced text the formatting of the
  // found text). Returns the number of matches.
  size_t ReplaceAll(const WildcardPattern& pattern, std::u16string_view replacement);
  // Highlights every match and leaves the text alone. Returns the number of matches.
  size_t HighlightAll(const WildcardPattern& pattern);

  // The matches a replace-all would take, in order (for tests and for callers that act on
  // them themselves).
  std::vector<WildcardPattern::Match> FindAll(const WildcardPattern& pattern) const;

  // Maximal runs of highlighted code units, in order, as [begin, end).
  std::vector<WildcardPattern::Match> HighlightedRuns() const;

  // Deletes [begin, end).
  void Erase(size_t begin, size_t end);

  // Rearranges the code units of [begin, end) into `replacement` of the same length and
  // sets their highlight to `flags` (one per code unit). Precondition: equal lengths.
  void Rewrite(size_t begin, std::u16string_view replacement, const std::vector<uint8_t>& flags);

 private:
  std::u16string text_;
  std::vector<uint8_t> flags_;  // 0 = not highlighted; else the highlight's value
};

}  // namespace mirune
