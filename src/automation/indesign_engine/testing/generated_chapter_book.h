#pragma once

// The generated book of the extraction benchmarks: three members of 100 pages each, one text
// frame per page threading the member's main story, ten marked terms per page (3,000 in all),
// registered with an engine as "book.indb" and "member1.indd"… in `folder`. Shared with
// test-indesign-server, which offers it across processes for the COM benchmarks.

#include <string>
#include <vector>

#include "automation/indesign_engine/builder.h"
#include "automation/indesign_engine/engine_application.h"
#include "base/path.h"
#include "base/utf.h"

namespace mirune::indesign_test::chapter_book {

inline constexpr int kMembers = 3;
inline constexpr int kPagesPerMember = 100;
inline constexpr int kTermsPerPage = 10;

inline const std::vector<std::string>& Terms() {
  static const std::vector<std::string> terms = {
      "索引",   "和紙",   "活版印刷", "組版", "校正",     "書体",     "明朝体", "ゴシック体",
      "ルビ",   "縦組み", "横組み",   "版面", "余白",     "ノンブル", "柱",     "見出し",
      "本文",   "奥付",   "目次",     "扉",   "装丁",     "製本",     "印刷所", "出版社",
      "編集者", "著者",   "原稿",     "写植", "電子書籍", "禁則処理", "約物",   "句読点"};
  return terms;
}

// A page's text: kTermsPerPage marked terms, each in an unmarked sentence, ending in a
// paragraph return. Terms vary with the page; many recur, so the workbook's folding has
// work to do. With `ruby_every` n > 0, every n-th term of the book is a name of its own (真
// before the term) with group ruby (made up) over 真 and its first word, so the ruby takes no
// work off the other terms.
inline void AppendPage(layout::DocumentBuilder& b, int32_t story, int page, int32_t mark,
                       int32_t* characters, int ruby_every = 0) {
  const auto& terms = Terms();
  std::string plain;
  for (int t = 0; t < kTermsPerPage; ++t) {
    // Compounds of two words: about a thousand different terms over the book.
    const size_t n = terms.size();
    const std::string first = terms[static_cast<size_t>(page * 7 + t * 3) % n];
    const std::string term = first + terms[static_cast<size_t>(page / 3 + t * 5) % n];
    const std::string before = "この段落では";
    const std::string after = "について述べる。";
    b.Append(story, before);
    if (ruby_every > 0 && (page * kTermsPerPage + t) % ruby_every == 0) {
      const std::string rest = term.substr(first.size());
      b.Append(story, "真" + first, {.fill_color = mark, .ruby = b.AddRuby("まことのよみ")});
      b.Append(story, rest, {.fill_color = mark});
      plain += before + "真" + term + after;
    } else {
      b.Append(story, term, {.fill_color = mark});
      plain += before + term + after;
    }
    b.Append(story, after);
  }
  b.Append(story, "\r");
  plain += "\r";
  *characters = static_cast<int32_t>(Utf8ToUtf32(plain).size());
}

inline void RegisterBook(indesign_engine::EngineApplication& engine, const std::string& folder,
                         int ruby_every = 0) {
  std::vector<std::string> members;
  for (int m = 1; m <= kMembers; ++m) {
    // Spelled as the launch spells what it opens (the platform's separator).
    const std::string path = JoinPath(folder, "member" + std::to_string(m) + ".indd");
    layout::DocumentBuilder b(path);
    const int32_t mark = b.AddSwatch("RazozaMark1", {layout::ColorSpace::kCmyk, {0, 100, 0, 0}});
    const int32_t story = b.AddStory();
    std::vector<int32_t> lengths;
    for (int p = 0; p < kPagesPerMember; ++p) {
      int32_t characters = 0;
      AppendPage(b, story, (m - 1) * kPagesPerMember + p, mark, &characters, ruby_every);
      lengths.push_back(characters);
    }
    for (int p = 0; p < kPagesPerMember; ++p) {
      const int32_t page = b.AddPage(std::to_string((m - 1) * kPagesPerMember + p + 1));
      b.AddFrame(page, story, p + 1 == kPagesPerMember ? layout::kRestOfStory : lengths[p]);
    }
    engine.RegisterDocument(*b.Build());
    members.push_back(path);
  }
  engine.RegisterBook(layout::MakeBook(JoinPath(folder, "book.indb"), members));
}

}  // namespace mirune::indesign_test::chapter_book
