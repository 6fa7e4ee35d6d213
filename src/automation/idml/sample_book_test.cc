#include "automation/idml/sample_book.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "automation/idml/idml_document.h"
#include "automation/idml/idml_writer.h"
#include "automation/indesign_engine/engine_application.h"
#include "base/file.h"
#include "base/utf.h"

namespace mirune::idml {
namespace {

using layout::kNone;

const std::string kBook = std::string(MIRUNE_SOURCE_DIR) + "/samples/book";

struct Term {
  std::string file;
  std::string term;
  std::string mark;
  std::string page;      // page of the term's first character
  std::string end_page;  // page of its last character
  bool ends_frame = false;

  bool operator==(const Term&) const = default;
};

std::ostream& operator<<(std::ostream& out, const Term& t) {
  return out << t.file << " " << t.term << " " << t.mark << " p" << t.page << "-" << t.end_page
             << (t.ends_frame ? " (frame end)" : "");
}

// The RazozaMark name of a character: its character style's, else its fill colour's.
std::string MarkOf(const layout::Document& document, const layout::TextFormat& format) {
  if (format.character_style != kNone) {
    const std::string& name =
        document.character_styles[static_cast<size_t>(format.character_style)].name;
    if (name.rfind("RazozaMark", 0) == 0) return name;
  }
  const int32_t fill = layout::EffectiveFillColor(document, format);
  if (fill != kNone) {
    const std::string& name = document.swatches[static_cast<size_t>(fill)].name;
    if (name.rfind("RazozaMark", 0) == 0) return name;
  }
  return "";
}

// Marked runs of a document with the pages their frames lie on.
std::vector<Term> TermsOf(const layout::Document& document) {
  std::vector<Term> terms;
  for (const layout::Story& story : document.stories) {
    auto page_at = [&](int32_t index) -> std::string {
      for (int32_t f : story.frames) {
        const layout::TextFrame& frame = document.frames[static_cast<size_t>(f)];
        if (index >= frame.text_start && index < frame.text_end) {
          return frame.page == kNone ? "" : document.pages[static_cast<size_t>(frame.page)].name;
        }
      }
      return "(overset)";
    };
    const int32_t size = static_cast<int32_t>(story.text.size());
    for (int32_t i = 0; i < size;) {
      const std::string mark = MarkOf(document, layout::FormatAt(story, i));
      int32_t j = i + 1;
      while (j < size && MarkOf(document, layout::FormatAt(story, j)) == mark) ++j;
      if (!mark.empty()) {
        Term term{document.name, Utf32ToUtf8(story.text.substr(i, j - i)), mark, page_at(i),
                  page_at(j - 1)};
        for (int32_t f : story.frames) {
          if (document.frames[static_cast<size_t>(f)].text_end == j) term.ends_frame = true;
        }
        terms.push_back(term);
      }
      i = j;
    }
  }
  return terms;
}

TEST(SampleBook, CommittedFilesAreWhatTheBuilderMakes) {
  auto chapters = BuildSampleBook(kBook);
  ASSERT_TRUE(chapters.ok()) << chapters.message();
  ASSERT_EQ(chapters->size(), 3u);
  for (const SampleChapter& chapter : *chapters) {
    auto bytes = WriteNewIdmlPackage(chapter.document);
    ASSERT_TRUE(bytes.ok()) << bytes.message();
    auto committed = ReadFileBytes(JoinPath(kBook, chapter.file_name));
    ASSERT_TRUE(committed.ok()) << committed.message();
    EXPECT_TRUE(*bytes == *committed)
        << chapter.file_name << " differs: run make_sample_book to write it again";
  }
}

TEST(SampleBook, OpensAsABookWithItsMarkedTermsOnTheirPages) {
  IdmlFiles files;
  indesign_engine::EngineApplication engine;
  engine.AddLoader(files.MakeLoader());
  auto book = engine.Open(kBook);
  ASSERT_TRUE(book.ok()) << book.message();
  ASSERT_TRUE(book->book);
  EXPECT_EQ(book->book->Name().value(), "book");
  ASSERT_EQ(book->book->ContentCount().value(), 3);

  std::vector<Term> terms;
  std::vector<bool> estimated;
  for (int32_t m = 1; m <= 3; ++m) {
    const std::string path = book->book->ContentFullName(m).value();
    auto document = files.Load(path);
    ASSERT_TRUE(document.ok()) << document.message();
    EXPECT_EQ(layout::CheckDocument(*document), "");
    const std::vector<Term> found = TermsOf(*document);
    terms.insert(terms.end(), found.begin(), found.end());
    estimated.push_back(document->stories[0].composition_estimated);
  }
  const std::vector<Term> expected = {
      {"chapter1.idml", "和紙", "RazozaMark1", "1", "1"},
      {"chapter1.idml", "楮", "RazozaMark1", "1", "1"},
      {"chapter1.idml", "三椏", "RazozaMark2", "1", "1"},
      {"chapter1.idml", "雁皮", "RazozaMark1", "1", "1"},
      {"chapter1.idml", "正倉院", "RazozaMark1", "1", "1"},
      {"chapter1.idml", "かな文字", "RazozaMark3", "2", "2"},
      {"chapter1.idml", "越前", "RazozaMark1", "2", "2", true},
      {"chapter2.idml", "文房四宝", "RazozaMark1", "3", "3"},
      {"chapter2.idml", "王羲之", "RazozaMark2", "3", "4"},
      {"chapter2.idml", "硯", "RazozaMark1", "4", "4", true},
      {"chapter2.idml", "空海", "RazozaMark1", "5", "5"},
      {"chapter3.idml", "千利休", "RazozaMark1", "6", "6"},
      {"chapter3.idml", "侘び茶", "RazozaMark2", "6", "6"},
      {"chapter3.idml", "茶室", "RazozaMark1", "6", "6"},
      {"chapter3.idml", "抹茶", "RazozaMark3", "7", "7"},
      {"chapter3.idml", "千利休", "RazozaMark1", "7", "7"},
  };
  EXPECT_EQ(terms, expected);
  // Chapters 1 and 3 are split by breaks or not at all; chapter 2's split is the estimate.
  EXPECT_EQ(estimated, (std::vector<bool>{false, true, false}));
}

}  // namespace
}  // namespace mirune::idml
