#include "automation/idml/idml_reader.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <string>
#include <vector>

#include "automation/idml/idml_compose.h"
#include "automation/idml/testing/mini_package.h"
#include "base/file.h"
#include "base/utf.h"

namespace mirune::idml {
namespace {

using testing::MakeMiniPackage;
using testing::MiniFrame;
using testing::SimpleStory;

Package ReadSample(const std::string& name) {
  auto bytes = ReadFileBytes(std::string(MIRUNE_SHARED_DIR) + "/samples/idml/" + name);
  EXPECT_TRUE(bytes.ok()) << bytes.message();
  auto package = ReadIdmlPackage(std::move(bytes).value());
  EXPECT_TRUE(package.ok()) << package.message();
  return std::move(package).value();
}

std::vector<std::string> PageNames(const Package& package) {
  std::vector<std::string> names;
  for (const Page& page : package.pages) names.push_back(page.name);
  return names;
}

// Frames of a story in thread order, as Selfs.
std::vector<std::string> Thread(const Package& package, const Composition& c,
                                const std::string& story) {
  std::vector<std::string> out;
  for (size_t s = 0; s < package.stories.size(); ++s) {
    if (package.stories[s].self != story) continue;
    for (int f : c.story_frames[s]) out.push_back(package.frames[static_cast<size_t>(f)].self);
  }
  return out;
}

std::string PageNameOfFrame(const Package& package, const Composition& c,
                            const std::string& frame) {
  const int index = package.FrameIndex(frame);
  if (index < 0) return "(no frame)";
  const int page = c.page[static_cast<size_t>(index)];
  return page < 0 ? "" : package.pages[static_cast<size_t>(page)].name;
}

std::u32string StoryText(const Package& package, const std::string& self) {
  const Story* story = package.FindStory(self);
  return story ? story->text : U"(no story)";
}

// Index of the first occurrence of `needle` in a story's text.
uint32_t Find(const Package& package, const std::string& story, const std::u32string& needle) {
  const std::u32string& text = package.FindStory(story)->text;
  const size_t at = text.find(needle);
  EXPECT_NE(at, std::u32string::npos) << Utf32ToUtf8(needle);
  return static_cast<uint32_t>(at);
}

// --- The four real packages: facts written down from their XML. ---

struct SampleFacts {
  const char* file;
  std::vector<std::string> pages;
  size_t spreads;
  size_t page_frames;                // frames lying on a page
  std::vector<std::string> stories;  // StoryList order, without the backing story
};

TEST(IdmlReaderSamples, PagesSpreadsFramesAndStories) {
  const SampleFacts table[] = {
      {"ch1nq_textframe_ID16.idml", {"1"}, 1, 5, {"ue3", "u108", "u129", "u143"}},
      {"simpleidml_4-pages_CS5.5.idml",
       {"1", "2", "3", "4"},
       3,
       4,
       {"ue4", "u102", "u11b", "u139"}},
      {"simpleidml_interview_ID15.1.idml",
       {"2"},
       1,
       13,
       {"u16d", "u184", "u19a", "u1c6", "u1dd", "u1f3", "u209", "u221", "u237", "u24e", "u264",
        "u27b"}},
      {"transpect_testdokument_CS4.idml",
       {"1", "2", "3", "4", "5", "6", "7", "8", "9", "10", "11", "12", "13", "14", "15"},
       8,
       17,
       {}},
  };
  for (const SampleFacts& facts : table) {
    SCOPED_TRACE(facts.file);
    const Package package = ReadSample(facts.file);
    const Composition c = Compose(package);
    EXPECT_EQ(PageNames(package), facts.pages);
    EXPECT_EQ(package.spreads.size(), facts.spreads);
    size_t on_page = 0;
    for (size_t f = 0; f < package.frames.size(); ++f) {
      if (package.frames[f].page >= 0) ++on_page;
    }
    EXPECT_EQ(on_page, facts.page_frames);
    if (!facts.stories.empty()) {
      std::vector<std::string> selfs;
      for (const Story& story : package.stories) selfs.push_back(story.self);
      EXPECT_EQ(selfs, facts.stories);
    }
  }
}

TEST(IdmlReaderSamples, Ch1nqThreadsStylesAndColors) {
  const Package package = ReadSample("ch1nq_textframe_ID16.idml");
  const Composition c = Compose(package);
  EXPECT_EQ(Thread(package, c, "ue3"), (std::vector<std::string>{"uf5", "uf9"}));
  EXPECT_TRUE(c.estimated[0]);  // two frames, no break: the split is estimated
  EXPECT_EQ(StoryText(package, "u143"), U"Test of differnt textbox properties");
  for (const char* frame : {"uf5", "uf9", "u105", "u124", "u155"}) {
    EXPECT_EQ(PageNameOfFrame(package, c, frame), "1") << frame;
  }
  const Story& story = *package.FindStory("u129");
  // A character style that gives a colour.
  const uint32_t blue = Find(package, "u129", U"I am bold and blue");
  EXPECT_EQ(package.CharacterStyleName(story.runs[story.RunAt(blue)].character_style),
            "Character Style 2");
  EXPECT_EQ(package.SwatchName(package.EffectiveFillColor(story, blue)), "C=100 M=0 Y=0 K=0");
  // A local colour.
  const uint32_t green = Find(package, "u129", U"I am green");
  EXPECT_EQ(package.SwatchName(package.EffectiveFillColor(story, green)), "C=75 M=5 Y=100 K=0");
  // A local colour over a character style without one.
  const uint32_t magenta = Find(package, "u129", U"Im bold and magenta");
  EXPECT_EQ(package.SwatchName(package.EffectiveFillColor(story, magenta)), "C=0 M=100 Y=0 K=0");
  // Plain text has no colour of its own.
  EXPECT_EQ(package.EffectiveFillColor(story, 0), "");
}

TEST(IdmlReaderSamples, FourPagesXmlElementsAndSpreads) {
  const Package package = ReadSample("simpleidml_4-pages_CS5.5.idml");
  EXPECT_EQ(StoryText(package, "ue4"), U"My Main Article Title\rAnd a subtitle");
  EXPECT_EQ(package.spreads[0].pages.size(), 1u);
  EXPECT_EQ(package.spreads[1].pages.size(), 2u);
  EXPECT_EQ(package.spreads[2].pages.size(), 1u);
  // The story that only holds references to other stories' elements has no text.
  EXPECT_EQ(StoryText(package, "u102"), U"");
  EXPECT_TRUE(StoryText(package, "u11b").starts_with(U"Lorem ipsum dolor sit amet"));
}

TEST(IdmlReaderSamples, InterviewUnnamedColorsAndThread) {
  const Package package = ReadSample("simpleidml_interview_ID15.1.idml");
  const Composition c = Compose(package);
  EXPECT_EQ(Thread(package, c, "u19a"), (std::vector<std::string>{"u1ac", "u1c2"}));
  EXPECT_EQ(PageNameOfFrame(package, c, "u1c2"), "2");
  // FillColor="Color/u104" points at a Color with Name="": an unnamed colour.
  ASSERT_TRUE(package.swatches.count("Color/u104"));
  EXPECT_EQ(package.SwatchName("Color/u104"), "");
  EXPECT_EQ(package.SwatchName("Color/bordeaux"), "bordeaux");
  const Story& story = *package.FindStory("u19a");
  const uint32_t at = Find(package, "u19a", U"Henri Dupond");
  EXPECT_EQ(package.CharacterStyleName(story.runs[story.RunAt(at)].character_style), "bold");
  const uint32_t question = Find(package, "u19a", U"Quels types de biens");
  EXPECT_EQ(package.EffectiveFillColor(story, question), "Color/bordeaux");
  // U+2028 in Content is InDesign's forced line break.
  EXPECT_EQ(StoryText(package, "u184"), U"Cahier\nspécial");
}

TEST(IdmlReaderSamples, TranspectThreadMastersAnchorsAndSpecialCharacters) {
  const Package package = ReadSample("transpect_testdokument_CS4.idml");
  const Composition c = Compose(package);
  const std::vector<std::string> thread = Thread(package, c, "u396");
  EXPECT_EQ(thread,
            (std::vector<std::string>{"u393", "u489", "u598", "u188", "u20a", "u4a2", "u6ac",
                                      "u7c1", "u240", "u898", "u94d", "uc92", "ucba"}));
  for (size_t i = 0; i < thread.size(); ++i) {
    EXPECT_EQ(PageNameOfFrame(package, c, thread[i]), std::to_string(i + 3)) << thread[i];
  }
  // Master items are not page frames; a frame beside the pages lies on no page.
  for (const char* master : {"ueb", "u102", "u135", "u13c"}) {
    EXPECT_EQ(PageNameOfFrame(package, c, master), "") << master;
  }
  EXPECT_EQ(PageNameOfFrame(package, c, "uadf"), "");
  EXPECT_EQ(PageNameOfFrame(package, c, "u168"), "1");
  // <?ACE 18?> is the automatic page number U+0018.
  EXPECT_EQ(StoryText(package, "u123"), U"\x18");
  const std::u32string& text = StoryText(package, "u396");
  EXPECT_NE(text.find(U"1. \x07"
                      U"erster Listenpunkt"),
            std::u32string::npos);
  // A footnote reference, then the footnote's own text (from its number on), then the text
  // after the reference.
  EXPECT_NE(text.find(U"angelegt\x04\x04\tüber Schrift > Fußnote einfügen ist die Verarbeitung"),
            std::u32string::npos);
  EXPECT_NE(text.find(U"\x16"), std::u32string::npos);  // a table
  // An anchored frame lies on the page of its anchor character.
  const Frame& anchored = *package.FindFrame("ucf7");
  EXPECT_EQ(anchored.anchored_in, "u396");
  EXPECT_EQ(text[anchored.anchor_position], kAnchorChar);
  EXPECT_EQ(PageNameOfFrame(package, c, "ucf7"), "3");
}

// --- Page of a frame ---

TEST(IdmlReaderPages, FrameLiesOnThePageHoldingItsCentre) {
  struct Case {
    const char* what;
    MiniFrame frame;
    int page;  // -1: no page
  };
  const Case table[] = {
      {"inside page 1", {"f", "s", -40, -90, 40, 90}, 0},
      {"inside page 2", {"f", "s", 60, -90, 140, 90}, 1},
      {"mostly on page 2, centre on page 1", {"f", "s", 0, 0, 30, 10}, 0},
      {"straddling, centre on page 2", {"f", "s", 10, 0, 120, 10}, 1},
      {"beside the pages", {"f", "s", 200, 0, 260, 10}, -1},
      {"above the pages", {"f", "s", -40, -300, 40, -200}, -1},
  };
  for (const Case& c : table) {
    SCOPED_TRACE(c.what);
    auto mini = MakeMiniPackage(2, {c.frame}, {{"s", SimpleStory("s", "<Content>x</Content>")}});
    auto package = ReadIdmlPackage(mini.Zip());
    ASSERT_TRUE(package.ok()) << package.message();
    EXPECT_EQ(package->frames[0].page, c.page);
  }
}

TEST(IdmlReaderPages, MasterItemsAreNotPageFrames) {
  auto mini = MakeMiniPackage(1, {{"f", "s", -40, -90, 40, 90}},
                              {{"s", SimpleStory("s", "<Content>x</Content>")},
                               {"m", SimpleStory("m", "<Content><?ACE 18?></Content>")}},
                              testing::FrameXml({"mf", "m", -40, -90, 40, 90}));
  auto package = ReadIdmlPackage(mini.Zip());
  ASSERT_TRUE(package.ok()) << package.message();
  const Frame* master = package->FindFrame("mf");
  ASSERT_NE(master, nullptr);
  EXPECT_TRUE(master->master);
  EXPECT_EQ(master->page, -1);
  EXPECT_EQ(package->FindFrame("f")->page, 0);
  EXPECT_EQ(StoryText(*package, "m"), U"\x18");
}

// --- Story text ---

TEST(IdmlReaderStories, TextOfStoryElements) {
  struct Case {
    const char* what;
    std::string body;
    std::u32string text;
  };
  const Case table[] = {
      {"content and paragraph returns", "<Content>ab</Content><Br/><Content>c</Content>", U"ab\rc"},
      {"processing instructions are characters", "<Content>a<?ACE 7?>b<?ACE 18?></Content>",
       U"a\x07"
       U"b\x18"},
      {"wrappers at any depth",
       "<XMLElement Self=\"x1\"><XMLElement Self=\"x2\"><HyperlinkTextSource Self=\"h\">"
       "<Content>deep</Content></HyperlinkTextSource></XMLElement></XMLElement>",
       U"deep"},
      {"properties hold no text",
       "<Properties><Leading type=\"unit\">13</Leading></Properties><Content>t</Content>", U"t"},
      {"escaped characters", "<Content>a &amp; b &lt;c&gt;</Content>", U"a & b <c>"},
      {"whitespace-only content is text", "<Content>  </Content>", U"  "},
      {"forced line break", "<Content>a\u2028b</Content>", U"a\nb"},
      // References to control characters are removed, as control characters are elsewhere:
      // a NUL would cut the text short there.
      {"control characters by reference", "<Content>和&#0;紙&#x1B;と&#X7f;楮&#9;&#65;</Content>",
       U"和紙と楮\tA"},
      {"a table: its character, then each cell's text and a tab",
       "<Content>x</Content><Table "
       "Self=\"t\"><Row/><Cell><ParagraphStyleRange><CharacterStyleRange>"
       "<Content>one</Content></CharacterStyleRange></ParagraphStyleRange></Cell><Cell><Content>"
       "two</Content></Cell></Table><Content>y</Content>",
       U"x\x16one\ttwo\ty"},
  };
  for (const Case& c : table) {
    SCOPED_TRACE(c.what);
    auto mini =
        MakeMiniPackage(1, {{"f", "s", -40, -90, 40, 90}}, {{"s", SimpleStory("s", c.body)}});
    auto package = ReadIdmlPackage(mini.Zip());
    ASSERT_TRUE(package.ok()) << package.message();
    EXPECT_EQ(StoryText(*package, "s"), c.text);
  }
}

TEST(IdmlReaderStories, BreakCharactersAndRunFormats) {
  const std::string body =
      "<ParagraphStyleRange AppliedParagraphStyle=\"ParagraphStyle/$ID/NormalParagraphStyle\">"
      "<CharacterStyleRange AppliedCharacterStyle=\"CharacterStyle/$ID/[No character style]\">"
      "<Content>one</Content></CharacterStyleRange>"
      "<CharacterStyleRange AppliedCharacterStyle=\"CharacterStyle/$ID/[No character style]\" "
      "ParagraphBreakType=\"NextFrame\"><Br/></CharacterStyleRange>"
      "<CharacterStyleRange AppliedCharacterStyle=\"CharacterStyle/RazozaMark2\">"
      "<Content>two</Content></CharacterStyleRange>"
      "<CharacterStyleRange AppliedCharacterStyle=\"CharacterStyle/$ID/[No character style]\" "
      "FillColor=\"Color/u9\"><Content>three</Content></CharacterStyleRange>"
      "</ParagraphStyleRange>";
  auto mini =
      MakeMiniPackage(1, {{"f", "s", -40, -90, 40, 90}}, {{"s", testing::StoryXml("s", body)}});
  auto package = ReadIdmlPackage(mini.Zip());
  ASSERT_TRUE(package.ok()) << package.message();
  const Story& story = *package->FindStory("s");
  EXPECT_EQ(story.text, U"one\rtwothree");
  ASSERT_EQ(story.breaks.size(), 1u);
  EXPECT_EQ(story.breaks[0].position, 4u);
  EXPECT_EQ(story.breaks[0].kind, BreakKind::kFrame);
  EXPECT_EQ(package->SwatchName(package->EffectiveFillColor(story, 4)), "RazozaMark1");
  EXPECT_EQ(package->EffectiveFillColor(story, 7), "Color/u9");
  EXPECT_EQ(package->SwatchName("Color/u9"), "");  // unnamed
}

// --- Bad packages ---

TEST(IdmlReaderErrors, BadPackagesFailNamingThePart) {
  using testing::MiniPackage;
  const auto good = [] {
    return MakeMiniPackage(1, {{"f", "s", -40, -90, 40, 90}},
                           {{"s", SimpleStory("s", "<Content>x</Content>")}});
  };
  struct Case {
    const char* what;
    std::string bytes;
    ErrorCode code;
    const char* message_part;
  };
  std::vector<Case> table;
  table.push_back({"not a zip", "this is plain text, not a package", ErrorCode::kFormatError,
                   "は IDML パッケージ（zip 形式）ではありません（zip の目録が見つかりません）"});
  table.push_back({"empty file", "", ErrorCode::kFormatError,
                   "は IDML パッケージ（zip 形式）ではありません（ファイルが空です）"});
  {
    MiniPackage p = good();
    p.Remove("designmap.xml");
    table.push_back(
        {"no designmap", p.Zip(), ErrorCode::kFormatError, "の部品 designmap.xml がありません"});
  }
  {
    MiniPackage p = good();
    p.Remove("Stories/Story_s.xml");
    table.push_back({"missing story part", p.Zip(), ErrorCode::kFormatError,
                     "の部品 Stories/Story_s.xml がありません"});
  }
  {
    MiniPackage p = good();
    p.Set("Stories/Story_s.xml", "<idPkg:Story><Story Self=\"s\"><Content>x</Story>");
    table.push_back({"malformed story", p.Zip(), ErrorCode::kFormatError,
                     "の部品 Stories/Story_s.xml は正しい XML ではありません（"});
  }
  {
    MiniPackage p = good();
    p.Set("Resources/Styles.xml",
          "<?xml version=\"1.0\"?><!DOCTYPE lol [<!ENTITY a \"aaaa\">]><idPkg:Styles/>");
    table.push_back({"DTD", p.Zip(), ErrorCode::kFormatError,
                     "の部品 Resources/Styles.xml に文書型宣言（DOCTYPE）があるため"});
  }
  table.push_back({"frame refers to a missing story",
                   MakeMiniPackage(1, {{"f", "gone", -40, -90, 40, 90}},
                                   {{"s", SimpleStory("s", "<Content>x</Content>")}})
                       .Zip(),
                   ErrorCode::kFormatError,
                   "のテキストフレーム f が、パッケージにないストーリー gone を指しています"});
  table.push_back({"thread to a missing frame",
                   MakeMiniPackage(1, {{"f", "s", -40, -90, 40, 90, "n", "nowhere"}},
                                   {{"s", SimpleStory("s", "<Content>x</Content>")}})
                       .Zip(),
                   ErrorCode::kFormatError, "パッケージにないフレーム nowhere に連結されています"});
  {
    MiniPackage p = good();
    p.Set("mimetype", "application/zip");
    table.push_back({"wrong mimetype", p.Zip(), ErrorCode::kFormatError,
                     "の部品 mimetype の種類が IDML ではありません（「application/zip」）"});
  }
  {
    MiniPackage p = good();
    p.Set("designmap.xml", "<NotADocument/>");
    table.push_back({"designmap without Document", p.Zip(), ErrorCode::kFormatError,
                     "の部品 designmap.xml に Document 要素がありません"});
  }
  {
    std::string deep;
    for (int i = 0; i < 500; ++i) deep += "<XMLElement>";
    for (int i = 0; i < 500; ++i) deep += "</XMLElement>";
    MiniPackage p = good();
    p.Set("Stories/Story_s.xml", SimpleStory("s", deep));
    table.push_back({"nesting too deep", p.Zip(), ErrorCode::kFormatError,
                     "の部品 Stories/Story_s.xml の文字の入れ子が深すぎます"});
  }
  // Entries whose names could leave the folder they are unpacked into.
  for (const char* name : {"../../x", "/etc/x", "C:\\x", "Stories/..\\..\\x", "a/../../x", "D:x"}) {
    MiniPackage p = good();
    p.Set(name, "x");
    table.push_back({"unsafe entry name", p.Zip(), ErrorCode::kFormatError,
                     "IDML パッケージ「/books/ch1.idml」の項目名「"});
  }
  for (const Case& c : table) {
    SCOPED_TRACE(c.what);
    auto package = ReadIdmlPackage(c.bytes, "/books/ch1.idml");
    ASSERT_FALSE(package.ok());
    EXPECT_NE(package.message().find("/books/ch1.idml"), std::string::npos) << package.message();
    EXPECT_EQ(package.code(), c.code) << package.message();
    EXPECT_NE(package.message().find(c.message_part), std::string::npos) << package.message();
  }
}

TEST(IdmlReaderErrors, SafeEntryNames) {
  struct Case {
    const char* name;
    bool safe;
  };
  const Case cases[] = {
      {"designmap.xml", true},
      {"Stories/Story_u1.xml", true},
      {"META-INF/", true},
      {"a..b/c", true},
      {"", false},
      {"/etc/passwd", false},
      {"../x", false},
      {"a/../../x", false},
      {"a/..", false},
      {"C:\\Windows\\x", false},
      {"C:x", false},
      {"a\\b", false},
      {"\\\\server\\x", false},
      {"a\nb", false},
  };
  for (const Case& c : cases) EXPECT_EQ(IsSafeEntryName(c.name), c.safe) << c.name;
}

TEST(IdmlReaderErrors, StoryPastTheSizeLimitIsRefusedNamingIt) {
  const std::string text(kMaxStoryXmlBytes + 16, 'a');
  auto mini = MakeMiniPackage(1, {{"f", "s", -40, -90, 40, 90}},
                              {{"s", SimpleStory("s", "<Content>" + text + "</Content>")}});
  ZipLimits limits;
  limits.max_entry_bytes = 1ull << 30;
  auto package = ReadIdmlPackage(mini.Zip(), "/books/big.idml", limits);
  ASSERT_FALSE(package.ok());
  EXPECT_EQ(package.code(), ErrorCode::kOverflow);
  EXPECT_NE(package.message().find("/books/big.idml"), std::string::npos) << package.message();
  EXPECT_NE(package.message().find("Stories/Story_s.xml"), std::string::npos) << package.message();
  EXPECT_NE(package.message().find("上限は 64 MiB"), std::string::npos) << package.message();
}

TEST(IdmlReaderErrors, EntryInflatingPastTheLimitFails) {
  auto mini = MakeMiniPackage(
      1, {{"f", "s", -40, -90, 40, 90}},
      {{"s", SimpleStory("s", "<Content>" + std::string(200000, 'a') + "</Content>")}});
  const std::string bytes = mini.Zip();
  EXPECT_LT(bytes.size(), 20000u);  // it compresses well: a small file that inflates large
  ZipLimits limits;
  limits.max_entry_bytes = 100000;
  auto package = ReadIdmlPackage(bytes, limits);
  ASSERT_FALSE(package.ok());
  EXPECT_EQ(package.code(), ErrorCode::kOverflow);
  EXPECT_NE(package.message().find("Stories/Story_s.xml"), std::string::npos) << package.message();
  limits.max_entry_bytes = 1 << 20;
  limits.max_total_bytes = 150000;
  package = ReadIdmlPackage(bytes, limits);
  ASSERT_FALSE(package.ok());
  EXPECT_EQ(package.code(), ErrorCode::kOverflow);
  // With the default limits the same package reads.
  EXPECT_TRUE(ReadIdmlPackage(bytes).ok());
}

}  // namespace
}  // namespace mirune::idml

namespace mirune::idml {
namespace {

// A package in the older form (pages without geometry, placed by binding and page size),
// with a group transform, a character style inside a style group, a vertical story, local
// paragraph colour, break characters and an anchored frame.
TEST(IdmlReaderOlderLayout, PagesGroupsStylesAndBreaks) {
  auto bytes = ReadFileBytes(std::string(MIRUNE_SOURCE_DIR) + "/tests/data/idml/older_layout.idml");
  ASSERT_TRUE(bytes.ok());
  auto package = ReadIdmlPackage(std::move(bytes).value());
  ASSERT_TRUE(package.ok()) << package.message();
  const Composition c = Compose(*package);
  EXPECT_EQ(PageNames(*package), (std::vector<std::string>{"ii", "iii"}));
  // Facing pages 200 × 300 with the binding after the first page.
  EXPECT_EQ(package->pages[0].bounds.left, -200);
  EXPECT_EQ(package->pages[1].bounds.right, 200);
  EXPECT_EQ(package->pages[1].bounds.top, -150);
  EXPECT_EQ(PageNameOfFrame(*package, c, "f1"), "ii");
  EXPECT_EQ(PageNameOfFrame(*package, c, "f2"), "iii");  // placed through its group's transform
  EXPECT_EQ(PageNameOfFrame(*package, c, "f3"), "");     // on the pasteboard
  EXPECT_EQ(PageNameOfFrame(*package, c, "mf"), "");     // a master item
  // Anchored in text: on the page of the frame that holds its anchor character.
  const Frame& anchored = *package->FindFrame("in");
  std::string anchor_page = "(overset)";
  for (const char* holder : {"f1", "f2", "f3"}) {
    const size_t h = static_cast<size_t>(package->FrameIndex(holder));
    if (c.begin[h] <= anchored.anchor_position && anchored.anchor_position < c.end[h]) {
      anchor_page = PageNameOfFrame(*package, c, holder);
    }
  }
  EXPECT_EQ(PageNameOfFrame(*package, c, "in"), anchor_page);

  const Story& story = *package->FindStory("s");
  EXPECT_TRUE(story.vertical);
  EXPECT_EQ(story.text.substr(0, 7), U"索引語\x07です\r");
  // The style inside a group keeps its plain name; the paragraph's own colour wins over it.
  EXPECT_EQ(package->CharacterStyleName(story.runs[story.RunAt(0)].character_style), "RazozaMark2");
  EXPECT_EQ(package->EffectiveFillColor(story, 0), "Color/u9");
  ASSERT_EQ(story.breaks.size(), 2u);
  EXPECT_EQ(story.breaks[0].kind, BreakKind::kColumn);
  EXPECT_EQ(story.breaks[1].kind, BreakKind::kPage);
  EXPECT_EQ(Thread(*package, c, "s"), (std::vector<std::string>{"f1", "f2", "f3"}));
}

}  // namespace
}  // namespace mirune::idml
