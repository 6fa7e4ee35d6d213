#pragma once

// Ruby (ルビ, furigana) in a story's tagged text, carried through the analysis's passes.
//
// InDesign writes ruby as character attributes: abbreviated <cr:1> … <cr:> (ruby on, off),
// <crstr:STRING> (the ruby string, tag text with the tag syntax's escapes) and <cmr:1> (per-
// character ruby; <cmr:0> or none: group ruby); verbose <cRuby:…>, <cRubyString:…>,
// <cMojiRuby:…>. The characters written while ruby is on with one string and one kind are
// the ruby's base.
//
// InlineRubyTags replaces those tags by an inline group around each base:
//   kRubyOpen, the ruby's reading (kana as written), kRubySeparator, the base, kRubyClose.
// The three are lone low surrogates, which decoded text cannot hold, so they never match a
// pattern of the scan and text without ruby is left exactly as it was. A per-character ruby
// whose string holds one reading per base character (separated by spaces, half or full
// width) becomes one group per character, so a term marked inside it keeps its characters'
// readings. A ruby string that is not kana (a Latin gloss, kanji, a symbol) is no reading:
// its tags go and its base stays plain text. The groups ride through the scan's passes in the
// text; StripRubyGroups takes them out of a term, and ForEachRubyGroup reads them all.

#include <cstddef>
#include <functional>
#include <string>
#include <string_view>
#include <vector>

namespace mirune {

inline constexpr char16_t kRubyOpen = 0xDC52;
inline constexpr char16_t kRubySeparator = 0xDC53;
inline constexpr char16_t kRubyClose = 0xDC54;

// True when `text` may hold a ruby tag (a cheap test before InlineRubyTags).
bool MayHoldRubyTags(std::u16string_view text);

// Rewrites the ruby tags of tagged text (after its header and definition blocks are gone) as
// inline groups. Every other tag and all text stay as they are. Returns the number of groups.
size_t InlineRubyTags(std::u16string& text);

// The reading of a ruby string (UTF-16, escapes already decoded): its kana without spaces,
// katakana as hiragana, in UTF-8; empty when the string is not kana (or empty).
std::string RubyReadingOf(std::u16string_view ruby);

// A ruby over part of a term: bytes [begin, end) of the term's UTF-8 text, read `reading`
// (hiragana).
struct RubySpan {
  size_t begin = 0;
  size_t end = 0;
  std::string reading;
  bool operator==(const RubySpan&) const = default;
};

// `text` (UTF-16, one paragraph of a term, with inline groups) without its groups, as UTF-8,
// and the ruby of every group whose base lies wholly in it, in order. Parts of groups cut off
// by the term's ends are dropped with their ruby.
struct TermWithRuby {
  std::string text;
  std::vector<RubySpan> ruby;
};
TermWithRuby StripRubyGroups(std::u16string_view text);

// Removes every inline group marker and ruby reading from `text`, keeping the bases.
void RemoveRubyGroups(std::u16string& text);

// Calls `f(base, reading)` for every whole group of `text` in order (base as UTF-8 without
// page markers; reading in hiragana), and once more for every run of two or more groups that
// follow each other directly (per-character ruby written one group per character), with the
// run's base and reading joined.
void ForEachRubyGroup(std::u16string_view text,
                      const std::function<void(const std::string&, const std::string&)>& f);

}  // namespace mirune
