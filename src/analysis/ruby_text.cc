#include "analysis/ruby_text.h"

#include "analysis/char_class.h"
#include "base/utf.h"

namespace mirune {
namespace {

constexpr std::u16string_view kMarkerOpen = u"◆♭♪";
constexpr std::u16string_view kMarkerClose = u"♪♭◆";

bool IsRubySpace(char16_t c) { return c == u' ' || c == u'\u3000'; }

bool IsKana(char16_t c) {
  return (c >= 0x3041 && c <= 0x3096) || (c >= 0x309D && c <= 0x309F) ||
         (c >= 0x30A1 && c <= 0x30FA) || (c >= 0x30FC && c <= 0x30FF) ||
         (c >= 0xFF66 && c <= 0xFF9F);
}

enum class RubyTag { kNone, kFlag, kString, kKind };

RubyTag RubyTagOf(std::u16string_view name) {
  if (name == u"cr" || name == u"cRuby") return RubyTag::kFlag;
  if (name == u"crstr" || name == u"cRubyString") return RubyTag::kString;
  if (name == u"cmr" || name == u"cMojiRuby") return RubyTag::kKind;
  return RubyTag::kNone;
}

// A tag value with the tag syntax's escapes taken out ("\>" is ">").
std::u16string Unescape(std::u16string_view value) {
  std::u16string out;
  for (size_t i = 0; i < value.size(); ++i) {
    if (value[i] == u'\\' && i + 1 < value.size()) ++i;
    out.push_back(value[i]);
  }
  return out;
}

// The end of the tag opening at `i` (one past its ">"), or npos when it is never closed. A
// ">" right after a backslash is an escaped bracket, as the scan's removal of tags has it.
size_t TagEnd(std::u16string_view text, size_t i) {
  for (size_t k = i + 1; k < text.size(); ++k) {
    if (text[k] == u'>' && text[k - 1] != u'\\') return k + 1;
  }
  return std::u16string_view::npos;
}

// The length of the text character at `i`: an escape or a surrogate pair is one character.
size_t CharLength(std::u16string_view text, size_t i) {
  if (i + 1 < text.size()) {
    if (text[i] == u'\\') return 2;
    if (text[i] >= 0xD800 && text[i] <= 0xDBFF && text[i + 1] >= 0xDC00 && text[i + 1] <= 0xDFFF) {
      return 2;
    }
  }
  return 1;
}

struct RubyState {
  bool on = false;
  std::u16string string;
  bool per_character = false;
  bool reading = false;  // the string is kana
  bool operator==(const RubyState&) const = default;
};

// The readings of a per-character ruby string, one per base character.
std::vector<std::u16string> SplitReadings(std::u16string_view ruby) {
  std::vector<std::u16string> parts;
  std::u16string part;
  for (char16_t c : ruby) {
    if (IsRubySpace(c)) {
      if (!part.empty()) parts.push_back(std::move(part));
      part.clear();
    } else {
      part.push_back(c);
    }
  }
  if (!part.empty()) parts.push_back(std::move(part));
  return parts;
}

class Inliner {
 public:
  explicit Inliner(std::u16string_view text) : text_(text) { out_.reserve(text.size() + 64); }

  size_t Run() {
    size_t i = 0;
    while (i < text_.size()) {
      const char16_t c = text_[i];
      if (c == u'<') {
        const size_t end = TagEnd(text_, i);
        if (end != std::u16string_view::npos && Tag(text_.substr(i, end - i))) {
          i = end;
          continue;
        }
        if (end != std::u16string_view::npos) {
          out_.append(text_.substr(i, end - i));
          i = end;
          continue;
        }
      }
      const size_t n = c == u'\r' ? 1 : CharLength(text_, i);
      Character(text_.substr(i, n));
      i += n;
    }
    Finish();
    out_.swap(result_);
    return groups_;
  }

  std::u16string& result() { return result_; }

 private:
  // A ruby tag changes the state and is dropped; any other tag is kept.
  bool Tag(std::u16string_view tag) {
    const size_t colon = tag.find(u':');
    if (colon == std::u16string_view::npos) return false;
    const RubyTag kind = RubyTagOf(tag.substr(1, colon - 1));
    if (kind == RubyTag::kNone) return false;
    const std::u16string_view value = tag.substr(colon + 1, tag.size() - colon - 2);
    switch (kind) {
      case RubyTag::kFlag:
        state_.on = value == u"1";
        break;
      case RubyTag::kString:
        state_.string = Unescape(value);
        state_.reading = !RubyReadingOf(state_.string).empty();
        break;
      case RubyTag::kKind:
        state_.per_character = value == u"1";
        break;
      case RubyTag::kNone:
        break;
    }
    return true;
  }

  void Character(std::u16string_view c) {
    const bool ruby = c != u"\r" && state_.on && state_.reading;
    if (open_ && (!ruby || !(group_ == state_))) Finish();
    if (ruby && !open_) {
      open_ = true;
      group_ = state_;
      group_start_ = out_.size();
      out_.push_back(kRubyOpen);
      out_.append(group_.string);
      out_.push_back(kRubySeparator);
      base_start_ = out_.size();
      base_characters_ = 0;
    }
    out_.append(c);
    if (open_) {
      last_end_ = out_.size();
      ++base_characters_;
    }
  }

  // Closes the open group right after its last base character.
  void Finish() {
    if (!open_) return;
    open_ = false;
    ++groups_;
    if (group_.per_character && SplitPerCharacter()) return;
    out_.insert(out_.begin() + static_cast<std::ptrdiff_t>(last_end_), kRubyClose);
  }

  // A per-character ruby with one reading per base character becomes one group per
  // character; tags and page markers between them stay where they are, outside the groups.
  bool SplitPerCharacter() {
    const std::vector<std::u16string> readings = SplitReadings(group_.string);
    if (readings.size() < 2) return false;
    const std::u16string_view base(out_.data() + base_start_, last_end_ - base_start_);
    struct Piece {
      size_t at, length;
      bool character;
    };
    std::vector<Piece> pieces;
    size_t characters = 0;
    for (size_t i = 0; i < base.size();) {
      size_t n = 0;
      bool character = false;
      if (base[i] == u'<') {
        const size_t end = TagEnd(base, i);
        n = end == std::u16string_view::npos ? base.size() - i : end - i;
      } else if (base.substr(i, kMarkerOpen.size()) == kMarkerOpen &&
                 base.find(kMarkerClose, i) != std::u16string_view::npos) {
        n = base.find(kMarkerClose, i) + kMarkerClose.size() - i;
      } else {
        n = CharLength(base, i);
        character = true;
        ++characters;
      }
      pieces.push_back({i, n, character});
      i += n;
    }
    if (characters != readings.size()) return false;
    std::u16string split;
    size_t k = 0;
    for (const Piece& p : pieces) {
      if (!p.character) {
        split.append(base.substr(p.at, p.length));
        continue;
      }
      split.push_back(kRubyOpen);
      split.append(readings[k++]);
      split.push_back(kRubySeparator);
      split.append(base.substr(p.at, p.length));
      split.push_back(kRubyClose);
    }
    groups_ += readings.size() - 1;
    out_.replace(group_start_, last_end_ - group_start_, split);
    return true;
  }

  std::u16string_view text_;
  std::u16string out_;
  std::u16string result_;
  RubyState state_;
  RubyState group_;
  bool open_ = false;
  size_t group_start_ = 0;
  size_t base_start_ = 0;
  size_t last_end_ = 0;
  size_t base_characters_ = 0;
  size_t groups_ = 0;
};

std::string WithoutPageMarkers(std::u16string_view base) {
  std::u16string out;
  size_t pos = 0;
  while (pos < base.size()) {
    const size_t open = base.find(kMarkerOpen, pos);
    if (open == std::u16string_view::npos) break;
    const size_t close = base.find(kMarkerClose, open + kMarkerOpen.size());
    if (close == std::u16string_view::npos) break;
    out.append(base.substr(pos, open - pos));
    pos = close + kMarkerClose.size();
  }
  out.append(base.substr(pos));
  return Utf16ToUtf8(out);
}

}  // namespace

bool MayHoldRubyTags(std::u16string_view text) {
  return text.find(u"<cr") != std::u16string_view::npos ||
         text.find(u"<cRuby") != std::u16string_view::npos;
}

size_t InlineRubyTags(std::u16string& text) {
  if (!MayHoldRubyTags(text)) return 0;
  Inliner inliner(text);
  const size_t groups = inliner.Run();
  text.swap(inliner.result());
  return groups;
}

std::string RubyReadingOf(std::u16string_view ruby) {
  std::u16string kana;
  for (char16_t c : ruby) {
    if (IsRubySpace(c)) continue;
    if (!IsKana(c)) return std::string();
    kana.push_back(c);
  }
  return kana.empty() ? std::string() : ToHiragana(Utf16ToUtf8(kana));
}

TermWithRuby StripRubyGroups(std::u16string_view text) {
  TermWithRuby out;
  std::u16string plain;
  std::u16string reading;
  bool in_reading = false;
  constexpr size_t kNoBase = std::u16string::npos;
  size_t base_start = kNoBase;  // in `plain`
  struct Span16 {
    size_t begin, end;
    std::string reading;
  };
  std::vector<Span16> spans;
  for (char16_t c : text) {
    if (c == kRubyOpen) {
      in_reading = true;
      reading.clear();
      base_start = kNoBase;
    } else if (c == kRubySeparator) {
      if (in_reading) base_start = plain.size();
      in_reading = false;
    } else if (c == kRubyClose) {
      if (base_start != kNoBase && base_start < plain.size()) {
        std::string r = RubyReadingOf(reading);
        if (!r.empty()) spans.push_back({base_start, plain.size(), std::move(r)});
      }
      base_start = kNoBase;
    } else if (in_reading) {
      reading.push_back(c);
    } else {
      plain.push_back(c);
    }
  }
  if (spans.empty()) {
    out.text = Utf16ToUtf8(plain);
    return out;
  }
  // Byte offsets of the spans in the UTF-8 text.
  size_t from = 0;
  for (Span16& s : spans) {
    out.text += Utf16ToUtf8(std::u16string_view(plain).substr(from, s.begin - from));
    const size_t begin = out.text.size();
    out.text += Utf16ToUtf8(std::u16string_view(plain).substr(s.begin, s.end - s.begin));
    out.ruby.push_back({begin, out.text.size(), std::move(s.reading)});
    from = s.end;
  }
  out.text += Utf16ToUtf8(std::u16string_view(plain).substr(from));
  return out;
}

void RemoveRubyGroups(std::u16string& text) {
  size_t out = 0;
  bool in_reading = false;
  for (size_t i = 0; i < text.size(); ++i) {
    const char16_t c = text[i];
    if (c == kRubyOpen) {
      in_reading = true;
    } else if (c == kRubySeparator) {
      in_reading = false;
    } else if (c != kRubyClose && !in_reading) {
      text[out++] = c;
    }
  }
  text.resize(out);
}

void ForEachRubyGroup(std::u16string_view text,
                      const std::function<void(const std::string&, const std::string&)>& f) {
  size_t open = std::u16string_view::npos;
  size_t separator = std::u16string_view::npos;
  // The run of groups that follow each other directly.
  std::u16string run_base;
  std::u16string run_reading;
  size_t run_groups = 0;
  size_t last_close = std::u16string_view::npos;
  auto end_run = [&]() {
    if (run_groups >= 2) {
      const std::string reading = RubyReadingOf(run_reading);
      if (!reading.empty()) f(WithoutPageMarkers(run_base), reading);
    }
    run_base.clear();
    run_reading.clear();
    run_groups = 0;
  };
  for (size_t i = 0; i < text.size(); ++i) {
    const char16_t c = text[i];
    if (c == kRubyOpen) {
      if (last_close == std::u16string_view::npos || last_close + 1 != i) end_run();
      open = i;
      separator = std::u16string_view::npos;
    } else if (c == kRubySeparator) {
      if (open != std::u16string_view::npos) separator = i;
    } else if (c == kRubyClose) {
      if (open != std::u16string_view::npos && separator != std::u16string_view::npos) {
        const std::u16string_view reading = text.substr(open + 1, separator - open - 1);
        const std::u16string_view base = text.substr(separator + 1, i - separator - 1);
        if (base.find(u'\r') != std::u16string_view::npos) {
          end_run();
        } else {
          const std::string r = RubyReadingOf(reading);
          const std::string b = WithoutPageMarkers(base);
          if (!r.empty() && !b.empty()) f(b, r);
          run_base.append(base);
          run_reading.append(reading);
          ++run_groups;
          last_close = i;
        }
      }
      open = separator = std::u16string_view::npos;
    }
  }
  end_run();
}

}  // namespace mirune
