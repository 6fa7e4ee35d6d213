// The engine beyond the host contract: model edits, builder checks, find/change rules,
// loaders, call counting.

#include <algorithm>
#include <functional>
#include <random>
#include <string>
#include <vector>

#include <gmock/gmock.h>
#include <gtest/gtest.h>

#include "automation/indesign_engine/builder.h"
#include "automation/indesign_engine/engine_application.h"
#include "automation/indesign_engine/find_change.h"
#include "automation/indesign_engine/text_edit.h"
#include "base/utf.h"

namespace mirune::layout {
namespace {

using ::testing::ElementsAre;
using ::testing::HasSubstr;

// A story "abcdef" with runs a|bc|def (character styles 0, 1, 2) threaded over three frames
// holding "ab", "cd" and "e"; "f" is overset.
Document ThreeFrames() {
  DocumentBuilder b("t.indd");
  const int32_t s0 = b.AddCharacterStyle("S0");
  const int32_t s1 = b.AddCharacterStyle("S1");
  const int32_t s2 = b.AddCharacterStyle("S2");
  const int32_t story = b.AddStory();
  b.Append(story, "a", {.character_style = s0});
  b.Append(story, "bc", {.character_style = s1});
  b.Append(story, "def", {.character_style = s2});
  const int32_t page = b.AddPage("1");
  b.AddFrame(page, story, 2);
  b.AddFrame(page, story, 2);
  b.AddFrame(page, story, 1);
  return b.Build().value();
}

// Styles per character as digits, e.g. "011222".
std::string StyleDigits(const Story& story) {
  std::string out;
  for (size_t i = 0; i < story.text.size(); ++i) {
    out += static_cast<char>('0' + FormatAt(story, static_cast<int32_t>(i)).character_style);
  }
  return out;
}

std::vector<std::pair<int32_t, int32_t>> FrameRanges(const Document& document) {
  std::vector<std::pair<int32_t, int32_t>> ranges;
  for (const TextFrame& frame : document.frames)
    ranges.emplace_back(frame.text_start, frame.text_end);
  return ranges;
}

struct EditCase {
  const char* name;
  int32_t start, end;
  const char* text;
  int32_t style;  // format of the new text
  const char* expected_text;
  const char* expected_styles;
  std::vector<std::pair<int32_t, int32_t>> expected_frames;
};

class ReplaceTextTest : public ::testing::TestWithParam<EditCase> {};

TEST_P(ReplaceTextTest, KeepsRunsAndFramesInStep) {
  const EditCase& c = GetParam();
  Document document = ThreeFrames();
  ReplaceText(document, 0, c.start, c.end, Utf8ToUtf32(c.text), {.character_style = c.style});
  EXPECT_EQ(Utf32ToUtf8(document.stories[0].text), c.expected_text);
  EXPECT_EQ(StyleDigits(document.stories[0]), c.expected_styles);
  EXPECT_EQ(FrameRanges(document), c.expected_frames);
  EXPECT_EQ(CheckDocument(document), "");
  EXPECT_TRUE(document.modified);
  EXPECT_TRUE(document.stories[0].changed);
}

INSTANTIATE_TEST_SUITE_P(
    Cases, ReplaceTextTest,
    ::testing::Values(
        // The page marker case: one character replaced by itself plus more, same format.
        EditCase{"last_of_first_frame",
                 1,
                 2,
                 "bXY",
                 1,
                 "abXYcdef",
                 "01111222",
                 {{0, 4}, {4, 6}, {6, 7}}},
        EditCase{
            "first_of_second_frame", 2, 3, "cZ", 1, "abcZdef", "0111222", {{0, 2}, {2, 5}, {5, 6}}},
        EditCase{
            "overset_character", 5, 6, "fQ", 2, "abcdefQ", "0112222", {{0, 2}, {2, 4}, {4, 5}}},
        EditCase{"new_format_in_a_run", 4, 5, "E", 0, "abcdEf", "011202", {{0, 2}, {2, 4}, {4, 5}}},
        EditCase{"deletion_across_frames", 1, 3, "", 0, "adef", "0222", {{0, 1}, {1, 2}, {2, 3}}},
        EditCase{
            "replacement_across_frames", 1, 4, "XY", 1, "aXYef", "01122", {{0, 3}, {3, 3}, {3, 4}}},
        EditCase{"append_at_end", 6, 6, "g", 2, "abcdefg", "0112222", {{0, 2}, {2, 4}, {4, 5}}},
        EditCase{"whole_text", 0, 6, "", 0, "", "", {{0, 0}, {0, 0}, {0, 0}}}),
    [](const ::testing::TestParamInfo<EditCase>& info) { return info.param.name; });

TEST(ReplaceTextRandomTest, AgreesWithCharacterByCharacterFormats) {
  std::mt19937 rng(11);
  for (int round = 0; round < 300; ++round) {
    DocumentBuilder b("t.indd");
    for (int i = 0; i < 4; ++i) b.AddCharacterStyle(std::string("S").append(std::to_string(i)));
    const int32_t story = b.AddStory();
    std::string styles;  // expected style digit per character
    for (int i = static_cast<int>(rng() % 6); i > 0; --i) {
      const int32_t style = static_cast<int32_t>(rng() % 3);
      const size_t length = 1 + rng() % 3;
      b.Append(story, std::string(length, 'x'), {.character_style = style});
      styles.append(length, static_cast<char>('0' + style));
    }
    const int32_t size = static_cast<int32_t>(styles.size());
    b.AddFrame(b.AddPage("1"), story, size / 2);
    b.AddFrame(0, story);
    Document document = b.Build().value();
    const int32_t start = size == 0 ? 0 : static_cast<int32_t>(rng() % (size + 1));
    const int32_t end = start + static_cast<int32_t>(rng() % (size - start + 1));
    const size_t length = rng() % 3;
    const int32_t style = static_cast<int32_t>(rng() % 4);
    ReplaceText(document, 0, start, end, std::u32string(length, U'y'), {.character_style = style});
    styles.replace(start, end - start, std::string(length, static_cast<char>('0' + style)));
    ASSERT_EQ(StyleDigits(document.stories[0]), styles) << "round " << round;
    ASSERT_EQ(CheckDocument(document), "") << "round " << round;
  }
}

TEST(ChangeFormatTest, SplitsAndMergesRuns) {
  Document document = ThreeFrames();
  ChangeFormat(document, 0, 2, 4, [](TextFormat& f) { f.character_style = 0; });
  EXPECT_EQ(StyleDigits(document.stories[0]), "010022");
  ChangeFormat(document, 0, 0, 6, [](TextFormat& f) { f.character_style = 2; });
  EXPECT_EQ(document.stories[0].runs.size(), 1u);
  EXPECT_EQ(CheckDocument(document), "");
}

TEST(ChangeFormatTest, ManyRangesInOnePass) {
  Document document = ThreeFrames();  // styles 011222
  ChangeFormatRanges(document, 0, {{0, 2}, {3, 3}, {3, 5}},
                     [](TextFormat& f) { f.character_style = 2; });
  EXPECT_EQ(StyleDigits(document.stories[0]), "221222");
  EXPECT_EQ(document.stories[0].runs.size(), 3u);  // equal neighbours merged
  EXPECT_EQ(CheckDocument(document), "");
  EXPECT_TRUE(document.stories[0].changed);

  Document untouched = ThreeFrames();
  ChangeFormatRanges(untouched, 0, {}, [](TextFormat& f) { f.character_style = 0; });
  EXPECT_FALSE(untouched.stories[0].changed);
}

TEST(ChangeFormatTest, ManyRangesAgreeWithOneRangeAtATime) {
  std::mt19937 rng(7);
  for (int round = 0; round < 200; ++round) {
    DocumentBuilder b("t.indd");
    for (int i = 0; i < 4; ++i) b.AddCharacterStyle(std::string("S").append(std::to_string(i)));
    const int32_t story = b.AddStory();
    const int pieces = 1 + static_cast<int>(rng() % 8);
    for (int i = 0; i < pieces; ++i) {
      b.Append(story, std::string(1 + rng() % 4, 'x'),
               {.character_style = static_cast<int32_t>(rng() % 3)});
    }
    Document one = b.Build().value();
    Document many = one;
    const int32_t size = static_cast<int32_t>(one.stories[0].text.size());
    std::vector<TextRange> ranges;
    for (int32_t at = static_cast<int32_t>(rng() % 3); at < size;) {
      const int32_t end = std::min(size, at + static_cast<int32_t>(rng() % 4));
      ranges.push_back({at, end});
      at = end + static_cast<int32_t>(rng() % 3);
    }
    auto mark = [](TextFormat& f) {
      f.fill_color = kNone;
      f.character_style = 3;
    };
    for (const TextRange& range : ranges) ChangeFormat(one, 0, range.start, range.end, mark);
    ChangeFormatRanges(many, 0, ranges, mark);
    ASSERT_EQ(StyleDigits(many.stories[0]), StyleDigits(one.stories[0])) << "round " << round;
    ASSERT_EQ(CheckDocument(many), "") << "round " << round;
  }
}

struct BuildErrorCase {
  const char* name;
  std::vector<int32_t> frame_lengths;  // frames on page 0 for story 0 ("abc")
  int32_t page;
};

class BuilderErrorTest : public ::testing::TestWithParam<BuildErrorCase> {};

TEST_P(BuilderErrorTest, RefusesAnImpossibleComposition) {
  DocumentBuilder b("t.indd");
  const int32_t story = b.AddStory();
  b.Append(story, "abc");
  b.AddPage("1");
  for (int32_t length : GetParam().frame_lengths) b.AddFrame(GetParam().page, story, length);
  auto built = b.Build();
  EXPECT_EQ(built.code(), ErrorCode::kInvalidArgument);
}

INSTANTIATE_TEST_SUITE_P(Cases, BuilderErrorTest,
                         ::testing::Values(BuildErrorCase{"more_than_the_story", {2, 2}, 0},
                                           BuildErrorCase{"rest_before_last", {kRestOfStory, 1}, 0},
                                           BuildErrorCase{"negative_length", {-5}, 0},
                                           BuildErrorCase{"bad_page", {kRestOfStory}, 3}),
                         [](const ::testing::TestParamInfo<BuildErrorCase>& info) {
                           return info.param.name;
                         });

TEST(BuilderTest, OversetTextBelongsToNoFrame) {
  DocumentBuilder b("C:/x/chapter 1.indd");
  const int32_t story = b.AddStory();
  b.Append(story, "abcdef");
  b.AddFrame(b.AddPage("1"), story, 4);
  const Document document = b.Build().value();
  EXPECT_EQ(document.name, "chapter 1.indd");
  EXPECT_EQ(document.frames[0].text_end, 4);
  EXPECT_EQ(document.stories[0].text.size(), 6u);
  EXPECT_EQ(MakeBook("D:\\books\\b.indb", {}).name, "b.indb");
}

struct FindCase {
  const char* name;
  const char* text;
  const char* find;
  bool case_sensitive;
  bool whole_word;
  int32_t expected_count;
};

class FindTest : public ::testing::TestWithParam<FindCase> {};

TEST_P(FindTest, CountsAndMarksOccurrences) {
  const FindCase& c = GetParam();
  DocumentBuilder b("t.indd");
  const int32_t story = b.AddStory();
  b.Append(story, c.text);
  Document document = b.Build().value();
  FindChangeRequest request;
  request.find_what = DecodeFindText(c.find);
  request.case_sensitive = c.case_sensitive;
  request.whole_word = c.whole_word;
  request.fill_color = "RazozaMark1";
  EXPECT_EQ(FindChangeInStory(document, story, request), c.expected_count);
  EXPECT_EQ(Utf32ToUtf8(document.stories[0].text), c.text);  // the text is kept
  int32_t marked = 0;
  for (size_t i = 0; i < document.stories[0].text.size(); ++i) {
    marked += FormatAt(document.stories[0], static_cast<int32_t>(i)).fill_color != kNone;
  }
  EXPECT_EQ(marked, c.expected_count * static_cast<int32_t>(request.find_what.size()));
}

INSTANTIATE_TEST_SUITE_P(
    Cases, FindTest,
    ::testing::Values(FindCase{"japanese", "索引と索引語", "索引", false, false, 2},
                      FindCase{"case_insensitive_by_default", "Index index INDEX", "index", false,
                               false, 3},
                      FindCase{"full_width_case", "ＡＢ ａｂ", "ａｂ", false, false, 2},
                      FindCase{"case_sensitive", "Index index INDEX", "index", true, false, 1},
                      FindCase{"no_overlap", "aaaa", "aaa", false, false, 1},
                      FindCase{"whole_word", "cat catalog cat.", "cat", false, true, 2},
                      FindCase{"whole_word_japanese", "索引語、索引。", "索引", false, true, 1},
                      FindCase{"paragraph_metacharacter", "a\rb a b", "a^pb", false, false, 1},
                      FindCase{"nothing", "abc", "x", false, false, 0},
                      FindCase{"empty_finds_nothing", "abc", "", false, false, 0}),
    [](const ::testing::TestParamInfo<FindCase>& info) { return info.param.name; });

TEST(FindChangeTest, AddsAMissingSwatchOrStyleAndReplacesWhenChangeToIsGiven) {
  DocumentBuilder b("t.indd");
  const int32_t story = b.AddStory();
  b.Append(story, "AとA");
  b.AddFrame(b.AddPage("1"), story, 2);
  Document document = b.Build().value();
  FindChangeRequest request;
  request.find_what = U"A";
  request.change_to = U"BB";
  request.applied_character_style = "RazozaMark5";
  request.fill_color = "RazozaMark6";
  EXPECT_EQ(FindChangeInStory(document, story, request), 2);
  EXPECT_EQ(Utf32ToUtf8(document.stories[0].text), "BBとBB");
  const int32_t style = FindCharacterStyle(document, "RazozaMark5");
  const int32_t swatch = FindSwatch(document, "RazozaMark6");
  ASSERT_NE(style, kNone);
  ASSERT_NE(swatch, kNone);
  EXPECT_EQ(document.swatches[swatch].value, DefaultMarkColor());
  EXPECT_EQ(FormatAt(document.stories[0], 4).character_style, style);
  EXPECT_EQ(FormatAt(document.stories[0], 2).character_style, kNone);
  EXPECT_EQ(document.frames[0].text_end, 3);  // "BBと"
  EXPECT_EQ(CheckDocument(document), "");
}

struct DamageCase {
  const char* name;
  std::function<void(Document&)> damage;
  const char* expected;
};

class CheckDocumentTest : public ::testing::TestWithParam<DamageCase> {};

TEST_P(CheckDocumentTest, NamesWhatIsWrong) {
  Document document = ThreeFrames();
  ASSERT_EQ(CheckDocument(document), "");
  GetParam().damage(document);
  EXPECT_THAT(CheckDocument(document), HasSubstr(GetParam().expected));
}

INSTANTIATE_TEST_SUITE_P(
    Cases, CheckDocumentTest,
    ::testing::Values(
        DamageCase{"runs_not_from_start", [](Document& d) { d.stories[0].runs[0].start = 1; },
                   "runs do not start at 0"},
        DamageCase{"unsorted_runs", [](Document& d) { d.stories[0].runs[2].start = 1; },
                   "empty or unsorted run"},
        DamageCase{"missing_style",
                   [](Document& d) { d.stories[0].runs[0].format.character_style = 9; },
                   "bad character style"},
        DamageCase{"gap_in_thread", [](Document& d) { d.frames[1].text_start = 3; },
                   "not consecutive"},
        DamageCase{"frame_twice_in_thread", [](Document& d) { d.stories[0].frames.push_back(0); },
                   "not consecutive"},
        DamageCase{"frame_off_its_page", [](Document& d) { d.pages[0].frames.pop_back(); },
                   "not once on its page"},
        DamageCase{"style_colour", [](Document& d) { d.character_styles[0].fill_color = 4; },
                   "bad fill colour"}),
    [](const ::testing::TestParamInfo<DamageCase>& info) { return info.param.name; });

TEST(EffectiveFillColorTest, LocalColorWinsOverTheStyleAndItsBase) {
  DocumentBuilder b("t.indd");
  const int32_t red = b.AddSwatch("Red", {});
  const int32_t green = b.AddSwatch("Green", {});
  const int32_t base = b.AddCharacterStyle("Base", red);
  const int32_t derived = b.AddCharacterStyle("Derived");
  Document document = b.Build().value();
  document.character_styles[derived].based_on = base;
  EXPECT_EQ(EffectiveFillColor(document, {.character_style = derived}), red);
  EXPECT_EQ(EffectiveFillColor(document, {.character_style = derived, .fill_color = green}), green);
  EXPECT_EQ(EffectiveFillColor(document, {}), kNone);
  document.character_styles[base].based_on = derived;  // a cycle in a damaged file
  document.character_styles[base].fill_color = kNone;
  EXPECT_EQ(EffectiveFillColor(document, {.character_style = derived}), kNone);
}

}  // namespace
}  // namespace mirune::layout

namespace mirune::indesign_engine {
namespace {

using ::testing::HasSubstr;

layout::Document OnePage(const std::string& path, const std::string& text) {
  layout::DocumentBuilder b(path);
  const int32_t story = b.AddStory();
  b.Append(story, text);
  b.AddFrame(b.AddPage("1"), story);
  return b.Build().value();
}

TEST(EngineApplicationTest, LoadersOpenWhatIsNotRegistered) {
  EngineApplication app;
  int loads = 0;
  app.AddLoader({"test", [](const std::string& path) { return path.ends_with(".idml"); },
                 [&loads](const std::string& path) -> Result<LoadedItem> {
                   ++loads;
                   if (path.find("bad") != std::string::npos) {
                     return Error{ErrorCode::kFormatError, "designmap.xml is missing"};
                   }
                   LoadedItem item;
                   item.document = OnePage(path, "loaded");
                   if (path.find("broken") != std::string::npos) {
                     item.document->frames[0].text_end = 99;  // past the story's end
                   }
                   return item;
                 }});
  auto opened = app.Open("/x/good.idml");
  ASSERT_TRUE(opened.ok()) << opened.status().ToString();
  EXPECT_EQ(opened->document->Name().value(), "good.idml");
  // Opening it again returns the open document; the loader is not asked again.
  ASSERT_TRUE(app.Open("/x/good.idml").ok());
  EXPECT_EQ(loads, 1);
  EXPECT_EQ(app.DocumentCount().value(), 1);

  auto bad = app.Open("/x/bad.idml");
  EXPECT_EQ(bad.code(), ErrorCode::kFormatError);
  EXPECT_THAT(bad.message(), HasSubstr("/x/bad.idml"));
  EXPECT_THAT(bad.message(), HasSubstr("designmap.xml"));
  auto broken = app.Open("/x/broken.idml");
  EXPECT_EQ(broken.code(), ErrorCode::kFormatError);
  EXPECT_THAT(broken.message(), HasSubstr("frame ranges"));
  auto missing = app.Open("/x/none.indd");
  EXPECT_EQ(missing.code(), ErrorCode::kNotFound);
  EXPECT_THAT(missing.message(), HasSubstr("/x/none.indd"));
  EXPECT_EQ(app.DocumentCount().value(), 1);
}

TEST(EngineApplicationTest, TheLastOpenedDocumentIsInFront) {
  EngineApplication app;
  app.RegisterDocument(OnePage("a.indd", "a"));
  app.RegisterDocument(OnePage("b.indd", "b"));
  ASSERT_TRUE(app.Open("a.indd").ok());
  ASSERT_TRUE(app.Open("b.indd").ok());
  EXPECT_EQ(app.DocumentItem(1).value()->Name().value(), "b.indd");
  EXPECT_EQ(app.DocumentItem(2).value()->Name().value(), "a.indd");
  EXPECT_EQ(app.ActiveDocument().value()->Name().value(), "b.indd");
  ASSERT_TRUE(app.Open("a.indd").ok());  // brought to the front again
  EXPECT_EQ(app.ActiveDocument().value()->Name().value(), "a.indd");
}

TEST(EngineApplicationTest, ChangeTextCoversEveryOpenDocumentAndNeedsAFindText) {
  EngineApplication app;
  app.RegisterDocument(OnePage("a.indd", "索引と索引"));
  app.RegisterDocument(OnePage("b.indd", "索引"));
  auto a = std::move(app.Open("a.indd").value().document);
  auto b = std::move(app.Open("b.indd").value().document);
  EXPECT_EQ(app.ChangeText().code(), ErrorCode::kInvalidArgument);
  ASSERT_TRUE(app.SetFindWhat("索引").ok());
  EXPECT_EQ(app.ChangeText().value(), 3);
  EXPECT_TRUE(a->Modified().value() == false);  // no change formatting: nothing changed
  ASSERT_TRUE(app.SetChangeFormatting({"", "RazozaMark1"}).ok());
  EXPECT_EQ(app.ChangeText().value(), 3);
  EXPECT_TRUE(a->Modified().value());
  EXPECT_TRUE(b->Modified().value());
  EXPECT_EQ(app.GetChangeFormatting().value().fill_color, "RazozaMark1");
  EXPECT_FALSE(app.GetFindOptions().value().case_sensitive);
  EXPECT_FALSE(app.GetFindOptions().value().whole_word);
}

TEST(EngineApplicationTest, EachGenerationHasItsOwnChangeCall) {
  struct Case {
    const char* version;
    bool change_text;
    bool search;
  };
  for (const Case& c :
       {Case{"2.0", false, true}, Case{"3.0.1", false, true}, Case{"4.0", false, true},
        Case{"5.0", true, false}, Case{"12.0", true, false}}) {
    EngineApplication app;
    app.SetVersion(c.version);
    app.RegisterDocument(OnePage("a.indd", "索引"));
    auto document = std::move(app.Open("a.indd").value().document);
    ASSERT_TRUE(app.SetFindWhat("索引").ok());
    EXPECT_EQ(app.ChangeText().ok(), c.change_text) << c.version;
    EXPECT_EQ(document->StoryItem(1).value()->Search("索引", "").ok(), c.search) << c.version;
  }
}

TEST(EngineApplicationTest, TagFormMustBeKnownAndCloseMustNotSave) {
  EngineApplication app;
  EXPECT_EQ(app.SetTaggedTextTagForm(7).code(), ErrorCode::kInvalidArgument);
  EXPECT_EQ(app.TaggedTextTagForm().value(), indesign::kTagFormAbbreviated);
  app.RegisterDocument(OnePage("a.indd", "a"));
  auto document = std::move(app.Open("a.indd").value().document);
  EXPECT_EQ(document->Close(indesign::FourCharCode("yes ")).code(), ErrorCode::kUnsupported);
  EXPECT_EQ(app.DocumentCount().value(), 1);
}

TEST(EngineApplicationTest, HandlesOutliveTheApplicationSafely) {
  std::unique_ptr<indesign::Document> document;
  {
    EngineApplication app;
    app.RegisterDocument(OnePage("a.indd", "a"));
    document = std::move(app.Open("a.indd").value().document);
  }
  EXPECT_EQ(document->PageCount().code(), ErrorCode::kNotFound);
}

}  // namespace
}  // namespace mirune::indesign_engine
