#include "analysis/text_engine.h"

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

// next[j] = the first position >= j where the tail matches, or kNone. One backward pass;
// each position is tested once against the (short, fixed) tail.
std::vector<size_t> NextTailTable(const std::u16string& text,
                                  const std::vector<WildcardPattern::Unit>& tail) {
  std::vector<size_t> next(text.size() + 1, kNone);
  for (size_t j = text.size() + 1; j-- > 0;) {
    if (UnitsMatchAt(text, j, tail)) {
      next[j] = j;
    } else if (j < text.size()) {
      next[j] = next[j + 1];
    }
  }
  return next;
}

// Calls on_match(begin, end) for every match, leftmost first, without overlap. Returns the
// number of matches.
template <typename OnMatch>
size_t ForEachMatch(const std::u16string& text, const WildcardPattern& pattern,
                    OnMatch&& on_match) {
  const auto& head = pattern.head();
  size_t count = 0;
  if (!pattern.has_star()) {
    if (head.empty()) return 0;
    size_t i = 0;
    while (i + head.size() <= text.size()) {
      if (UnitsMatchAt(text, i, head)) {
        on_match(i, i + head.size());
        ++count;
        i += head.size();
      } else {
        ++i;
      }
    }
    return count;
  }
  const std::vector<size_t> next = NextTailTable(text, pattern.tail());
  const size_t tail_size = pattern.tail().size();
  size_t i = 0;
  while (i + head.size() <= text.size()) {
    if (!UnitsMatchAt(text, i, head)) {
      ++i;
      continue;
    }
    const size_t k = next[i + head.size()];
    // The next tail only moves right as i grows: with none after this head, no later head
    // can match either.
    if (k == kNone) break;
    size_t end = k + tail_size;
    if (end == i) {
      // An empty match (a pattern of "*" alone): take one code unit so the scan advances.
      if (i >= text.size()) break;
      end = i + 1;
    }
    on_match(i, end);
    ++count;
    i = end;
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
  if (end > flags_.size()) end = flags_.size();
  for (size_t i = begin; i < end; ++i) flags_[i] = on ? 1 : 0;
}

size_t TextDocument::ReplaceAll(const WildcardPattern& pattern, std::u16string_view replacement) {
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
