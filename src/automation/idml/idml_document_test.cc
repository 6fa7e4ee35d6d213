#include "automation/idml/idml_document.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <filesystem>
#include <map>
#include <string>

#include "automation/idml/idml_reader.h"
#include "automation/idml/idml_writer.h"
#include "automation/idml/testing/mini_package.h"
#include "automation/idml/zip_archive.h"
#include "automation/indesign_engine/builder.h"
#include "automation/indesign_engine/engine_application.h"
#include "automation/indesign_engine/text_edit.h"
#include "base/file.h"
#include "base/utf.h"

namespace mirune::idml {
namespace {

using layout::kNone;

std::string Sample(const std::string& name) {
  return std::string(MIRUNE_SHARED_DIR) + "/samples/idml/" + name;
}

// Copies a sample into a scratch folder as a writable file: the samples are read-only, and
// on Windows a read-only copy could not be removed with the scratch folder.
void CopySample(const std::string& from, const std::filesystem::path& to) {
  std::filesystem::copy_file(from, to);
  std::filesystem::permissions(to, std::filesystem::perms::owner_write,
                               std::filesystem::perm_options::add);
}

// A new CMYK swatch. Built step by step: GCC 12 at -O3 warns of an uninitialised vector
// (-Wmaybe-uninitialized, falsely) for the same swatch as one braced temporary.
layout::Swatch CmykSwatch(const std::string& name, std::vector<double> components) {
  layout::Swatch swatch;
  swatch.name = name;
  swatch.value.space = layout::ColorSpace::kCmyk;
  swatch.value.components = std::move(components);
  return swatch;
}

// A fresh scratch folder per test.
std::string ScratchFolder(const std::string& name) {
  const std::filesystem::path path =
      std::filesystem::path(MIRUNE_BINARY_DIR) / "idml_test_scratch" / name;
  std::filesystem::remove_all(path);
  std::filesystem::create_directories(path);
  return path.string();
}

std::map<std::string, std::string> Parts(const std::string& path) {
  auto bytes = ReadFileBytes(path);
  EXPECT_TRUE(bytes.ok());
  // Every entry as it is in the zip (a read package keeps only the parts other than stories).
  std::map<std::string, std::string> parts;
  auto zip = ZipReader::Open(std::move(bytes).value());
  EXPECT_TRUE(zip.ok()) << zip.message();
  if (!zip.ok()) return parts;
  for (const ZipEntry& entry : (*zip)->entries()) {
    auto read = (*zip)->Read(entry.name);
    EXPECT_TRUE(read.ok()) << read.message();
    if (read.ok()) parts[entry.name] = std::move(read).value();
  }
  return parts;
}

int32_t StoryBySource(const layout::Document& document, const std::string& self) {
  for (size_t s = 0; s < document.stories.size(); ++s) {
    if (document.stories[s].source_id == self) return static_cast<int32_t>(s);
  }
  return kNone;
}

std::string FillName(const layout::Document& document, const layout::TextFormat& format) {
  const int32_t fill = layout::EffectiveFillColor(document, format);
  return fill == kNone ? "" : document.swatches[static_cast<size_t>(fill)].name;
}

std::string StyleName(const layout::Document& document, const layout::TextFormat& format) {
  return format.character_style == kNone
             ? ""
             : document.character_styles[static_cast<size_t>(format.character_style)].name;
}

TEST(IdmlDocument, SamplesMapToSoundLayoutDocuments) {
  for (const char* name : {"ch1nq_textframe_ID16.idml", "simpleidml_4-pages_CS5.5.idml",
                           "simpleidml_interview_ID15.1.idml", "transpect_testdokument_CS4.idml"}) {
    SCOPED_TRACE(name);
    auto document = LoadIdmlDocument(Sample(name));
    ASSERT_TRUE(document.ok()) << document.message();
    EXPECT_EQ(layout::CheckDocument(*document), "");
    EXPECT_EQ(document->name, name);
  }
}

TEST(IdmlDocument, Ch1nqAsLayout) {
  auto document = LoadIdmlDocument(Sample("ch1nq_textframe_ID16.idml"));
  ASSERT_TRUE(document.ok());
  ASSERT_EQ(document->pages.size(), 1u);
  EXPECT_EQ(document->pages[0].name, "1");
  EXPECT_EQ(document->pages[0].frames.size(), 5u);
  const int32_t threaded = StoryBySource(*document, "ue3");
  ASSERT_NE(threaded, kNone);
  const layout::Story& story = document->stories[static_cast<size_t>(threaded)];
  EXPECT_TRUE(story.composition_estimated);
  ASSERT_EQ(story.frames.size(), 2u);
  // The package's own text says where it runs out of room; the estimate oversets there too.
  const int32_t overset =
      static_cast<int32_t>(story.text.find(U"THIS PART OF THE TEXT SHOULD BE OVERFLOWN"));
  const int32_t end = document->frames[static_cast<size_t>(story.frames[1])].text_end;
  EXPECT_LT(end, static_cast<int32_t>(story.text.size()));
  EXPECT_LE(end, overset);
  const int32_t styled = StoryBySource(*document, "u129");
  const layout::Story& s = document->stories[static_cast<size_t>(styled)];
  const int32_t blue = static_cast<int32_t>(s.text.find(U"I am bold and blue"));
  EXPECT_EQ(StyleName(*document, layout::FormatAt(s, blue)), "Character Style 2");
  EXPECT_EQ(FillName(*document, layout::FormatAt(s, blue)), "C=100 M=0 Y=0 K=0");
  EXPECT_FALSE(document->stories[static_cast<size_t>(styled)].composition_estimated);
}

TEST(IdmlDocument, EngineOpensFilesAndFoldersAsBooks) {
  const std::string folder = ScratchFolder("book_folder");
  // Members in file-name order, whatever order they were written in.
  for (const char* name : {"b.idml", "a.idml", "c.IDML"}) {
    CopySample(Sample("ch1nq_textframe_ID16.idml"), std::filesystem::path(folder) / name);
  }
  std::filesystem::create_directories(std::filesystem::path(folder) / "ignored.idml.d");
  IdmlFiles files;
  indesign_engine::EngineApplication engine;
  engine.AddLoader(files.MakeLoader());

  auto opened = engine.Open(folder);
  ASSERT_TRUE(opened.ok()) << opened.message();
  ASSERT_TRUE(opened->book);
  EXPECT_EQ(opened->book->Name().value(), "book_folder");
  ASSERT_EQ(opened->book->ContentCount().value(), 3);
  EXPECT_EQ(opened->book->ContentFullName(1).value(), JoinPath(folder, "a.idml"));
  EXPECT_EQ(opened->book->ContentFullName(2).value(), JoinPath(folder, "b.idml"));
  EXPECT_EQ(opened->book->ContentFullName(3).value(), JoinPath(folder, "c.IDML"));

  auto member = engine.Open(JoinPath(folder, "a.idml"));
  ASSERT_TRUE(member.ok()) << member.message();
  ASSERT_TRUE(member->document);
  EXPECT_EQ(member->document->PageNames().value(), std::vector<std::string>{"1"});
  EXPECT_EQ(member->document->StoryCount().value(), 4);

  auto book = IdmlBookFromFiles({JoinPath(folder, "c.IDML"), JoinPath(folder, "a.idml")});
  ASSERT_TRUE(book.ok());
  EXPECT_EQ(book->members,
            (std::vector<std::string>{JoinPath(folder, "c.IDML"), JoinPath(folder, "a.idml")}));
  EXPECT_EQ(book->name, "book_folder");
  EXPECT_FALSE(IdmlBookFromFiles({JoinPath(folder, "notes.txt")}).ok());
  EXPECT_FALSE(IdmlBookFromFolder(ScratchFolder("empty")).ok());

  auto missing = engine.Open(JoinPath(folder, "missing.idml"));
  EXPECT_FALSE(missing.ok());
  // A damaged package: the message names the file and the part; the file is left alone.
  const std::string damaged = JoinPath(folder, "damaged.idml");
  auto mini = testing::MakeMiniPackage(1, {{"f", "s", -40, -90, 40, 90}},
                                       {{"s", testing::SimpleStory("s", "<Content>x</Content>")}});
  mini.Set("Stories/Story_s.xml", "<Story Self=\"s\"><Content>x</Story>");
  ASSERT_TRUE(WriteFileAtomic(damaged, mini.Zip()).ok());
  const std::string before = ReadFileBytes(damaged).value();
  auto bad = engine.Open(damaged);
  ASSERT_FALSE(bad.ok());
  EXPECT_EQ(bad.code(), ErrorCode::kFormatError);
  EXPECT_NE(bad.message().find("damaged.idml"), std::string::npos) << bad.message();
  EXPECT_NE(bad.message().find("Stories/Story_s.xml"), std::string::npos) << bad.message();
  EXPECT_EQ(ReadFileBytes(damaged).value(), before);
}

TEST(IdmlDocument, SaveRewritesOnlyTheChangedStoryAndAddedResources) {
  const std::string folder = ScratchFolder("save");
  const std::string source = JoinPath(folder, "interview.idml");
  CopySample(Sample("simpleidml_interview_ID15.1.idml"), source);
  const std::string original_bytes = ReadFileBytes(source).value();
  IdmlFiles files;
  auto loaded = files.Load(source);
  ASSERT_TRUE(loaded.ok()) << loaded.message();
  layout::Document document = std::move(loaded).value();

  // Marking: a new swatch on "Henri Dupond" (inside a character style range nested in XML
  // elements), a new colour-only character style on part of a longer range.
  document.swatches.push_back(CmykSwatch("RazozaMark1", {0, 100, 0, 0}));
  const int32_t swatch = static_cast<int32_t>(document.swatches.size()) - 1;
  document.character_styles.push_back({"RazozaMark2", swatch, kNone, ""});
  const int32_t style = static_cast<int32_t>(document.character_styles.size()) - 1;
  const int32_t story = StoryBySource(document, "u19a");
  const std::u32string text = document.stories[static_cast<size_t>(story)].text;
  const int32_t henri = static_cast<int32_t>(text.find(U"Henri Dupond"));
  const int32_t accusamus = static_cast<int32_t>(text.find(U"accusamus"));
  layout::ChangeFormat(document, story, henri, henri + 12,
                       [&](layout::TextFormat& f) { f.fill_color = swatch; });
  layout::ChangeFormat(document, story, accusamus, accusamus + 9,
                       [&](layout::TextFormat& f) { f.character_style = style; });

  const std::string target = JoinPath(folder, "interview-marked.idml");
  ASSERT_TRUE(files.Save(document, target).ok());
  EXPECT_EQ(ReadFileBytes(source).value(), original_bytes);  // the opened file is untouched

  const auto before = Parts(source);
  const auto after = Parts(target);
  ASSERT_EQ(before.size(), after.size());
  for (const auto& [name, bytes] : before) {
    const bool may_differ = name == "Stories/Story_u19a.xml" || name == "Resources/Graphic.xml" ||
                            name == "Resources/Styles.xml";
    if (may_differ) {
      EXPECT_NE(after.at(name), bytes) << name;
    } else {
      EXPECT_EQ(after.at(name), bytes) << name;
    }
  }

  // It opens again with the same text and the marks in place.
  auto reopened = LoadIdmlDocument(target);
  ASSERT_TRUE(reopened.ok()) << reopened.message();
  EXPECT_EQ(layout::CheckDocument(*reopened), "");
  const int32_t again = StoryBySource(*reopened, "u19a");
  const layout::Story& s = reopened->stories[static_cast<size_t>(again)];
  EXPECT_EQ(s.text, text);
  for (int32_t i = 0; i < static_cast<int32_t>(text.size()); ++i) {
    const layout::TextFormat& f = layout::FormatAt(s, i);
    const bool in_henri = i >= henri && i < henri + 12;
    const bool in_accusamus = i >= accusamus && i < accusamus + 9;
    ASSERT_EQ(FillName(*reopened, f) == "RazozaMark1", in_henri || in_accusamus) << i;
    ASSERT_EQ(StyleName(*reopened, f) == "RazozaMark2", in_accusamus) << i;
  }
  // Untouched characters keep their formats: "Henri Dupond" stays in the style "bold".
  EXPECT_EQ(StyleName(*reopened, layout::FormatAt(s, henri)), "bold");
  // Every other story is as it was.
  const layout::Document& first = document;
  for (size_t i = 0; i < reopened->stories.size(); ++i) {
    EXPECT_EQ(reopened->stories[i].text, first.stories[i].text);
  }
}

// Every real package: mark every third character of every story with a new swatch and every
// seventh with a new style, save, open again: the text and every character's marks survive.
TEST(IdmlDocument, DenseMarksRoundTripThroughEverySample) {
  for (const char* name : {"ch1nq_textframe_ID16.idml", "simpleidml_4-pages_CS5.5.idml",
                           "simpleidml_interview_ID15.1.idml", "transpect_testdokument_CS4.idml"}) {
    SCOPED_TRACE(name);
    const std::string folder = ScratchFolder("dense");
    IdmlFiles files;
    auto loaded = files.Load(Sample(name));
    ASSERT_TRUE(loaded.ok()) << loaded.message();
    layout::Document document = std::move(loaded).value();
    document.swatches.push_back(CmykSwatch("RazozaMark4", {0, 50, 0, 0}));
    const int32_t swatch = static_cast<int32_t>(document.swatches.size()) - 1;
    document.character_styles.push_back({"RazozaMark5", kNone, kNone, ""});
    const int32_t style = static_cast<int32_t>(document.character_styles.size()) - 1;
    for (size_t s = 0; s < document.stories.size(); ++s) {
      const int32_t size = static_cast<int32_t>(document.stories[s].text.size());
      for (int32_t i = 0; i < size; ++i) {
        if (i % 3 == 0) {
          layout::ChangeFormat(document, static_cast<int32_t>(s), i, i + 1,
                               [&](layout::TextFormat& f) { f.fill_color = swatch; });
        }
        if (i % 7 == 0) {
          layout::ChangeFormat(document, static_cast<int32_t>(s), i, i + 1,
                               [&](layout::TextFormat& f) { f.character_style = style; });
        }
      }
    }
    const std::string target = JoinPath(folder, name);
    {
      const Status saved = files.Save(document, target);
      ASSERT_TRUE(saved.ok()) << saved.ToString();
    }
    auto reopened = LoadIdmlDocument(target);
    ASSERT_TRUE(reopened.ok()) << reopened.message();
    ASSERT_EQ(reopened->stories.size(), document.stories.size());
    for (size_t s = 0; s < document.stories.size(); ++s) {
      const layout::Story& before = document.stories[s];
      const layout::Story& after = reopened->stories[s];
      ASSERT_EQ(after.text, before.text) << s;
      for (int32_t i = 0; i < static_cast<int32_t>(before.text.size()); ++i) {
        // The tab that ends a table cell's text stands for the cell's end, not for a
        // character of the package: it has no format of its own to keep.
        if (before.text[static_cast<size_t>(i)] == U'\t') continue;
        const layout::TextFormat& b = layout::FormatAt(before, i);
        const layout::TextFormat& a = layout::FormatAt(after, i);
        ASSERT_EQ(FillName(*reopened, a), FillName(document, b)) << "story " << s << " at " << i;
        ASSERT_EQ(StyleName(*reopened, a), StyleName(document, b)) << "story " << s << " at " << i;
      }
    }
  }
}

TEST(IdmlDocument, SaveByAnotherRecordReadsTheOriginalAgainOrRefuses) {
  const std::string folder = ScratchFolder("other_record");
  const std::string source = JoinPath(folder, "four.idml");
  CopySample(Sample("simpleidml_4-pages_CS5.5.idml"), source);
  auto loaded = LoadIdmlDocument(source);  // no record keeps its package
  ASSERT_TRUE(loaded.ok());
  layout::Document document = std::move(loaded).value();
  layout::ChangeFormat(document, 0, 0, 2, [](layout::TextFormat& f) { f.fill_color = 0; });
  IdmlFiles other;
  const std::string target = JoinPath(folder, "saved.idml");
  ASSERT_TRUE(other.Save(document, target).ok());
  // Every part of the original is there, not a new package of what the model holds.
  const auto before = Parts(source);
  const auto after = Parts(target);
  ASSERT_EQ(before.size(), after.size());
  EXPECT_EQ(after.at("Resources/Fonts.xml"), before.at("Resources/Fonts.xml"));

  std::filesystem::remove(source);
  const Status refused = other.Save(document, JoinPath(folder, "refused.idml"));
  EXPECT_EQ(refused.code(), ErrorCode::kUnsupported);
  EXPECT_FALSE(FileExists(JoinPath(folder, "refused.idml")));
}

TEST(IdmlDocument, SaveOfAnUnchangedDocumentKeepsEveryPart) {
  const std::string folder = ScratchFolder("unchanged");
  IdmlFiles files;
  auto loaded = files.Load(Sample("transpect_testdokument_CS4.idml"));
  ASSERT_TRUE(loaded.ok());
  layout::Document document = std::move(loaded).value();
  // Marked changed, but the same formats written again: nothing differs.
  layout::ChangeFormat(document, 0, 0, 0, [](layout::TextFormat&) {});
  const std::string target = JoinPath(folder, "copy.idml");
  ASSERT_TRUE(files.Save(document, target).ok());
  EXPECT_EQ(Parts(target), Parts(Sample("transpect_testdokument_CS4.idml")));
}

// A kept package holds neither the inflated story parts nor the story text (the document
// has the text; saving inflates the parts again), and still saves every part.
TEST(IdmlDocument, KeptPackageHoldsNoStoryPartsNorText) {
  const std::string path = Sample("transpect_testdokument_CS4.idml");
  IdmlFiles files;
  auto loaded = files.Load(path);
  ASSERT_TRUE(loaded.ok()) << loaded.message();
  std::shared_ptr<const Package> package = files.PackageOf(path);
  ASSERT_NE(package, nullptr);
  ASSERT_FALSE(package->stories.empty());
  for (const Story& story : package->stories) {
    EXPECT_EQ(package->parts.count(story.part), 0u) << story.part;
    EXPECT_TRUE(story.text.empty()) << story.part;
  }
  EXPECT_TRUE(std::any_of(loaded->stories.begin(), loaded->stories.end(),
                          [](const layout::Story& story) { return !story.text.empty(); }));
  EXPECT_FALSE(package->archive.empty());
}

TEST(IdmlDocument, SaveWritesTextEditsBack) {
  const std::string folder = ScratchFolder("text_edit");
  IdmlFiles files;
  auto loaded = files.Load(Sample("simpleidml_4-pages_CS5.5.idml"));
  ASSERT_TRUE(loaded.ok());
  layout::Document document = std::move(loaded).value();
  const int32_t story = StoryBySource(document, "ue4");  // text inside XML elements
  const std::u32string text = document.stories[static_cast<size_t>(story)].text;
  const int32_t at = static_cast<int32_t>(text.find(U"Title"));
  const layout::TextFormat format = layout::FormatAt(document.stories[story], at);
  layout::ReplaceText(document, story, at, at + 5, U"見出し", format);
  const std::string target = JoinPath(folder, "edited.idml");
  {
    const Status st = files.Save(document, target);
    ASSERT_TRUE(st.ok()) << st.ToString();
  }
  auto reopened = LoadIdmlDocument(target);
  ASSERT_TRUE(reopened.ok()) << reopened.message();
  EXPECT_EQ(reopened->stories[static_cast<size_t>(StoryBySource(*reopened, "ue4"))].text,
            U"My Main Article 見出し\rAnd a subtitle");

  // Text right after a paragraph return gets content of its own; separate edits of one story
  // are written back each where it is.
  const int32_t subtitle = static_cast<int32_t>(
      document.stories[static_cast<size_t>(story)].text.find(U"And a subtitle"));
  layout::ReplaceText(document, story, subtitle, subtitle, U"◆♭♪0001♪♭◆", format);
  const std::string marked = JoinPath(folder, "marked.idml");
  {
    const Status st = files.Save(document, marked);
    ASSERT_TRUE(st.ok()) << st.ToString();
  }
  reopened = LoadIdmlDocument(marked);
  ASSERT_TRUE(reopened.ok()) << reopened.message();
  EXPECT_EQ(reopened->stories[static_cast<size_t>(StoryBySource(*reopened, "ue4"))].text,
            U"My Main Article 見出し\r◆♭♪0001♪♭◆And a subtitle");

  // A paragraph return added in code is refused rather than written wrongly.
  layout::ReplaceText(document, story, 0, 0, U"x\r", format);
  const Status refused = files.Save(document, JoinPath(folder, "refused.idml"));
  EXPECT_EQ(refused.code(), ErrorCode::kUnsupported);
  EXPECT_FALSE(FileExists(JoinPath(folder, "refused.idml")));
}

TEST(IdmlDocument, SeveralTextEditsInOneStoryAreWrittenBack) {
  struct Edit {
    const char32_t* find;
    const char32_t* replace;
  };
  const Edit edits[] = {
      {U"Stanislas", U"S."},                     // shortened
      {U"historique\r", U"historique "},         // a paragraph return removed
      {U"Henri Dupond", U"Henri Dupond (CEO)"},  // inside XML elements
      {U"accusamus", U""},                       // deleted
      {U"veniam", U"veniam ◆♭♪0002♪♭◆"},         // grown
  };
  const std::string folder = ScratchFolder("several_edits");
  IdmlFiles files;
  layout::Document document = files.Load(Sample("simpleidml_interview_ID15.1.idml")).value();
  const int32_t story = StoryBySource(document, "u19a");
  for (const Edit& edit : edits) {
    const std::u32string& text = document.stories[static_cast<size_t>(story)].text;
    const size_t at = text.find(edit.find);
    ASSERT_NE(at, std::u32string::npos);
    const layout::TextFormat format =
        layout::FormatAt(document.stories[story], static_cast<int32_t>(at));
    layout::ReplaceText(document, story, static_cast<int32_t>(at),
                        static_cast<int32_t>(at + std::u32string_view(edit.find).size()),
                        edit.replace, format);
  }
  const std::string target = JoinPath(folder, "edited.idml");
  {
    const Status saved = files.Save(document, target);
    ASSERT_TRUE(saved.ok()) << saved.ToString();
  }
  auto reopened = LoadIdmlDocument(target);
  ASSERT_TRUE(reopened.ok()) << reopened.message();
  EXPECT_EQ(reopened->stories[static_cast<size_t>(StoryBySource(*reopened, "u19a"))].text,
            document.stories[static_cast<size_t>(story)].text);
}

TEST(IdmlDocument, SaveMarksInFootnotesTableCellsAndAroundThem) {
  const std::string folder = ScratchFolder("footnote");
  const std::string body =
      "<ParagraphStyleRange AppliedParagraphStyle=\"ParagraphStyle/$ID/NormalParagraphStyle\">"
      "<CharacterStyleRange AppliedCharacterStyle=\"CharacterStyle/$ID/[No character style]\">"
      "<Content>before term</Content><Footnote><ParagraphStyleRange><CharacterStyleRange "
      "AppliedCharacterStyle=\"CharacterStyle/$ID/[No character style]\"><Content><?ACE 4?> "
      "note term here</Content></CharacterStyleRange></ParagraphStyleRange></Footnote>"
      "<Content> after term</Content><Table Self=\"t\"><Cell><ParagraphStyleRange>"
      "<CharacterStyleRange AppliedCharacterStyle=\"CharacterStyle/$ID/[No character style]\">"
      "<Content>cell term</Content></CharacterStyleRange></ParagraphStyleRange></Cell></Table>"
      "</CharacterStyleRange></ParagraphStyleRange>";
  auto mini = testing::MakeMiniPackage(1, {{"f", "s", -40, -90, 40, 90}},
                                       {{"s", testing::StoryXml("s", body)}});
  const std::string source = JoinPath(folder, "footnote.idml");
  ASSERT_TRUE(WriteFileAtomic(source, mini.Zip()).ok());
  IdmlFiles files;
  auto loaded = files.Load(source);
  ASSERT_TRUE(loaded.ok()) << loaded.message();
  layout::Document document = std::move(loaded).value();
  const std::u32string text = document.stories[0].text;
  ASSERT_EQ(text,
            U"before term\x04\x04 note term here after term\x16"
            U"cell term\t");
  const int32_t mark = layout::FindSwatch(document, "RazozaMark1");
  ASSERT_NE(mark, kNone);
  std::vector<int32_t> starts;
  for (size_t at = text.find(U"term"); at != std::u32string::npos;
       at = text.find(U"term", at + 1)) {
    starts.push_back(static_cast<int32_t>(at));
    layout::ChangeFormat(document, 0, static_cast<int32_t>(at), static_cast<int32_t>(at) + 4,
                         [&](layout::TextFormat& f) { f.fill_color = mark; });
  }
  ASSERT_EQ(starts.size(), 4u);
  const std::string target = JoinPath(folder, "marked.idml");
  {
    const Status saved = files.Save(document, target);
    ASSERT_TRUE(saved.ok()) << saved.ToString();
  }
  auto reopened = LoadIdmlDocument(target);
  ASSERT_TRUE(reopened.ok()) << reopened.message();
  const layout::Story& s = reopened->stories[0];
  ASSERT_EQ(s.text, text);
  for (int32_t i = 0; i < static_cast<int32_t>(text.size()); ++i) {
    bool marked = false;
    for (int32_t start : starts) marked = marked || (i >= start && i < start + 4);
    ASSERT_EQ(FillName(*reopened, layout::FormatAt(s, i)) == "RazozaMark1", marked) << i;
  }
  // The footnote is still one footnote, inside a character range.
  const std::string story_xml = Parts(target).at("Stories/Story_s.xml");
  EXPECT_EQ(story_xml.find("<Footnote>"), story_xml.rfind("<Footnote>"));
  EXPECT_NE(story_xml.find("<CharacterStyleRange AppliedCharacterStyle=\"CharacterStyle/$ID/[No "
                           "character style]\"><Footnote>"),
            std::string::npos)
      << story_xml;
}

TEST(IdmlDocument, NewPackageOfABuiltDocumentOpensAgain) {
  const std::string folder = ScratchFolder("new_package");
  layout::DocumentBuilder b(JoinPath(folder, "built.idml"));
  const int32_t mark = b.AddSwatch("RazozaMark1", {layout::ColorSpace::kCmyk, {0, 100, 0, 0}});
  const int32_t unnamed = b.AddSwatch("", {layout::ColorSpace::kRgb, {10, 20, 30}});
  const int32_t style = b.AddCharacterStyle("RazozaMark2", mark);
  const int32_t heading = b.AddParagraphStyle("見出し");
  const int32_t story = b.AddStory();
  b.Append(story, "第一章\r", {.paragraph_style = heading});
  b.Append(story, "索引の");
  b.Append(story, "用語", {.fill_color = mark});
  b.Append(story, "と");
  b.Append(story, "書式", {.character_style = style});
  b.Append(story, "、色");
  b.Append(story, "なし", {.fill_color = unnamed});
  b.Append(story, "。A & B <c>\n改行\x18\r");
  b.Append(story, "改ページ\r", {.break_type = layout::BreakType::kFrame});
  b.Append(story, "次の枠");
  const int32_t p1 = b.AddPage("5");
  const int32_t p2 = b.AddPage("6");
  b.AddFrame(p1, story, 36);
  b.AddFrame(p2, story);
  const int32_t loose = b.AddStory();
  b.Append(loose, "枠外");
  b.AddFrame(kNone, loose);
  auto built = b.Build();
  ASSERT_TRUE(built.ok()) << built.message();

  IdmlFiles files;
  const std::string path = JoinPath(folder, "built.idml");
  ASSERT_TRUE(files.Save(*built, path).ok());
  // The mimetype entry comes first and is stored.
  const std::string bytes = ReadFileBytes(path).value();
  ASSERT_GT(bytes.size(), 80u);
  EXPECT_EQ(bytes.substr(0, 4), std::string("PK\x03\x04", 4));
  EXPECT_EQ(bytes.substr(30, 8), "mimetype");
  EXPECT_EQ(bytes[8], 0);  // stored
  EXPECT_EQ(bytes.substr(38, 43), "application/vnd.adobe.indesign-idml-package");

  auto reopened = LoadIdmlDocument(path);
  ASSERT_TRUE(reopened.ok()) << reopened.message();
  EXPECT_EQ(layout::CheckDocument(*reopened), "");
  ASSERT_EQ(reopened->pages.size(), 2u);
  EXPECT_EQ(reopened->pages[0].name, "5");
  EXPECT_EQ(reopened->pages[1].name, "6");
  ASSERT_EQ(reopened->stories.size(), 2u);
  const layout::Story& s = reopened->stories[0];
  EXPECT_EQ(s.text, built->stories[0].text);
  EXPECT_FALSE(s.composition_estimated);  // the frame break decides
  ASSERT_EQ(s.frames.size(), 2u);
  EXPECT_EQ(reopened->frames[static_cast<size_t>(s.frames[0])].text_end, 36);
  EXPECT_EQ(reopened->frames[static_cast<size_t>(s.frames[0])].page, 0);
  EXPECT_EQ(reopened->frames[static_cast<size_t>(s.frames[1])].page, 1);
  for (int32_t i = 0; i < static_cast<int32_t>(s.text.size()); ++i) {
    const layout::TextFormat& was = layout::FormatAt(built->stories[0], i);
    const layout::TextFormat& now = layout::FormatAt(s, i);
    ASSERT_EQ(FillName(*reopened, now), FillName(*built, was)) << i;
    ASSERT_EQ(StyleName(*reopened, now), StyleName(*built, was)) << i;
    if (s.text[static_cast<size_t>(i)] == U'\r') {
      ASSERT_EQ(now.break_type, was.break_type) << i;
    }
  }
  const int32_t loose_frame = reopened->stories[1].frames[0];
  EXPECT_EQ(reopened->frames[static_cast<size_t>(loose_frame)].page, kNone);
}

}  // namespace
}  // namespace mirune::idml
