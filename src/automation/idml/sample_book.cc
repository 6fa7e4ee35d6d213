#include "automation/idml/sample_book.h"

#include <cmath>

#include "automation/idml/idml_compose.h"
#include "automation/indesign_engine/builder.h"
#include "base/file.h"
#include "base/utf.h"

namespace mirune::idml {

namespace {

using layout::kNone;

// Every character is set 10 pt on a 12 pt leading in frames 20 em wide, so the grid fit that
// opens the book again finds the same split as the builder's.
constexpr float kPointSize = 10;
constexpr float kLeading = 12;
constexpr double kFrameWidth = 200;
constexpr double kFrameLeft = -100;

// The text of a story in a small markup:
//   ［1:語］ swatch RazozaMark1, ［2:語］ character style RazozaMark2, ［3:語］ swatch RazozaMark3,
//   ［赤:語］ the colour 赤, ［無:語］ an unnamed colour;
//   a '>' instead of ':' makes the frame end inside the term (at the line end it holds), a '<'
//   makes the frame end right after it; "＃" is a paragraph return with a frame break, after
//   which the next frame starts; "\r" ends a paragraph.
struct StoryPlan {
  std::string source;
  std::vector<std::pair<int, double>> frames;  // page index and top of each frame, in order
};

struct ChapterPlan {
  std::string file_name;
  std::vector<std::string> pages;
  std::vector<StoryPlan> stories;
};

std::vector<ChapterPlan> Chapters() {
  return {
      {"chapter1.idml",
       {"1", "2"},
       {{"第１章　和紙の歴史\r"
         "［1:和紙］は日本の伝統的な紙である。原料には［1:楮］や［2:三椏］、［1:雁皮］などの植物の"
         "繊維が使われる。\r"
         "奈良時代の紙は［1:正倉院］に今も残されており、その丈夫さがよくわかる。＃"
         "平安時代には貴族が［3:かな文字］を書くための美しい紙が好まれた。［赤:強調］のための赤い"
         "文字は索引語ではない。\r"
         "江戸時代になると紙すきは各地の農家の副業として広まった。",
         {{0, -250}, {1, -250}}},
        {"コラム　和紙の産地\r"
         "代表的な産地として広く知られているのは［1:越前］",
         {{1, 120}}}}},
      {"chapter2.idml",
       {"3", "4", "5"},
       {{"第２章　書道の道具\r"
         "書道で使う四つの道具をまとめて［1:文房四宝］と呼ぶ。筆、墨、紙、硯の四つである。\r"
         "中国から伝わった書の手本として古くから大切にされてきたが、中でも特に東晋の書家［2>"
         "王羲之］"
         "の作品は今も多くの人に学ばれている。\r"
         "墨をすりおろすために使う、石製の道具が［1<"
         "硯］であり、その良し悪しは墨の色を大きく左右する。\r"
         "平安時代の初めには［1:空海］が能書家として知られた。",
         {{0, -250}, {1, -250}, {2, -250}}}}},
      {"chapter3.idml",
       {"6", "7"},
       {{"第３章　茶の湯\r"
         "茶の湯を大成したのは［1:千利休］である。利休は簡素な［2:侘び茶］を重んじた。\r"
         "［1:茶室］は小さな空間に季節を映す。［無:色だけの飾り］は索引語ではない。",
         {{0, -250}}},
        {"点前では［3:抹茶］を茶筅で点てる。客は亭主への感謝を込めて一服をいただく。\r"
         "［1:千利休］の教えは今も多くの流派に受け継がれている。",
         {{1, -250}}}}},
  };
}

struct Marks {
  int32_t mark1, mark3, red, unnamed, style2, paragraph;
};

struct Parsed {
  std::u32string text;
  std::vector<layout::TextFormat> formats;  // per character
  std::vector<size_t> splits;               // frame boundaries
};

Result<Parsed> Parse(const std::string& source, const Marks& marks) {
  const std::u32string in = Utf8ToUtf32(source);
  Parsed out;
  layout::TextFormat plain;
  plain.paragraph_style = marks.paragraph;
  plain.point_size = kPointSize;
  plain.leading = kLeading;
  size_t paragraph_start = 0;
  auto append = [&](char32_t c, const layout::TextFormat& format) {
    out.text.push_back(c);
    out.formats.push_back(format);
    if (c == U'\r') paragraph_start = out.text.size();
  };
  for (size_t i = 0; i < in.size(); ++i) {
    if (in[i] == U'＃') {
      layout::TextFormat f = plain;
      f.break_type = layout::BreakType::kFrame;
      append(U'\r', f);
      out.splits.push_back(out.text.size());
      continue;
    }
    if (in[i] != U'［') {
      append(in[i], plain);
      continue;
    }
    const size_t close = in.find(U'］', i);
    const size_t colon = in.find_first_of(U":><", i);
    if (close == std::u32string::npos || colon == std::u32string::npos || colon > close) {
      return Error{ErrorCode::kInternal, "bad markup in the sample text"};
    }
    const std::u32string kind = in.substr(i + 1, colon - i - 1);
    layout::TextFormat f = plain;
    if (kind == U"1")
      f.fill_color = marks.mark1;
    else if (kind == U"2")
      f.character_style = marks.style2;
    else if (kind == U"3")
      f.fill_color = marks.mark3;
    else if (kind == U"赤")
      f.fill_color = marks.red;
    else if (kind == U"無")
      f.fill_color = marks.unnamed;
    else
      return Error{ErrorCode::kInternal, "unknown mark in the sample text"};
    const size_t term_start = out.text.size();
    for (size_t k = colon + 1; k < close; ++k) append(in[k], f);
    const size_t term_end = out.text.size();
    if (in[colon] == U'>') {
      // The first line end inside the term.
      const size_t line = 20;
      const size_t offset = term_start - paragraph_start;
      const size_t split = paragraph_start + (offset / line + 1) * line;
      if (split >= term_end) {
        return Error{ErrorCode::kInternal,
                     "no line end inside the term at " + std::to_string(offset)};
      }
      out.splits.push_back(split);
    } else if (in[colon] == U'<') {
      if ((term_end - paragraph_start) % 20 != 0) {
        return Error{ErrorCode::kInternal, "the term does not end a line: it ends at " +
                                               std::to_string(term_end - paragraph_start)};
      }
      out.splits.push_back(term_end);
    }
    i = close;
  }
  return out;
}

// Lines that characters [begin, end) take in a frame 20 em wide (the grid fit's rule); false
// when the character at `end` would still fit on the last line (the frame could not end there).
bool CountLines(const std::u32string& text, size_t begin, size_t end, int& lines) {
  lines = 0;
  bool open = false;
  double used = 0;
  const double width = kFrameWidth / kPointSize;  // in ems
  for (size_t i = begin; i < end; ++i) {
    const double w = GridWidthInEms(text[i]);
    if (!open || (used > 0 && used + w > width)) {
      ++lines;
      open = true;
      used = 0;
    }
    used += w;
    if (text[i] == U'\r' || text[i] == U'\n') open = false;
  }
  if (end < text.size() && open && used + GridWidthInEms(text[end]) <= width) return false;
  return true;
}

}  // namespace

Result<std::vector<SampleChapter>> BuildSampleBook(const std::string& folder) {
  std::vector<SampleChapter> chapters;
  for (const ChapterPlan& chapter : Chapters()) {
    layout::DocumentBuilder b(JoinPath(folder, chapter.file_name));
    Marks marks;
    marks.mark1 = b.AddSwatch("RazozaMark1", {layout::ColorSpace::kCmyk, {0, 100, 0, 0}});
    marks.mark3 = b.AddSwatch("RazozaMark3", {layout::ColorSpace::kCmyk, {0, 0, 100, 0}});
    const int32_t green = b.AddSwatch("索引グリーン", {layout::ColorSpace::kCmyk, {75, 0, 100, 0}});
    marks.red = b.AddSwatch("赤", {layout::ColorSpace::kCmyk, {0, 100, 100, 0}});
    marks.unnamed = b.AddSwatch("", {layout::ColorSpace::kRgb, {40, 90, 160}});
    marks.style2 = b.AddCharacterStyle("RazozaMark2", green);
    marks.paragraph = b.AddParagraphStyle("本文");
    std::vector<int32_t> pages;
    for (const std::string& name : chapter.pages) pages.push_back(b.AddPage(name));
    std::vector<std::pair<int32_t, layout::Rect>> geometry;  // frame index, bounds
    for (const StoryPlan& story_plan : chapter.stories) {
      MIRUNE_ASSIGN_OR_RETURN(Parsed parsed, Parse(story_plan.source, marks));
      if (parsed.splits.size() + 1 != story_plan.frames.size()) {
        return Error{ErrorCode::kInternal, chapter.file_name + ": frames and splits disagree"};
      }
      const int32_t story = b.AddStory();
      for (size_t i = 0; i < parsed.text.size();) {
        size_t j = i;
        while (j < parsed.text.size() && parsed.formats[j] == parsed.formats[i]) ++j;
        b.Append(story, Utf32ToUtf8(parsed.text.substr(i, j - i)), parsed.formats[i]);
        i = j;
      }
      size_t begin = 0;
      for (size_t f = 0; f < story_plan.frames.size(); ++f) {
        const size_t end = f < parsed.splits.size() ? parsed.splits[f] : parsed.text.size();
        int lines = 0;
        if (!CountLines(parsed.text, begin, end, lines)) {
          return Error{ErrorCode::kInternal, chapter.file_name + ": frame " +
                                                 std::to_string(f + 1) +
                                                 " does not end at a line end"};
        }
        const auto [page, top] = story_plan.frames[f];
        const bool last = f + 1 == story_plan.frames.size();
        const int32_t frame =
            b.AddFrame(pages[static_cast<size_t>(page)], story,
                       last ? layout::kRestOfStory : static_cast<int32_t>(end - begin));
        geometry.push_back(
            {frame, {top, kFrameLeft, top + lines * kLeading + 0.5, kFrameLeft + kFrameWidth}});
        begin = end;
      }
    }
    MIRUNE_ASSIGN_OR_RETURN(layout::Document document, b.Build());
    for (const auto& [frame, bounds] : geometry) {
      document.frames[static_cast<size_t>(frame)].bounds = bounds;
    }
    chapters.push_back({chapter.file_name, std::move(document)});
  }
  return chapters;
}

}  // namespace mirune::idml
