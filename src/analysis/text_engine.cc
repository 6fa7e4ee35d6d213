#include "analysis/text_engine.h"

#include <algorithm>
#include <cassert>
#include <utility>

namespace mirune {
namespace {

constexpr size_t kNone = static_cast<size_t>(-1);

bool UnitsMatchAt(const std::u16string& text, size_t pos,
                  const std::vector<WildcardPattern::Unit>& units) {
  if (pos + units.size() > text.size()) return false;
  for (size_t k = 0; k < units.size(); ++k) {
    if (!units[k].any && text[pos + k] != units[k].c) return false;
  }
  return true;
}

// The first position >= from where `units` match, or kNone. The search jumps between
// occurrences of the first fixed unit.
size_t FindUnits(const std::u16string& text, size_t from,
                 const std::vector<WildcardPattern::Unit>& units) {
  if (units.empty()) return from <= text.size() ? from : kNone;
  if (units[0].any) {
    for (size_t i = from; i + units.size() <= text.size(); ++i) {
      if (UnitsMatchAt(text, i, units)) return i;
    }
    return kNone;
  }
  size_t i = text.find(units[0].c, from);
  while (i != std::u16string::npos && i + units.size() <= text.size()) {
    if (UnitsMatchAt(text, i, units)) return i;
    i = text.find(units[0].c, i + 1);
  }
  return kNone;
}

// Calls on_match(begin, end) for every match, leftmost first, without overlap. Returns the
// number of matches. Heads are visited left to right and each one needs the first tail at
// or after its end; that position only grows, so one forward-moving tail search serves all
// heads (a next-occurrence table computed on demand): the pass is linear however many
// heads go without a tail.
template <typename OnMatch>
size_t ForEachMatch(const std::u16string& text, const WildcardPattern& pattern,
                    OnMatch&& on_match) {
  const auto& head = pattern.head();
  const auto& tail = pattern.tail();
  size_t count = 0;
  if (!pattern.has_star()) {
    if (head.empty()) return 0;
    size_t i = FindUnits(text, 0, head);
    while (i != kNone) {
      on_match(i, i + head.size());
      ++count;
      i = FindUnits(text, i + head.size(), head);
    }
    return count;
  }
  // tail_at is the first tail at or after the end of an earlier head; it stays the answer
  // for a later head as long as it does not lie before that head's end.
  bool have_tail = false;
  size_t tail_at = 0;
  size_t i = FindUnits(text, 0, head);
  while (i != kNone) {
    const size_t need = i + head.size();
    if (!have_tail || tail_at < need) {
      tail_at = FindUnits(text, need, tail);
      if (tail_at == kNone) break;  // no tail after this head, so none after any later one
      have_tail = true;
    }
    size_t end = tail_at + tail.size();
    if (end == i) {
      // An empty match (a pattern of "*" alone): take one code unit so the scan advances.
      if (i >= text.size()) break;
      end = i + 1;
    }
    on_match(i, end);
    ++count;
    i = FindUnits(text, end, head);
  }
  return count;
}

}  // namespace

std::optional<WildcardPattern> WildcardPattern::Parse(std::u16string_view pattern) {
  WildcardPattern p;
  std::vector<Unit>* out = &p.head_;
  for (size_t i = 0; i < pattern.size(); ++i) {
    const char16_t c = pattern[i];
    if (c == u'[') {
      if (i + 2 >= pattern.size() || pattern[i + 2] != u']') return std::nullopt;
      out->push_back({pattern[i + 1], false});
      i += 2;
    } else if (c == u'\\') {
      if (i + 1 >= pattern.size()) return std::nullopt;
      out->push_back({pattern[++i], false});
    } else if (c == u'?') {
      out->push_back({0, true});
    } else if (c == u'*') {
      if (p.has_star_) return std::nullopt;
      p.has_star_ = true;
      out = &p.tail_;
    } else {
      out->push_back({c, false});
    }
  }
  return p;
}

WildcardPattern WildcardPattern::Literal(std::u16string_view text) {
  WildcardPattern p;
  for (char16_t c : text) p.head_.push_back({c, false});
  return p;
}

TextDocument::TextDocument(std::u16string text) : text_(std::move(text)), flags_(text_.size(), 0) {}

void TextDocument::SetHighlight(size_t begin, size_t end, bool on) {
  SetHighlightValue(begin, end, on ? 1 : 0);
}

void TextDocument::SetHighlightValue(size_t begin, size_t end, uint8_t value) {
  if (end > flags_.size()) end = flags_.size();
  for (size_t i = begin; i < end; ++i) flags_[i] = value;
}

size_t TextDocument::ReplaceAll(const WildcardPattern& pattern, std::u16string_view replacement) {
  // Every match is at least head + tail long (a pattern of "*" alone aside). When the
  // replacement is no longer, the text is compacted in place: the write position never
  // passes the end of the current match, and the search only reads beyond it, so a large
  // story needs no second copy.
  const size_t shortest_match = pattern.head().size() + pattern.tail().size();
  if (shortest_match > 0 && replacement.size() <= shortest_match) {
    size_t write = 0;
    size_t copied = 0;
    auto move_down = [&](size_t from, size_t to) {
      if (write != from) {
        std::copy(text_.begin() + from, text_.begin() + to, text_.begin() + write);
        std::copy(flags_.begin() + from, flags_.begin() + to, flags_.begin() + write);
      }
      write += to - from;
    };
    const size_t count = ForEachMatch(text_, pattern, [&](size_t begin, size_t end) {
      move_down(copied, begin);
      const uint8_t flag = flags_[begin];
      std::copy(replacement.begin(), replacement.end(), text_.begin() + write);
      std::fill(flags_.begin() + write, flags_.begin() + write + replacement.size(), flag);
      write += replacement.size();
      copied = end;
    });
    if (count == 0) return 0;
    move_down(copied, text_.size());
    text_.resize(write);
    flags_.resize(write);
    return count;
  }
  std::u16string out;
  std::vector<uint8_t> out_flags;
  out.reserve(text_.size());
  out_flags.reserve(text_.size());
  size_t copied = 0;
  const size_t count = ForEachMatch(text_, pattern, [&](size_t begin, size_t end) {
    out.append(text_, copied, begin - copied);
    out_flags.insert(out_flags.end(), flags_.begin() + copied, flags_.begin() + begin);
    out.append(replacement);
    out_flags.insert(out_flags.end(), replacement.size(), flags_[begin]);
    copied = end;
  });
  if (count == 0) return 0;
  out.append(text_, copied, std::u16string::npos);
  out_flags.insert(out_flags.end(), flags_.begin() + copied, flags_.end());
  text_ = std::move(out);
  flags_ = std::move(out_flags);
  return count;
}

size_t TextDocument::HighlightAll(const WildcardPattern& pattern) {
  return ForEachMatch(text_, pattern,
                      [&](size_t begin, size_t end) { SetHighlight(begin, end, true); });
}

std::vector<WildcardPattern::Match> TextDocument::FindAll(const WildcardPattern& pattern) const {
  std::vector<WildcardPattern::Match> matches;
  ForEachMatch(text_, pattern, [&](size_t begin, size_t end) { matches.push_back({begin, end}); });
  return matches;
}

std::vector<WildcardPattern::Match> TextDocument::HighlightedRuns() const {
  std::vector<WildcardPattern::Match> runs;
  size_t i = 0;
  while (i < flags_.size()) {
    if (!flags_[i]) {
      ++i;
      continue;
    }
    const size_t begin = i;
    while (i < flags_.size() && flags_[i]) ++i;
    runs.push_back({begin, i});
  }
  return runs;
}

void TextDocument::Erase(size_t begin, size_t end) {
  if (end > text_.size()) end = text_.size();
  if (begin >= end) return;
  text_.erase(begin, end - begin);
  flags_.erase(flags_.begin() + begin, flags_.begin() + end);
}

void TextDocument::Rewrite(size_t begin, std::u16string_view replacement,
                           const std::vector<uint8_t>& flags) {
  assert(flags.size() == replacement.size() && begin + replacement.size() <= text_.size());
  for (size_t k = 0; k < replacement.size(); ++k) {
    text_[begin + k] = replacement[k];
    flags_[begin + k] = flags[k];
  }
}

}  // namespace mirune
