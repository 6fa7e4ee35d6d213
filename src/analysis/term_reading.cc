#include "analysis/term_reading.h"

#include <algorithm>

#include "analysis/char_class.h"
#include "base/utf.h"

namespace mirune {
namespace {

bool EndsInParagraphBreak(std::string_view word) { return !word.empty() && word.back() == '\r'; }

Status AppendKanjiReading(std::string_view text, PhoneticLookup& lookup, std::string& r) {
  MIRUNE_ASSIGN_OR_RETURN(const std::string katakana, lookup.Phonetic(text));
  r += ToHiragana(katakana);
  return Status::Ok();
}

void AddRecheckMark(std::string& r) {
  if (r.find("♭♪") != std::string::npos) return;
  size_t pos = 0;
  while (pos < r.size()) {
    if (NeedsRecheck(DecodeUtf8(r, pos))) {
      r += kRecheckMark;
      return;
    }
  }
}

std::string WithoutControls(const std::string& r) {
  std::string out;
  out.reserve(r.size());
  for (char c : r) {
    if (static_cast<unsigned char>(c) >= 0x20 && c != 0x7F) out.push_back(c);
  }
  return out;
}

std::string WithoutRecheckMark(std::string r) {
  const size_t at = r.find(kRecheckMark);
  if (at != std::string::npos) r.erase(at, kRecheckMark.size());
  return r;
}

}  // namespace

Result<std::string> TermReading(std::string_view term, WordDivider& divider,
                                PhoneticLookup& lookup) {
  MIRUNE_ASSIGN_OR_RETURN(const std::optional<std::string> learned, lookup.LearnedReading(term));
  if (learned) {
    std::string r = WithoutControls(ToHiragana(*learned));
    AddRecheckMark(r);
    return r;
  }
  MIRUNE_ASSIGN_OR_RETURN(const std::vector<std::string> words, divider.DivideWords(term));
  std::string r;
  bool whole_term = false;
  size_t pos = 0;  // the insertion point, a byte offset into the term
  for (size_t w = 0; w < words.size(); ++w) {
    const std::string& word = words[w];
    const size_t found = term.find(word, pos);
    if (found == std::string_view::npos) {
      if (w == 0) {
        whole_term = true;
        break;
      }
      // The insertion point moves on by one character; the word is read all the same.
      if (pos < term.size()) DecodeUtf8(term, pos);
    } else {
      pos = found + word.size();
    }
    if (HoldsKanji(word)) {
      MIRUNE_RETURN_IF_ERROR(AppendKanjiReading(word, lookup, r));
    } else if (!EndsInParagraphBreak(word)) {
      r += ToHiragana(word);
    }
  }
  if (whole_term) {
    r.clear();
    MIRUNE_RETURN_IF_ERROR(AppendKanjiReading(term, lookup, r));
  }
  r = WithoutControls(r);
  AddRecheckMark(r);
  return r;
}

}  // namespace mirune

namespace mirune {

Result<std::string> RubyTermReading(std::string_view term, const std::vector<RubySpan>& ruby,
                                    WordDivider& divider, PhoneticLookup& lookup) {
  std::string r;
  // Ruby over the whole term, in one or more bases: nothing else to read.
  size_t covered = 0;
  for (const RubySpan& span : ruby) {
    if (span.begin != covered) break;
    covered = span.end;
  }
  if (covered == term.size()) {
    for (const RubySpan& span : ruby) r += span.reading;
    return r;
  }
  MIRUNE_ASSIGN_OR_RETURN(const std::vector<std::string> words, divider.DivideWords(term));
  // Where each word stands in the term; the division fits the ruby when every word is found
  // in order and no base begins or ends inside a word.
  std::vector<size_t> starts;
  size_t pos = 0;
  bool fits = true;
  for (const std::string& word : words) {
    const size_t found = term.find(word, pos);
    if (found != pos) {
      fits = false;
      break;
    }
    starts.push_back(found);
    pos = found + word.size();
  }
  fits = fits && pos == term.size();
  auto boundary = [&](size_t at) {
    return at == term.size() || std::find(starts.begin(), starts.end(), at) != starts.end();
  };
  for (const RubySpan& span : ruby) fits = fits && boundary(span.begin) && boundary(span.end);
  if (fits) {
    size_t next = 0;  // the next ruby span
    for (size_t w = 0; w < words.size(); ++w) {
      const std::string& word = words[w];
      while (next < ruby.size() && ruby[next].end <= starts[w]) ++next;
      if (next < ruby.size() && ruby[next].begin <= starts[w]) {
        if (ruby[next].begin == starts[w]) r += ruby[next].reading;
        continue;
      }
      if (HoldsKanji(word)) {
        MIRUNE_RETURN_IF_ERROR(AppendKanjiReading(word, lookup, r));
      } else if (!EndsInParagraphBreak(word)) {
        r += ToHiragana(word);
      }
    }
  } else {
    size_t at = 0;
    for (const RubySpan& span : ruby) {
      if (span.begin > at) {
        MIRUNE_ASSIGN_OR_RETURN(const std::string part,
                                TermReading(term.substr(at, span.begin - at), divider, lookup));
        r += WithoutRecheckMark(part);
      }
      r += span.reading;
      at = span.end;
    }
    if (at < term.size()) {
      MIRUNE_ASSIGN_OR_RETURN(const std::string part,
                              TermReading(term.substr(at), divider, lookup));
      r += WithoutRecheckMark(part);
    }
  }
  r = WithoutControls(r);
  AddRecheckMark(r);
  return r;
}

}  // namespace mirune
