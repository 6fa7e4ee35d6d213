#include "analysis/story_scan.h"

#include <cmath>
#include <utility>

#include "analysis/term_reading.h"
#include "base/file.h"
#include "base/text_encoding.h"
#include "base/utf.h"

namespace mirune {
namespace {

// Escaped brackets are parked on these while the tags are removed. Lone low surrogates
// cannot occur in the decoded text (DecodeTaggedText turns unpaired surrogates into U+FFFD)
// and never follow a high surrogate there, so the story's own text can never be mistaken
// for them, unlike any visible placeholder.
constexpr char16_t kParkedOpen = 0xDC3C;
constexpr char16_t kParkedClose = 0xDC3E;

constexpr std::u16string_view kMarkerOpen = u"◆♭♪";
constexpr std::u16string_view kMarkerClose = u"♪♭◆";
constexpr size_t kMarkerLength = 10;  // "◆♭♪" + four digits + "♪♭◆"
constexpr size_t kMaxPageNameLength = 64;
constexpr std::string_view kPageLineOpen = "♭♪";
constexpr std::string_view kPageLineClose = "♪♭";

constexpr const char16_t* kHeaderPatterns[] = {
    u"[<]vsn:*[>][>]", u"[<]dks::*[>][>]", u"[<]dcs:*[>][>]", u"[<]dps:*[>][>]", u"[<]t*[>][>]",
};
constexpr const char16_t* kMarkPatterns[] = {
    u"[<]cc:RazozaMark?[>]*[<]cc:[>]",
    u"[<]cstyle:RazozaMark?[>]*[<]cstyle:[>]",
    u"[<]cColor:RazozaMark?[>]*[<]cColor:[>]",
};
constexpr const char16_t* kAnyTag = u"[<]*[>]";
constexpr const char16_t* kPageLinePattern = u"♭♪*♪♭";

using Step = std::function<void(int)>;

WildcardPattern Pattern(const char16_t* text) {
  // The patterns are this file's constants and all parse.
  return *WildcardPattern::Parse(text);
}

class ProgressSteps {
 public:
  explicit ProgressSteps(AnalysisContext& ctx) : ctx_(ctx) {}
  void operator()(int value) const {
    if (!ctx_.progress) return;
    // Only a total of 0 can fail, and the total here is always 100.
    (void)ctx_.progress->UpdateProgress(value, 100, ctx_.progress_full_width, kExtractingActivity);
    ctx_.progress->YieldToMessageLoop();
  }

 private:
  AnalysisContext& ctx_;
};

void NoStep(int) {}

// Moves the page markers of every highlighted run behind the run's text, unhighlighted, in
// their order. A term that runs on from one frame into the next thus gets the page on which
// it begins, and a term across three or more frames loses none of its text.
void MoveMarkersOutOfRuns(TextDocument& doc) {
  const std::u16string& text = doc.text();
  for (const auto& run : doc.HighlightedRuns()) {
    const std::u16string_view run_text(text.data() + run.begin, run.end - run.begin);
    size_t b = run_text.find(kMarkerOpen);
    if (b == std::u16string_view::npos) continue;
    std::u16string body;
    std::u16string markers;
    size_t pos = 0;
    // The first "♪♭◆" at or after an earlier marker's start; kept while it is still ahead,
    // so a run full of "◆♭♪" costs one pass.
    size_t close = 0;
    bool have_close = false;
    while (b != std::u16string_view::npos) {
      body.append(run_text.substr(pos, b - pos));
      const size_t from = b + kMarkerOpen.size();
      if (!have_close || (close != std::u16string_view::npos && close < from)) {
        close = run_text.find(kMarkerClose, from);
        have_close = true;
      }
      // A marker runs to its closing "♪♭◆", so a page name of any length moves whole; a
      // marker without a near close keeps the usual ten characters.
      size_t end = close != std::u16string_view::npos && close - from <= kMaxPageNameLength
                       ? close + kMarkerClose.size()
                       : std::min(b + kMarkerLength, run_text.size());
      markers.append(run_text.substr(b, end - b));
      pos = end;
      b = run_text.find(kMarkerOpen, pos);
    }
    body.append(run_text.substr(pos));
    std::vector<uint8_t> flags(body.size(), 1);
    flags.resize(body.size() + markers.size(), 0);
    doc.Rewrite(run.begin, body + markers, flags);
  }
}

void UnhighlightFinalBreak(TextDocument& doc) {
  // The file's last line end stands for the document's final paragraph mark, which never
  // belongs to a term.
  if (doc.size() > 0 && doc.text().back() == u'\r' && doc.highlighted(doc.size() - 1)) {
    doc.SetHighlight(doc.size() - 1, doc.size(), false);
  }
}

TextDocument PrepareWithSteps(std::u16string tagged_text, const Step& step) {
  TextDocument doc(std::move(tagged_text));
  step(43);
  // Header and definition blocks go first, so nothing in them can be taken for a term.
  for (const char16_t* p : kHeaderPatterns) doc.ReplaceAll(Pattern(p), u"");
  step(45);
  for (const char16_t* p : kMarkPatterns) doc.HighlightAll(Pattern(p));
  step(46);
  doc.ReplaceAll(WildcardPattern::Literal(u"\\<"), std::u16string(1, kParkedOpen));
  doc.ReplaceAll(WildcardPattern::Literal(u"\\>"), std::u16string(1, kParkedClose));
  doc.ReplaceAll(Pattern(kAnyTag), u"");
  step(48);
  doc.ReplaceAll(WildcardPattern::Literal(std::u16string(1, kParkedOpen)), u"<");
  doc.ReplaceAll(WildcardPattern::Literal(std::u16string(1, kParkedClose)), u">");
  size_t lead = 0;
  while (lead < doc.size() && (doc.text()[lead] == u'>' || doc.text()[lead] == u'\r')) ++lead;
  doc.Erase(0, lead);
  step(50);
  UnhighlightFinalBreak(doc);
  MoveMarkersOutOfRuns(doc);
  step(51);
  return doc;
}

std::vector<std::u16string> CollectWithSteps(TextDocument& story, const Step& step) {
  story.HighlightAll(Pattern(kPageLinePattern));
  UnhighlightFinalBreak(story);
  step(52);
  std::vector<std::u16string> items;
  for (const auto& run : story.HighlightedRuns()) {
    std::u16string item = story.text().substr(run.begin, run.end - run.begin);
    for (char16_t& c : item) {
      if (c == u'\t') c = u'\u3000';
    }
    items.push_back(std::move(item));
  }
  step(54);
  return items;
}

// The page text of a page line: from after "♭♪" to the next "♪♭" (or the line's end).
std::string PageTextOf(std::string_view line, size_t f) {
  const size_t start = f + kPageLineOpen.size();
  const size_t end = line.find(kPageLineClose, start);
  return std::string(line.substr(start, end == std::string_view::npos ? end : end - start));
}

Result<StoryEntries> BuildWithSteps(const std::vector<std::u16string>& run_list,
                                    AnalysisContext& ctx, const Step& step) {
  step(58);
  // The run list's paragraphs: each item followed by a paragraph break, so an item with
  // paragraph breaks of its own fills several paragraphs.
  std::vector<std::string> paragraphs;
  for (const auto& item : run_list) {
    const std::string utf8 = Utf16ToUtf8(item);
    size_t start = 0;
    for (size_t i = 0; i <= utf8.size(); ++i) {
      if (i == utf8.size() || utf8[i] == '\r') {
        paragraphs.push_back(utf8.substr(start, i - start));
        start = i + 1;
      }
    }
  }
  StoryEntries out;
  const size_t n = paragraphs.size();
  if (n == 0) return out;
  if (!ctx.divider || !ctx.lookup) {
    return Error{ErrorCode::kInternal, "no reading service given to the analysis"};
  }
  step(59);
  // Pages from the end: each paragraph gets the page of the nearest page line after it.
  std::vector<std::string> pages(n);
  std::vector<bool> page_line(n, false);
  std::string current;
  for (size_t i = n; i-- > 0;) {
    const size_t f = paragraphs[i].find(kPageLineOpen);
    if (f != std::string::npos) {
      page_line[i] = true;
      current = PageTextOf(paragraphs[i], f);
    } else {
      pages[i] = current;
    }
  }
  step(60);
  const int64_t base = ctx.entries ? ctx.entries->entry_count() : 0;
  for (size_t i = 0; i < n; ++i) {
    std::string t;
    t.reserve(paragraphs[i].size());
    for (char c : paragraphs[i]) {
      if (c != '\r' && c != '\n') t.push_back(c);
    }
    step(static_cast<int>(std::nearbyint(static_cast<double>(i + 1) / n * 37 + 60)));
    if (t.empty() || page_line[i]) {
      // Page lines go (their paragraphs stay, empty); empty paragraphs stay empty.
      paragraphs[i].clear();
      continue;
    }
    std::string page;
    if (!pages[i].empty()) {
      MIRUNE_ASSIGN_OR_RETURN(page, PageNumberText(pages[i], t));
    }
    MIRUNE_ASSIGN_OR_RETURN(std::string reading, TermReading(t, *ctx.divider, *ctx.lookup));
    ++out.entry_count;
    if (ctx.progress) {
      ctx.progress->SetField(ProgressField::kEntryCount, std::to_string(base + out.entry_count));
    }
    paragraphs[i] = t + '\t' + reading + '\t' + page;
  }
  step(98);
  for (size_t i = 0; i < n; ++i) {
    out.text += paragraphs[i];
    out.text += '\r';
  }
  step(100);
  return out;
}

// Replaces unpaired surrogates by U+FFFD (the parking places above rely on it) and turns
// CR LF and LF into CR.
std::u16string NormaliseText(std::u16string_view in) {
  std::u16string out;
  out.reserve(in.size());
  for (size_t i = 0; i < in.size(); ++i) {
    const char16_t c = in[i];
    if (c >= 0xD800 && c <= 0xDBFF && i + 1 < in.size() && in[i + 1] >= 0xDC00 &&
        in[i + 1] <= 0xDFFF) {
      out.push_back(c);
      out.push_back(in[++i]);
    } else if (c >= 0xD800 && c <= 0xDFFF) {
      out.push_back(0xFFFD);
    } else if (c == u'\r') {
      out.push_back(u'\r');
      if (i + 1 < in.size() && in[i + 1] == u'\n') ++i;
    } else if (c == u'\n') {
      out.push_back(u'\r');
    } else {
      out.push_back(c);
    }
  }
  return out;
}

bool HasTaggedTextHeader(std::u16string_view text) {
  // "<UNICODE-WIN>", "<UNICODE-MAC>", "<ASCII-WIN>", "<SJIS-MAC>" …
  if (text.empty() || text[0] != u'<') return false;
  size_t i = 1;
  while (i < text.size() && i < 24 &&
         ((text[i] >= u'A' && text[i] <= u'Z') || (text[i] >= u'0' && text[i] <= u'9'))) {
    ++i;
  }
  if (i == 1) return false;
  const std::u16string_view rest = text.substr(i);
  return rest.substr(0, 5) == u"-WIN>" || rest.substr(0, 5) == u"-MAC>";
}

}  // namespace

Result<std::u16string> DecodeTaggedText(std::string_view bytes) {
  auto raw = DecodeUtf16Text(bytes);
  if (!raw.ok()) return raw.error();
  if (!HasTaggedTextHeader(*raw)) {
    return Error{ErrorCode::kFormatError,
                 "not InDesign tagged text: it does not begin with <UNICODE-WIN> or a like header"};
  }
  return NormaliseText(*raw);
}

TextDocument PrepareStoryText(std::u16string tagged_text) {
  return PrepareWithSteps(std::move(tagged_text), NoStep);
}

std::vector<std::u16string> CollectMarkedRuns(TextDocument& story) {
  return CollectWithSteps(story, NoStep);
}

Result<StoryEntries> BuildEntryLines(const std::vector<std::u16string>& run_list,
                                     AnalysisContext& ctx) {
  return BuildWithSteps(run_list, ctx, ProgressSteps(ctx));
}

Result<std::string> PageNumberText(std::string_view page_text, std::string_view term) {
  size_t i = 0;
  while (i + 1 < page_text.size() && page_text[i] == '0') ++i;
  const std::string_view digits = page_text.substr(i);
  bool numeric = !digits.empty() && digits.size() <= 18;
  for (char c : digits) numeric = numeric && c >= '0' && c <= '9';
  if (!numeric) {
    return Error{ErrorCode::kFormatError, "the page name \"" + std::string(page_text) +
                                              "\" of the term \"" + std::string(term) +
                                              "\" is not a number"};
  }
  return std::string(digits);
}

namespace {

Status AnalyseText(std::u16string text, AnalysisContext& ctx,
                   const std::function<Status()>& after_collect) {
  if (!ctx.entries) return Status(ErrorCode::kInternal, "no entry list given to the analysis");
  const ProgressSteps step(ctx);
  TextDocument story = PrepareWithSteps(std::move(text), step);
  const std::vector<std::u16string> run_list = CollectWithSteps(story, step);
  if (after_collect) MIRUNE_RETURN_IF_ERROR(after_collect());
  step(55);
  step(56);
  MIRUNE_ASSIGN_OR_RETURN(const StoryEntries entries, BuildWithSteps(run_list, ctx, step));
  ctx.entries->AddEntries(entries.entry_count);
  ctx.entries->AppendStoryText(entries.text);
  return Status::Ok();
}

}  // namespace

Status AnalyseTaggedStory(std::string_view bytes, AnalysisContext& ctx,
                          const std::function<Status()>& after_collect) {
  MIRUNE_ASSIGN_OR_RETURN(std::u16string text, DecodeTaggedText(bytes));
  return AnalyseText(std::move(text), ctx, after_collect);
}

Status ScanTaggedStory(const std::string& export_path, AnalysisContext& ctx) {
  MIRUNE_ASSIGN_OR_RETURN(const std::string bytes, ReadFileBytes(export_path));
  auto text = DecodeTaggedText(bytes);
  if (!text.ok()) return Status(text.code(), export_path + ": " + text.message());
  return AnalyseText(std::move(*text), ctx, [&] { return RemoveFile(export_path); });
}

}  // namespace mirune
