#include "analysis/story_scan.h"

#include <algorithm>
#include <cmath>
#include <iterator>
#include <optional>
#include <unordered_set>
#include <utility>

#include "analysis/page_field.h"
#include "analysis/ruby_text.h"
#include "analysis/term_reading.h"
#include "base/control_chars.h"
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
// The opening tag of each form above, for finding marks that are never closed.
constexpr const char16_t* kMarkOpenPatterns[] = {
    u"[<]cc:RazozaMark?[>]",
    u"[<]cstyle:RazozaMark?[>]",
    u"[<]cColor:RazozaMark?[>]",
};
constexpr size_t kUnclosedExcerptLength = 20;
// The highlight value of a mark whose number is not 1 to 9 (RazozaMark followed by another
// character): its entries get mark 0.
constexpr uint8_t kUnknownMark = 10;  // characters shown after an unclosed mark
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
    // The term keeps its mark's number; the markers are no term.
    std::vector<uint8_t> flags(body.size(), doc.highlight_value(run.begin));
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

// Up to kUnclosedExcerptLength characters of the story after `from`, without tags, with
// paragraph breaks and TABs as spaces: what the user looks for in the document.
std::string ExcerptAfter(const std::u16string& text, size_t from) {
  std::u16string out;
  size_t characters = 0;
  bool in_tag = false;
  bool in_ruby = false;
  for (size_t i = from; i < text.size() && characters < kUnclosedExcerptLength; ++i) {
    char16_t c = text[i];
    // Ruby is no text of the story.
    if (c == kRubyOpen || c == kRubySeparator || c == kRubyClose) {
      in_ruby = c == kRubyOpen;
      continue;
    }
    if (in_ruby) continue;
    if (c == u'\\' && i + 1 < text.size() && (text[i + 1] == u'<' || text[i + 1] == u'>')) {
      c = text[++i];
    } else if (c == u'<') {
      in_tag = true;
      continue;
    } else if (c == u'>' && in_tag) {
      in_tag = false;
      continue;
    }
    if (in_tag) continue;
    if (c == u'\r' || c == u'\t') c = u' ';
    out.push_back(c);
    // A surrogate pair counts once.
    if (c < 0xD800 || c > 0xDBFF) ++characters;
  }
  return Utf16ToUtf8(out);
}

// Highlights the marked runs and reports every mark that is opened and never closed: its
// text is no term (nothing closes it), so the user must hear of it.
void HighlightMarks(TextDocument& doc, std::vector<UnclosedMark>* unclosed) {
  std::vector<WildcardPattern::Match> opens[std::size(kMarkPatterns)];
  if (unclosed) {
    for (size_t k = 0; k < std::size(kMarkPatterns); ++k) {
      opens[k] = doc.FindAll(Pattern(kMarkOpenPatterns[k]));
    }
  }
  for (const char16_t* p : kMarkPatterns) doc.HighlightAll(Pattern(p));
  // Each marked run carries its mark's number in its highlight (RazozaMark1 … 9; another
  // character after "RazozaMark" gives kUnknownMark), through the tags' removal.
  for (const char16_t* p : kMarkPatterns) {
    for (const auto& match : doc.FindAll(Pattern(p))) {
      const std::u16string_view run(doc.text().data() + match.begin, match.end - match.begin);
      const size_t at = run.find(u"RazozaMark");
      const char16_t digit =
          at == std::u16string_view::npos || at + 10 >= run.size() ? u'?' : run[at + 10];
      const uint8_t value =
          digit >= u'1' && digit <= u'9' ? static_cast<uint8_t>(digit - u'0') : kUnknownMark;
      doc.SetHighlightValue(match.begin, match.end, value);
    }
  }
  if (!unclosed) return;
  for (size_t k = 0; k < std::size(kMarkPatterns); ++k) {
    for (const auto& open : opens[k]) {
      // An opening tag inside a run of any form is part of a term; one outside every run
      // has no closing tag after it.
      if (doc.highlighted(open.begin)) continue;
      UnclosedMark mark;
      mark.position = open.begin;
      mark.tag =
          Utf16ToUtf8(std::u16string_view(doc.text()).substr(open.begin, open.end - open.begin));
      mark.text_after = ExcerptAfter(doc.text(), open.end);
      unclosed->push_back(std::move(mark));
      // A later opening of the same form lies inside this unclosed one.
      break;
    }
  }
  std::sort(unclosed->begin(), unclosed->end(),
            [](const UnclosedMark& a, const UnclosedMark& b) { return a.position < b.position; });
}

TextDocument PrepareWithSteps(std::u16string tagged_text, const Step& step,
                              std::vector<UnclosedMark>* unclosed = nullptr,
                              size_t* ruby_groups = nullptr) {
  TextDocument doc(std::move(tagged_text));
  step(43);
  // Header and definition blocks go first, so nothing in them can be taken for a term.
  for (const char16_t* p : kHeaderPatterns) doc.ReplaceAll(Pattern(p), u"");
  // Ruby tags become inline groups around their bases before anything is highlighted, so the
  // ruby rides with its base through the passes below (nothing is highlighted yet).
  if (MayHoldRubyTags(doc.text())) {
    std::u16string text = doc.text();
    const size_t groups = InlineRubyTags(text);
    if (ruby_groups) *ruby_groups = groups;
    if (groups > 0) doc = TextDocument(std::move(text));
  }
  step(45);
  HighlightMarks(doc, unclosed);
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

std::vector<std::u16string> CollectWithSteps(TextDocument& story, const Step& step,
                                             std::vector<int>* marks = nullptr) {
  story.HighlightAll(Pattern(kPageLinePattern));
  UnhighlightFinalBreak(story);
  step(52);
  std::vector<std::u16string> items;
  for (const auto& run : story.HighlightedRuns()) {
    if (marks) {
      const int value = story.highlight_value(run.begin);
      marks->push_back(value == kUnknownMark ? 0 : value);
    }
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
                                    AnalysisContext& ctx, BookReadings& book, const Step& step,
                                    const std::vector<int>& marks = {}) {
  step(58);
  // The run list's paragraphs: each item followed by a paragraph break, so an item with
  // paragraph breaks of its own fills several paragraphs, each with the item's mark. Ruby
  // groups leave the text here and go with their paragraph.
  std::vector<std::string> paragraphs;
  std::vector<std::vector<RubySpan>> paragraph_ruby;
  std::vector<int> paragraph_marks;
  for (size_t k = 0; k < run_list.size(); ++k) {
    const std::u16string& item = run_list[k];
    size_t start = 0;
    for (size_t i = 0; i <= item.size(); ++i) {
      if (i == item.size() || item[i] == u'\r') {
        const std::u16string_view piece(item.data() + start, i - start);
        TermWithRuby term = StripRubyGroups(piece);
        paragraphs.push_back(std::move(term.text));
        paragraph_ruby.push_back(std::move(term.ruby));
        paragraph_marks.push_back(k < marks.size() ? marks[k] : 0);
        start = i + 1;
      }
    }
  }
  StoryEntries out;
  const size_t n = paragraphs.size();
  if (n == 0) return out;
  if (!ctx.divider || !ctx.lookup) {
    return Error{ErrorCode::kInternal, "内部エラー: 読みのサービスが渡されていません。"};
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
  std::unordered_set<std::string> seen_text_pages;
  for (size_t i = 0; i < n; ++i) {
    TermWithRuby term;
    term.text.reserve(paragraphs[i].size());
    for (char c : paragraphs[i]) {
      if (c != '\r' && c != '\n') term.text.push_back(c);
    }
    // A line feed never stands in a paragraph here (the text's line ends are CR), so the
    // ruby's offsets hold.
    if (term.text.size() == paragraphs[i].size()) term.ruby = std::move(paragraph_ruby[i]);
    const std::string& t = term.text;
    step(static_cast<int>(std::nearbyint(static_cast<double>(i + 1) / n * 37 + 60)));
    if (t.empty() || page_line[i]) {
      // Page lines go (their paragraphs stay, empty); empty paragraphs stay empty.
      paragraphs[i].clear();
      continue;
    }
    const PageField page = PageField::FromName(pages[i]);
    if (!page.empty() && !page.is_number() && seen_text_pages.insert(page.text()).second) {
      out.text_pages.push_back(page.text());
    }
    MIRUNE_ASSIGN_OR_RETURN(BookReadings::Reading read,
                            book.Read(term, static_cast<size_t>(base + out.entry_count),
                                      page.text(), *ctx.divider, *ctx.lookup, ctx.doubts));
    const std::string& reading = read.reading;
    if (read.doubt) out.checks.push_back({t, reading, std::move(*read.doubt), {page.text()}});
    out.marks.push_back({t, page.text(), paragraph_marks[i]});
    ++out.entry_count;
    if (ctx.progress) {
      ctx.progress->SetField(ProgressField::kEntryCount, std::to_string(base + out.entry_count));
    }
    paragraphs[i] = t + '\t' + reading + '\t' + page.text();
  }
  step(98);
  for (size_t i = 0; i < n; ++i) {
    out.text += paragraphs[i];
    out.text += '\r';
  }
  step(100);
  return out;
}

// Replaces unpaired surrogates by U+FFFD (the parking places above rely on it), turns CR LF
// and LF into CR and removes control characters (base/control_chars.h), in place: the text
// only shrinks, so a large story needs no second copy.
void NormaliseText(std::u16string& text) {
  size_t out = 0;
  const size_t n = text.size();
  for (size_t i = 0; i < n; ++i) {
    const char16_t c = text[i];
    if (c >= 0xD800 && c <= 0xDBFF && i + 1 < n && text[i + 1] >= 0xDC00 && text[i + 1] <= 0xDFFF) {
      text[out++] = c;
      text[out++] = text[++i];
    } else if (c >= 0xD800 && c <= 0xDFFF) {
      text[out++] = 0xFFFD;
    } else if (c == u'\r') {
      text[out++] = u'\r';
      if (i + 1 < n && text[i + 1] == u'\n') ++i;
    } else if (c == u'\n') {
      text[out++] = u'\r';
    } else if (!IsRemovedControl(c)) {
      text[out++] = c;
    }
  }
  text.resize(out);
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
  // The causes are told apart here, so the user reads what is wrong with the file.
  if (bytes.substr(0, 3) == "\xEF\xBB\xBF") {
    return Error{
        ErrorCode::kFormatError,
        "UTF-8 で書かれたファイルです。InDesign が書き出す UTF-16 のタグ付きテキストが必要です。"};
  }
  if (bytes.size() % 2 != 0) {
    return Error{ErrorCode::kFormatError,
                 "バイト数が奇数で、UTF-16 のテキストが途中で切れています。"};
  }
  auto raw = DecodeUtf16Text(bytes);
  if (!raw.ok()) {
    return Error{ErrorCode::kFormatError, "UTF-16 のテキストではありません。"};
  }
  if (!HasTaggedTextHeader(*raw)) {
    return Error{ErrorCode::kFormatError,
                 "InDesign のタグ付きテキストではありません（先頭に <UNICODE-WIN> "
                 "などの見出しがありません）。"};
  }
  NormaliseText(*raw);
  return std::move(*raw);
}

TextDocument PrepareStoryText(std::u16string tagged_text) {
  return PrepareWithSteps(std::move(tagged_text), NoStep);
}

std::vector<std::u16string> CollectMarkedRuns(TextDocument& story) {
  return CollectWithSteps(story, NoStep);
}

Result<StoryEntries> BuildEntryLines(const std::vector<std::u16string>& run_list,
                                     AnalysisContext& ctx) {
  BookReadings own;
  return BuildWithSteps(run_list, ctx, ctx.book ? *ctx.book : own, ProgressSteps(ctx));
}

namespace {

Status AnalyzeText(std::u16string text, AnalysisContext& ctx, const std::string& story_name,
                   const std::function<Status()>& after_collect) {
  if (!ctx.entries)
    return Status(ErrorCode::kInternal, "内部エラー: 索引リストが渡されていません。");
  const ProgressSteps step(ctx);
  std::vector<UnclosedMark> unclosed;
  size_t ruby_groups = 0;
  TextDocument story = PrepareWithSteps(std::move(text), step, &unclosed, &ruby_groups);
  std::vector<int> marks;
  // The story's ruby goes to the book before any of its terms is read.
  BookReadings own;
  BookReadings& book = ctx.book ? *ctx.book : own;
  if (ruby_groups > 0) {
    ForEachRubyGroup(story.text(), [&book](const std::string& base, const std::string& reading) {
      book.AddRuby(base, reading);
    });
  }
  const std::vector<std::u16string> run_list = CollectWithSteps(story, step, &marks);
  story = TextDocument();  // the run list holds all that is still needed
  if (after_collect) MIRUNE_RETURN_IF_ERROR(after_collect());
  step(55);
  step(56);
  MIRUNE_ASSIGN_OR_RETURN(const StoryEntries entries,
                          BuildWithSteps(run_list, ctx, book, step, marks));
  ctx.entries->AddEntries(entries.entry_count);
  ctx.entries->AppendStoryText(entries.text);
  for (const std::string& page : entries.text_pages) ctx.entries->AddTextPage(page);
  for (const ReadingCheck& check : entries.checks) ctx.entries->AddReadingCheck(check);
  for (const EntryMark& mark : entries.marks) ctx.entries->AddEntryMark(mark);
  const std::string& name = ctx.story_name.empty() ? story_name : ctx.story_name;
  for (const UnclosedMark& mark : unclosed) {
    ctx.entries->AddWarning(UnclosedMarkWarning(name, mark));
  }
  if (!ctx.book) own.Finish(*ctx.entries, ctx.doubts);
  return Status::Ok();
}

// The file's name without its folder, for messages about a story.
std::string BaseName(const std::string& path) {
  const size_t slash = path.find_last_of("/\\");
  return slash == std::string::npos ? path : path.substr(slash + 1);
}

std::string MiB(uintmax_t bytes) { return std::to_string((bytes + (1 << 20) - 1) >> 20); }

// Reads and decodes a story file, checking its size first. The bytes are released before
// the analysis starts, so only the decoded text stays in memory.
Result<std::u16string> ReadStoryText(const std::string& path) {
  // The size is checked before anything is read, through the program's own file calls (wide
  // and long paths on Windows).
  auto bytes = ReadFileBytes(path, kMaxStoryFileBytes);
  if (!bytes.ok()) {
    switch (bytes.code()) {
      case ErrorCode::kNotFound:
        return Error{ErrorCode::kNotFound, "ストーリーのファイルが見つかりません: " + path};
      case ErrorCode::kOverflow:
        return Error{ErrorCode::kOverflow,
                     "ストーリーのファイルが大きすぎます: " + bytes.message()};
      default:
        return Error{bytes.code(), "ストーリーのファイルを読めません: " + bytes.message()};
    }
  }
  auto text = DecodeTaggedText(*bytes);
  if (!text.ok()) return Error{text.code(), text.message() + " ファイル: " + path};
  return std::move(*text);
}

}  // namespace

std::string UnclosedMarkWarning(std::string_view story_name, const UnclosedMark& mark) {
  return "マークが閉じられていません: ストーリー「" + std::string(story_name) + "」の " + mark.tag +
         " に対応する終わりのタグがないため、その後の「" + mark.text_after +
         "」からストーリーの終わりまでは索引語句になりません。";
}

Status AnalyzeTaggedStory(std::string_view bytes, AnalysisContext& ctx,
                          const std::function<Status()>& after_collect) {
  if (bytes.size() > kMaxStoryFileBytes) {
    return Status(ErrorCode::kOverflow, "ストーリーが大きすぎます（" + MiB(bytes.size()) +
                                            " MiB、上限 " + MiB(kMaxStoryFileBytes) + " MiB）。");
  }
  MIRUNE_ASSIGN_OR_RETURN(std::u16string text, DecodeTaggedText(bytes));
  return AnalyzeText(std::move(text), ctx, "", after_collect);
}

Status AnalyzeTaggedStoryFile(const std::string& path, AnalysisContext& ctx) {
  MIRUNE_ASSIGN_OR_RETURN(std::u16string text, ReadStoryText(path));
  return AnalyzeText(std::move(text), ctx, BaseName(path), nullptr);
}

Status ScanTaggedStory(const std::string& export_path, AnalysisContext& ctx) {
  MIRUNE_ASSIGN_OR_RETURN(std::u16string text, ReadStoryText(export_path));
  return AnalyzeText(std::move(text), ctx, BaseName(export_path), [&]() -> Status {
    if (RemoveFile(export_path).ok()) return Status::Ok();
    return Status(ErrorCode::kIoError,
                  "読み終えたストーリーのファイルを削除できません: " + export_path);
  });
}

}  // namespace mirune
