#include "automation/indesign_engine/find_change.h"

#include <utility>
#include <vector>

#include "automation/indesign_engine/text_edit.h"
#include "base/utf.h"

namespace mirune::layout {
namespace {

char32_t FoldCase(char32_t c) {
  if (c >= U'A' && c <= U'Z') return c + 0x20;
  if (c >= 0xFF21 && c <= 0xFF3A) return c + 0x20;  // full-width Latin capitals
  if (c >= 0xC0 && c <= 0xDE && c != 0xD7) return c + 0x20;
  if (c >= 0x391 && c <= 0x3A9 && c != 0x3A2) return c + 0x20;  // Greek
  if (c >= 0x410 && c <= 0x42F) return c + 0x20;                // Cyrillic
  return c;
}

// The other case of a character that FoldCase relates to another one; else the character.
char32_t OtherCase(char32_t c) {
  const char32_t folded = FoldCase(c);
  if (folded != c) return folded;
  if (c >= U'a' && c <= U'z') return c - 0x20;
  if (c >= 0xFF41 && c <= 0xFF5A) return c - 0x20;
  if (c >= 0xE0 && c <= 0xFE && c != 0xF7) return c - 0x20;
  if (c >= 0x3B1 && c <= 0x3C9 && c != 0x3C2) return c - 0x20;
  if (c >= 0x430 && c <= 0x44F) return c - 0x20;
  return c;
}

// Letters, digits, kana and ideographs continue a word; spaces and punctuation end it.
bool IsWordChar(char32_t c) {
  if (c < 0x80) {
    return (c >= U'0' && c <= U'9') || (c >= U'A' && c <= U'Z') || (c >= U'a' && c <= U'z') ||
           c == U'_';
  }
  if (c >= 0x2000 && c <= 0x206F) return false;  // general punctuation
  if (c >= 0x3000 && c <= 0x303F) return false;  // CJK symbols and punctuation
  if (c >= 0xFF00 && c <= 0xFF0F) return false;  // full-width punctuation
  if (c >= 0xFF1A && c <= 0xFF20) return false;
  if (c >= 0xFF3B && c <= 0xFF40) return false;
  if (c >= 0xFF5B && c <= 0xFF65) return false;
  if (c == 0xA0 || c == 0xFEFF) return false;
  return true;
}

bool MatchesAt(const std::u32string& text, size_t at, const std::u32string& what,
               bool case_sensitive) {
  if (at + what.size() > text.size()) return false;
  for (size_t k = 0; k < what.size(); ++k) {
    const char32_t a = text[at + k];
    const char32_t b = what[k];
    if (a == b) continue;
    if (case_sensitive || FoldCase(a) != FoldCase(b)) return false;
  }
  return true;
}

int32_t EnsureCharacterStyle(Document& document, const std::string& name) {
  int32_t index = FindCharacterStyle(document, name);
  if (index != kNone) return index;
  CharacterStyle style;
  style.name = name;
  document.character_styles.push_back(std::move(style));
  document.modified = true;
  return static_cast<int32_t>(document.character_styles.size()) - 1;
}

int32_t EnsureSwatch(Document& document, const std::string& name) {
  int32_t index = FindSwatch(document, name);
  if (index != kNone) return index;
  document.swatches.push_back({name, DefaultMarkColor(), ""});
  document.modified = true;
  return static_cast<int32_t>(document.swatches.size()) - 1;
}

}  // namespace

ColorValue DefaultMarkColor() { return {ColorSpace::kCmyk, {0, 100, 0, 0}}; }

std::u32string DecodeFindText(std::string_view utf8) {
  const std::u32string raw = Utf8ToUtf32(utf8);
  std::u32string out;
  for (size_t i = 0; i < raw.size(); ++i) {
    if (raw[i] == U'^' && i + 1 < raw.size()) {
      const char32_t next = raw[i + 1];
      char32_t decoded = 0;
      if (next == U'p') decoded = kParagraphReturn;
      if (next == U'n') decoded = kForcedLineBreak;
      if (next == U't') decoded = kTab;
      if (next == U'^') decoded = U'^';
      if (decoded != 0) {
        out += decoded;
        ++i;
        continue;
      }
    }
    out += raw[i];
  }
  return out;
}

int32_t FindChangeInStory(Document& document, int32_t story_index,
                          const FindChangeRequest& request) {
  if (request.find_what.empty()) return 0;
  const std::u32string& text = document.stories[story_index].text;
  const std::u32string& what = request.find_what;
  // Candidates are found by the first character alone (a tight loop), then checked.
  const char32_t first = what[0];
  const char32_t first_other = request.case_sensitive ? first : OtherCase(first);
  std::vector<size_t> matches;
  const size_t last = text.size() >= what.size() ? text.size() - what.size() : 0;
  for (size_t at = 0; text.size() >= what.size() && at <= last;) {
    const char32_t c = text[at];
    if (c != first && c != first_other) {
      ++at;
      continue;
    }
    if (MatchesAt(text, at, what, request.case_sensitive) &&
        (!request.whole_word ||
         ((at == 0 || !IsWordChar(text[at - 1])) &&
          (at + what.size() == text.size() || !IsWordChar(text[at + what.size()]))))) {
      matches.push_back(at);
      at += what.size();
    } else {
      ++at;
    }
  }
  if (matches.empty()) return 0;

  const int32_t style = request.applied_character_style.empty()
                            ? kNone
                            : EnsureCharacterStyle(document, request.applied_character_style);
  const int32_t color =
      request.fill_color.empty() ? kNone : EnsureSwatch(document, request.fill_color);
  auto apply = [&](TextFormat& format) {
    if (style != kNone) format.character_style = style;
    if (color != kNone) format.fill_color = color;
  };
  if (request.change_to.empty()) {
    // The text stays: one pass over the runs applies the formatting to every match.
    if (style != kNone || color != kNone) {
      std::vector<TextRange> ranges;
      ranges.reserve(matches.size());
      for (size_t at : matches) {
        ranges.push_back({static_cast<int32_t>(at), static_cast<int32_t>(at + what.size())});
      }
      ChangeFormatRanges(document, story_index, ranges, apply);
    }
    return static_cast<int32_t>(matches.size());
  }
  // From the last match back, so that earlier positions stay valid.
  for (auto it = matches.rbegin(); it != matches.rend(); ++it) {
    const int32_t start = static_cast<int32_t>(*it);
    const TextFormat format = FormatAt(document.stories[story_index], start);
    ReplaceText(document, story_index, start, start + static_cast<int32_t>(what.size()),
                request.change_to, format);
    if (style != kNone || color != kNone) {
      ChangeFormat(document, story_index, start,
                   start + static_cast<int32_t>(request.change_to.size()), apply);
    }
  }
  return static_cast<int32_t>(matches.size());
}

}  // namespace mirune::layout
