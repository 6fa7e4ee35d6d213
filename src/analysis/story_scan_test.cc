#include "analysis/story_scan.h"

#include <gtest/gtest.h>

#include <filesystem>
#include <string>
#include <system_error>
#include <tuple>
#include <vector>

#include "analysis/testing/fake_phonetic.h"
#include "base/file.h"
#include "base/utf.h"
#include "progress/testing/recording_progress.h"

namespace mirune {
namespace {

// The bytes of a tagged-text file as the export writes it: BOM FF FE, UTF-16LE, CR LF.
std::string TaggedFile(std::u16string_view body) {
  std::u16string text =
      u"<UNICODE-WIN>\r\n<vsn:16><fset:InDesign-Japanese><ctable:=<Black:"
      u"COLOR:CMYK:Process:0,0,0,1><RazozaMark1:COLOR:CMYK:Process:0,1,1,0>>"
      u"\r\n<dcs:RazozaMark3=<Nextstyle:RazozaMark3><cc:RazozaMark1>>\r\n"
      u"<dps:NormalParagraphStyle=<Nextstyle:NormalParagraphStyle>>\r\n";
  text += body;
  std::string bytes = "\xFF\xFE";
  for (char16_t c : text) {
    bytes.push_back(static_cast<char>(c & 0xFF));
    bytes.push_back(static_cast<char>(c >> 8));
  }
  return bytes;
}

struct Analysis {
  FakePhonetic lookup{{{"索引", "サクイン"}, {"読", "ヨ"}}};
  ScriptWordDivider divider;
  RecordingProgress progress;
  EntryList entries;
  AnalysisContext ctx{&entries, &divider, &lookup, &progress, 3375, {}};

  Status Run(std::u16string_view body) { return AnalyzeTaggedStory(TaggedFile(body), ctx); }
};

std::string Entries(std::u16string_view body) {
  Analysis a;
  Status s = a.Run(body);
  if (!s.ok()) return "error: " + s.ToString();
  return a.entries.text();
}

TEST(StoryScanTest, WorkedExample) {
  // One paragraph across two frames, on pages 12 and 13; 索引 marked by a swatch, 読み by a
  // character style.
  EXPECT_EQ(Entries(u"<pstyle:NormalParagraphStyle><cc:RazozaMark1>索引<cc:>は本の最後にある。"
                    u"◆♭♪0012♪♭◆<cstyle:RazozaMark3>読み<cstyle:>はかなで付ける。◆♭♪0013♪♭◆"),
            "索引\tさくいん\t12\n読み\tよみ\t13\n");
}

TEST(StoryScanTest, MarkedRuns) {
  struct Case {
    const char16_t* body;
    const char* entries;
  } cases[] = {
      // Nothing marked.
      {u"<pstyle:Body>plain text◆♭♪0001♪♭◆", ""},
      // The three tag forms.
      {u"<cc:RazozaMark1>A<cc:> <cstyle:RazozaMark2>B<cstyle:> <cColor:RazozaMark9>C<cColor:>"
       u"◆♭♪0007♪♭◆",
       "A\tA\t7\nB\tB\t7\nC\tC\t7\n"},
      // Exactly one character after RazozaMark, case-sensitive.
      {u"<cc:RazozaMark10>A<cc:><cc:RazozaMark2 2>B<cc:><cc:razozamark1>C<cc:>", ""},
      // Touching runs make one term; colour and style on the same text make one term.
      {u"<cc:RazozaMark1>A<cc:><cc:RazozaMark2>B<cc:>◆♭♪0001♪♭◆", "AB\tAB\t1\n"},
      {u"<cc:RazozaMark1><cstyle:RazozaMark2>A<cstyle:><cc:>◆♭♪0001♪♭◆", "A\tA\t1\n"},
      // A term at the end of a frame holds the frame's marker; it moves behind the term.
      {u"<cc:RazozaMark1>A◆♭♪0005♪♭◆<cc:>B◆♭♪0006♪♭◆", "A\tA\t5\n"},
      // A term running on into the next frame gets the page where it begins.
      {u"<cc:RazozaMark1>AB◆♭♪0005♪♭◆CD<cc:>◆♭♪0006♪♭◆", "ABCD\tABCD\t5\n"},
      // … also across three frames, without losing text or shifting earlier pages.
      {u"<cc:RazozaMark1>X<cc:>◆♭♪0004♪♭◆<cc:RazozaMark1>AB◆♭♪0005♪♭◆CD◆♭♪0006♪♭◆EF<cc:>"
       u"◆♭♪0007♪♭◆",
       "X\tX\t4\nABCDEF\tABCDEF\t5\n"},
      // A marker cut short moves its ten characters (here all that is left).
      {u"<cc:RazozaMark1>A◆♭♪xy<cc:>", "A\tA\t\n"},
      // A term after the last marker has an empty page field.
      {u"◆♭♪0001♪♭◆<cc:RazozaMark1>Z<cc:>", "Z\tZ\t\n"},
      // Pages keep their whole number.
      {u"<cc:RazozaMark1>A<cc:>◆♭♪12345♪♭◆<cc:RazozaMark1>B◆♭♪12346♪♭◆<cc:>",
       "A\tA\t12345\nB\tB\t12346\n"},
      {u"<cc:RazozaMark1>A<cc:>◆♭♪0000♪♭◆", "A\tA\t0\n"},
      // A paragraph break inside a run gives one entry per paragraph.
      {u"<cc:RazozaMark1>A\r\nB<cc:>◆♭♪0003♪♭◆", "A\tA\t3\nB\tB\t3\n"},
      {u"<cc:RazozaMark1>A\r\n\r\n<cc:>◆♭♪0003♪♭◆", "A\tA\t3\n"},
      // A TAB in a term becomes an ideographic space.
      {u"<cc:RazozaMark1>A\tB<cc:>", "A　B\tA　B\t\n"},
      // Escaped brackets come out plain; the story's own ♯♪ and ♯♭ stay as they are.
      {u"<cc:RazozaMark1>a\\<b\\>c<cc:>", "a<b>c\ta<b>c\t\n"},
      {u"<cc:RazozaMark1>♯♪x♯♭<cc:>", "♯♪x♯♭\t♯♪x♯♭\t\n"},
      {u"<cc:RazozaMark1>a\\\\b<cc:>", "a\\\\b\ta\\\\b\t\n"},
      // An escaped bracket inside a tag goes with the tag.
      {u"<pstyle:a\\>b><cc:RazozaMark1>T<cc:><pstyle:c\\<d>", "T\tT\t\n"},
      // A term holding "♭♪" counts as a page line and gives no entry.
      {u"<cc:RazozaMark1>x♭♪y<cc:>", ""},
      // A vertical tab is a control character: it leaves the term, which stays one entry.
      {u"<cc:RazozaMark1>A\vB<cc:>◆♭♪0002♪♭◆", "AB\tAB\t2\n"},
      // A kanji outside code page 932 stays in the reading, with the re-check mark.
      {u"<cc:RazozaMark1>𠮷<cc:>", "𠮷\t𠮷★読み再確認★\t\n"},
  };
  for (const auto& c : cases) {
    EXPECT_EQ(Entries(c.body), c.entries) << Utf16ToUtf8(c.body);
  }
}

// Each entry keeps the number of its mark, in every form of the tags, across page markers
// and for a term of several paragraphs; a mark that is no RazozaMark1 … 9 gives 0.
TEST(StoryScanTest, MarkNumbersTravelWithTheEntries) {
  Analysis a;
  ASSERT_TRUE(a.Run(u"<cc:RazozaMark2>索引<cc:> と <cstyle:RazozaMark3>読◆♭♪0004♪♭◆み<cstyle:> "
                    u"<cColor:RazozaMark1>本<cColor:> <cc:RazozaMarkX>語<cc:> "
                    u"<cc:RazozaMark9>上\r下<cc:>◆♭♪0005♪♭◆")
                  .ok());
  std::vector<std::tuple<std::string, std::string, int>> got;
  for (const EntryMark& m : a.entries.entry_marks()) got.emplace_back(m.term, m.page, m.mark);
  EXPECT_EQ(got, (std::vector<std::tuple<std::string, std::string, int>>{{"索引", "4", 2},
                                                                         {"読み", "4", 3},
                                                                         {"本", "5", 1},
                                                                         {"語", "5", 0},
                                                                         {"上", "5", 9},
                                                                         {"下", "5", 9}}));
}

TEST(StoryScanTest, DefinitionBlocksMarkNothing) {
  // The header's <dcs:…<cc:RazozaMark1>> is gone before anything is highlighted; otherwise
  // it would open a run up to the first <cc:> of the text.
  EXPECT_EQ(Entries(u"text<cc:Black>x<cc:>◆♭♪0001♪♭◆"), "");
}

TEST(StoryScanTest, PreparedText) {
  TextDocument doc = PrepareStoryText(
      *DecodeTaggedText(TaggedFile(u">\r\n\r\n<pstyle:A>abc<cc:RazozaMark1>d<cc:>\r\n\r\nef")));
  EXPECT_EQ(doc.text(), u"abcd\r\ref");
  ASSERT_EQ(doc.HighlightedRuns().size(), 1u);
  EXPECT_EQ(doc.HighlightedRuns()[0].begin, 3u);
  auto runs = CollectMarkedRuns(doc);
  EXPECT_EQ(runs, std::vector<std::u16string>{u"d"});
}

TEST(StoryScanTest, DecodesEveryFormOfTheFile) {
  const std::u16string want = u"<UNICODE-WIN>\ra\rb\rc";
  std::string le, be;
  for (char16_t c : std::u16string(u"<UNICODE-WIN>\r\na\nb\rc")) {
    le.push_back(static_cast<char>(c & 0xFF));
    le.push_back(static_cast<char>(c >> 8));
    be.push_back(static_cast<char>(c >> 8));
    be.push_back(static_cast<char>(c & 0xFF));
  }
  EXPECT_EQ(*DecodeTaggedText("\xFF\xFE" + le), want);
  EXPECT_EQ(*DecodeTaggedText("\xFE\xFF" + be), want);
  EXPECT_EQ(*DecodeTaggedText(le), want);
  EXPECT_EQ(*DecodeTaggedText(be), want);
  // An unpaired surrogate becomes U+FFFD.
  EXPECT_EQ(*DecodeTaggedText(std::string("\xFF\xFE<\0A\0-\0W\0I\0N\0>\0\x00\xD8", 18)),
            u"<A-WIN>\uFFFD");

  for (const std::string& bad :
       {std::string("\xFF\xFEh\0i\0", 6), std::string("plain text"), std::string("\xFF\xFE<\0", 3),
        std::string("\xEF\xBB\xBF<UNICODE-WIN>"), std::string()}) {
    auto r = DecodeTaggedText(bad);
    EXPECT_FALSE(r.ok());
    EXPECT_EQ(r.code(), ErrorCode::kFormatError);
  }
}

TEST(StoryScanTest, PageNamesThatAreNotNumbersAreKeptAndCollected) {
  Analysis a;
  ASSERT_TRUE(a.Run(u"<cc:RazozaMark1>前付<cc:>◆♭♪iv♪♭◆<cc:RazozaMark1>付録<cc:>◆♭♪A-3♪♭◆"
                    u"<cc:RazozaMark1>索引<cc:>◆♭♪0012♪♭◆<cc:RazozaMark1>序<cc:>◆♭♪iv♪♭◆")
                  .ok());
  EXPECT_EQ(a.entries.text(),
            "前付\t前付★読み再確認★\tiv\n付録\t付録★読み再確認★\tA-3\n"
            "索引\tさくいん\t12\n序\t序★読み再確認★\tiv\n");
  EXPECT_EQ(a.entries.text_pages(), (std::vector<std::string>{"iv", "A-3"}));
  // The next story adds its own; a new job starts empty.
  ASSERT_TRUE(a.Run(u"<cc:RazozaMark1>x<cc:>◆♭♪B-1♪♭◆<cc:RazozaMark1>y<cc:>◆♭♪iv♪♭◆").ok());
  EXPECT_EQ(a.entries.text_pages(), (std::vector<std::string>{"iv", "A-3", "B-1"}));
  a.entries.Clear();
  EXPECT_TRUE(a.entries.text_pages().empty());
}

TEST(StoryScanTest, PageFieldsFollowThePageRule) {
  struct Case {
    const char16_t* page;
    const char* field;
  } cases[] = {{u"0012", "12"},
               {u"0000", "0"},
               {u"9999999999", "9999999999"},
               {u"0000000000000000000001", "1"},
               {u"1234567890123456789", "1234567890123456789"},
               {u"１２", "１２"}};
  for (const auto& c : cases) {
    const std::u16string body = u"<cc:RazozaMark1>x<cc:>◆♭♪" + std::u16string(c.page) + u"♪♭◆";
    EXPECT_EQ(Entries(body), std::string("x\tx\t") + c.field + "\n") << c.field;
  }
}

TEST(StoryScanTest, UnclosedMarkIsNoTermAndWarns) {
  Analysis a;
  a.ctx.story_name = "本文.indd ストーリー 3";
  ASSERT_TRUE(a.Run(u"<cc:RazozaMark1>A<cc:> <cstyle:RazozaMark2>閉じ忘れ<pstyle:x>の"
                    u"\\<語句\\>は最後まで続く長い文章です。◆♭♪0004♪♭◆")
                  .ok());
  EXPECT_EQ(a.entries.text(), "A\tA\t4\n");
  ASSERT_EQ(a.entries.warnings().size(), 1u);
  const std::string& w = a.entries.warnings()[0];
  EXPECT_EQ(w.rfind("マークが閉じられていません", 0), 0u) << w;
  EXPECT_NE(w.find("「本文.indd ストーリー 3」"), std::string::npos) << w;
  EXPECT_NE(w.find("<cstyle:RazozaMark2>"), std::string::npos) << w;
  // Twenty characters after the tag, tags left out, escaped brackets plain.
  EXPECT_NE(w.find("「閉じ忘れの<語句>は最後まで続く長い文章」"), std::string::npos) << w;
}

TEST(StoryScanTest, UnclosedMarks) {
  struct Case {
    const char16_t* body;
    const char* entries;
    std::vector<std::string> tags;  // of the warnings, in order
  } cases[] = {
      // Closed marks warn of nothing.
      {u"<cc:RazozaMark1>A<cc:>", "A\tA\t\n", {}},
      // Two openings before one close: one term, no warning.
      {u"<cc:RazozaMark1>A<cc:RazozaMark2>B<cc:>", "AB\tAB\t\n", {}},
      // An opening after the last close of its form.
      {u"<cc:RazozaMark1>A<cc:>x<cc:RazozaMark1>B", "A\tA\t\n", {"<cc:RazozaMark1>"}},
      // Several unclosed openings of one form: the first is reported.
      {u"<cc:RazozaMark3>B<cc:RazozaMark4>C", "", {"<cc:RazozaMark3>"}},
      // One of each form, in story order.
      {u"<cColor:RazozaMark1>x<cc:RazozaMark2>y", "", {"<cColor:RazozaMark1>", "<cc:RazozaMark2>"}},
      // An unclosed opening inside a term of another form is part of that term.
      {u"<cstyle:RazozaMark1>a<cc:RazozaMark2>b<cstyle:>", "ab\tab\t\n", {}},
  };
  for (const auto& c : cases) {
    Analysis a;
    ASSERT_TRUE(a.Run(c.body).ok());
    EXPECT_EQ(a.entries.text(), c.entries) << Utf16ToUtf8(c.body);
    ASSERT_EQ(a.entries.warnings().size(), c.tags.size()) << Utf16ToUtf8(c.body);
    for (size_t i = 0; i < c.tags.size(); ++i) {
      EXPECT_NE(a.entries.warnings()[i].find(c.tags[i]), std::string::npos)
          << a.entries.warnings()[i];
    }
  }
}

TEST(StoryScanTest, ControlCharactersLeaveTheStoryText) {
  using namespace std::string_literals;
  // A NUL or an escape inside a term, TAB kept (as U+3000), paragraph breaks kept.
  EXPECT_EQ(Entries(u"<cc:RazozaMark1>和\0紙<cc:>◆♭♪00\u001b12♪♭◆"s),
            "和紙\t和紙★読み再確認★\t12\n");
  EXPECT_EQ(Entries(u"<cc:RazozaMark1>a\u0085\u007f\u0001b\tc\r\nd<cc:>"s),
            "ab　c\tab　c\t\nd\td\t\n");
  // Even a tag broken by a control character is still a tag.
  EXPECT_EQ(Entries(u"<cc:Razoza\u0000Mark1>x<cc:>"s), "x\tx\t\n");
  const std::u16string decoded = *DecodeTaggedText(TaggedFile(u"\u0000\u0008\t\u000c\u009f."s));
  EXPECT_EQ(decoded.substr(decoded.size() - 2), u"\t.");
}

TEST(StoryScanTest, ProgressValuesAndEntryCount) {
  Analysis a;
  ASSERT_TRUE(a.Run(u"<cc:RazozaMark1>A<cc:>◆♭♪0001♪♭◆").ok());
  EXPECT_EQ(a.progress.Values(), (std::vector<int32_t>{43, 45, 46, 48, 50, 51, 52, 54, 55, 56, 58,
                                                       59, 60, 78, 97, 98, 100}));
  for (const auto& u : a.progress.updates) {
    EXPECT_EQ(u.total, 100);
    EXPECT_EQ(u.activity, "索引抽出処理を実行中です...　");
  }
  EXPECT_EQ(a.progress.yields, static_cast<int>(a.progress.updates.size()));
  EXPECT_EQ(a.progress.LastField(ProgressField::kEntryCount), "1");

  // The count runs on across the stories of a job; a story without a run list stops at 58.
  a.progress.updates.clear();
  ASSERT_TRUE(a.Run(u"plain").ok());
  EXPECT_EQ(a.progress.Values(),
            (std::vector<int32_t>{43, 45, 46, 48, 50, 51, 52, 54, 55, 56, 58}));
  ASSERT_TRUE(a.Run(u"<cc:RazozaMark1>B<cc:><cc:RazozaMark1>C<cc:>x<cc:RazozaMark1>D<cc:>").ok());
  EXPECT_EQ(a.progress.LastField(ProgressField::kEntryCount), "3");
  EXPECT_EQ(a.entries.entry_count(), 3);
  // Terms of stories on the same page stand in story order.
  EXPECT_EQ(a.entries.text(), "A\tA\t1\nBC\tBC\t\nD\tD\t\n");
}

TEST(StoryScanTest, ManyEntriesPassSixteenBits) {
  std::u16string body;
  for (int i = 0; i < 33000; ++i) body += u"<cc:RazozaMark1>x<cc:>.";
  body += u"◆♭♪0001♪♭◆";
  Analysis a;
  ASSERT_TRUE(a.Run(body).ok());
  EXPECT_EQ(a.entries.entry_count(), 33000);
  EXPECT_EQ(a.entries.line_count(), 33000u);
  EXPECT_EQ(a.progress.LastField(ProgressField::kEntryCount), "33000");
}

TEST(StoryScanTest, ScanDeletesTheFileOnceRunsAreCollected) {
  const std::string folder = JoinPath(MIRUNE_BINARY_DIR, "analysis_scan_test");
  ASSERT_TRUE(CreateFolder(folder).ok());
  const std::string path = JoinPath(folder, "InD_Tag001.txt");
  ASSERT_TRUE(WriteFileAtomic(path, TaggedFile(u"<cc:RazozaMark1>索引<cc:>◆♭♪0003♪♭◆")).ok());
  Analysis a;
  ASSERT_TRUE(ScanTaggedStory(path, a.ctx).ok());
  EXPECT_FALSE(FileExists(path));
  EXPECT_EQ(a.entries.text(), "索引\tさくいん\t3\n");

  // A file that is not tagged text is an error naming it, and stays.
  ASSERT_TRUE(WriteFileAtomic(path, "not tagged").ok());
  Status s = ScanTaggedStory(path, a.ctx);
  EXPECT_EQ(s.code(), ErrorCode::kFormatError);
  EXPECT_NE(s.message().find(path), std::string::npos);
  EXPECT_TRUE(FileExists(path));
  ASSERT_TRUE(RemoveFile(path).ok());

  s = ScanTaggedStory(path, a.ctx);
  EXPECT_EQ(s.code(), ErrorCode::kNotFound);
  EXPECT_NE(s.message().find(path), std::string::npos);
  EXPECT_EQ(s.message().rfind("ストーリーのファイルが見つかりません", 0), 0u) << s.message();
}

TEST(StoryScanTest, AnalyzeTaggedStoryFileKeepsTheFileAndNamesTheStory) {
  const std::string folder = JoinPath(MIRUNE_BINARY_DIR, "analysis_scan_test");
  ASSERT_TRUE(CreateFolder(folder).ok());
  const std::string path = JoinPath(folder, "chapter1.txt");
  ASSERT_TRUE(WriteFileAtomic(path, TaggedFile(u"<cc:RazozaMark1>索引<cc:>◆♭♪0003♪♭◆"
                                               u"<cc:RazozaMark1>open"))
                  .ok());
  Analysis a;
  ASSERT_TRUE(AnalyzeTaggedStoryFile(path, a.ctx).ok());
  EXPECT_TRUE(FileExists(path));
  EXPECT_EQ(a.entries.text(), "索引\tさくいん\t3\n");
  ASSERT_EQ(a.entries.warnings().size(), 1u);
  EXPECT_NE(a.entries.warnings()[0].find("「chapter1.txt」"), std::string::npos);
  EXPECT_NE(a.entries.warnings()[0].find("「open」"), std::string::npos);
  ASSERT_TRUE(RemoveFile(path).ok());
}

TEST(StoryScanTest, AStoryFileLargerThanTheLimitIsRefusedUnread) {
  const std::string folder = JoinPath(MIRUNE_BINARY_DIR, "analysis_scan_test");
  ASSERT_TRUE(CreateFolder(folder).ok());
  const std::string path = JoinPath(folder, "InD_Tag_huge.txt");
  ASSERT_TRUE(WriteFileAtomic(path, TaggedFile(u"x")).ok());
  // A sparse file: its size is all that is looked at.
  std::error_code ec;
  std::filesystem::resize_file(std::filesystem::path(std::u8string(path.begin(), path.end())),
                               kMaxStoryFileBytes + 2, ec);
  ASSERT_FALSE(ec) << ec.message();
  Analysis a;
  for (Status s : {ScanTaggedStory(path, a.ctx), AnalyzeTaggedStoryFile(path, a.ctx)}) {
    EXPECT_EQ(s.code(), ErrorCode::kOverflow);
    EXPECT_EQ(s.message().rfind("ストーリーのファイルが大きすぎます: ", 0), 0u) << s.message();
    EXPECT_NE(s.message().find("上限は 256 MiB"), std::string::npos) << s.message();
    EXPECT_NE(s.message().find(path), std::string::npos);
  }
  EXPECT_TRUE(FileExists(path));
  ASSERT_TRUE(RemoveFile(path).ok());
}

TEST(StoryScanTest, HostileTagsAreHarmless) {
  std::u16string body;
  for (int i = 0; i < 100000; ++i) body += u"<t";
  body += u"<cc:RazozaMark1>A<cc:>";
  // No ">>" follows any "<t"; the tag removal takes the first "<t" up to the first ">".
  EXPECT_EQ(Entries(body), "A\tA\t\n");

  // A run full of marker openings without any close is one pass too. (The ten-character
  // cuts leave "♭♪" in the term, which then counts as a page line.)
  std::u16string run = u"<cc:RazozaMark1>B";
  for (int i = 0; i < 100000; ++i) run += u"◆♭♪";
  run += u"<cc:>";
  EXPECT_EQ(Entries(run), "");
}

}  // namespace
}  // namespace mirune
