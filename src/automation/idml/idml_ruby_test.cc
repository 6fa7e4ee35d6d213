// Ruby in IDML: the attributes of a CharacterStyleRange or of its character style reach the
// layout model, the tagged-text export writes them as InDesign does, and a new package keeps
// them.

#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "automation/idml/idml_compose.h"
#include "automation/idml/idml_document.h"
#include "automation/idml/idml_reader.h"
#include "automation/idml/idml_writer.h"
#include "automation/idml/testing/mini_package.h"
#include "automation/indesign.h"
#include "automation/indesign_engine/builder.h"
#include "automation/indesign_engine/tagged_text_export.h"
#include "base/file.h"

namespace mirune::idml {
namespace {

// A one-story package whose character styles are `styles` (CharacterStyle elements).
layout::Document LoadStory(const std::string& body, const std::string& styles = "") {
  testing::MiniPackage mini = testing::MakeMiniPackage(1, {{"f1", "s", -40, -90, 40, 90}},
                                                       {{"s", testing::StoryXml("s", body)}});
  std::string xml;
  for (const auto& [name, content] : mini.parts) {
    if (name == "Resources/Styles.xml") xml = content;
  }
  const std::string group_end = "</RootCharacterStyleGroup>";
  xml.insert(xml.find(group_end), styles);
  mini.Set("Resources/Styles.xml", xml);
  auto package = ReadIdmlPackage(mini.Zip());
  EXPECT_TRUE(package.ok()) << package.message();
  return ToLayoutDocument(*package, Compose(*package), "/ruby.idml");
}

std::string Range(const std::string& text, const std::string& attributes = "",
                  const std::string& style = "$ID/[No character style]") {
  return "<CharacterStyleRange AppliedCharacterStyle=\"CharacterStyle/" + style + "\"" +
         attributes + "><Content>" + text + "</Content></CharacterStyleRange>";
}

std::string Paragraph(const std::string& ranges) {
  return "<ParagraphStyleRange AppliedParagraphStyle=\"ParagraphStyle/$ID/NormalParagraphStyle\">" +
         ranges + "</ParagraphStyleRange>";
}

// The story's text in the export, without the header lines and the paragraph style's tag.
std::string ExportedText(const layout::Document& document, int32_t form) {
  auto text = layout::TaggedTextOf(document, 0, indesign::kCharacterSetUnicode, form);
  EXPECT_TRUE(text.ok()) << text.message();
  const std::string body = text->substr(text->rfind("\r\n") + 2);
  return body.substr(body.find('>') + 1);
}

TEST(IdmlRuby, RangeAndStyleAttributesReachTheExport) {
  const std::string styles =
      "<CharacterStyle Self=\"CharacterStyle/Ruby\" Name=\"Ruby\" RubyFlag=\"true\" "
      "RubyString=\"かどた\" RubyType=\"GroupRuby\"/>"
      "<CharacterStyle Self=\"CharacterStyle/RubyChild\" Name=\"RubyChild\">"
      "<Properties><BasedOn type=\"object\">CharacterStyle/Ruby</BasedOn></Properties>"
      "</CharacterStyle>";
  struct Case {
    std::string ranges;
    const char* abbreviated;
    const char* verbose;
  } cases[] = {
      {Range("角田", " RubyFlag=\"true\" RubyString=\"かどた\" RubyType=\"GroupRuby\"") +
           Range("は"),
       "<cr:1><crstr:かどた><cmr:0>角田<cr:><crstr:><cmr:>は",
       "<cRuby:1><cRubyString:かどた><cMojiRuby:0>角田<cRuby:><cRubyString:><cMojiRuby:>は"},
      {Range("角田", " RubyFlag=\"true\" RubyString=\"かど た\" RubyType=\"PerCharacterRuby\""),
       "<cr:1><crstr:かど た><cmr:1>角田<cr:><crstr:><cmr:>", nullptr},
      // The string's characters that tag text escapes.
      {Range("x", " RubyFlag=\"true\" RubyString=\"a:b&lt;c\""),
       "<cr:1><crstr:a\\:b\\<c><cmr:0>x<cr:><crstr:><cmr:>", nullptr},
      // From the applied style, and from the style it is based on; a range turns it off.
      {Range("角田", "", "Ruby"),
       "<cstyle:Ruby><cr:1><crstr:かどた><cmr:0>角田<cr:><crstr:><cmr:><cstyle:>", nullptr},
      {Range("角田", "", "RubyChild"),
       "<cstyle:RubyChild><cr:1><crstr:かどた><cmr:0>角田<cr:><crstr:><cmr:><cstyle:>", nullptr},
      {Range("角田", " RubyFlag=\"false\"", "Ruby"), "<cstyle:Ruby>角田<cstyle:>", nullptr},
      {Range("角田", " RubyString=\"すみた\"", "Ruby"),
       "<cstyle:Ruby><cr:1><crstr:すみた><cmr:0>角田<cr:><crstr:><cmr:><cstyle:>", nullptr},
      // Ruby on without a string is none.
      {Range("角田", " RubyFlag=\"true\""), "角田", nullptr},
  };
  for (const Case& c : cases) {
    const layout::Document document = LoadStory(Paragraph(c.ranges), styles);
    EXPECT_EQ(layout::CheckDocument(document), "");
    EXPECT_EQ(ExportedText(document, indesign::kTagFormAbbreviated), c.abbreviated) << c.ranges;
    if (c.verbose) {
      EXPECT_EQ(ExportedText(document, indesign::kTagFormVerbose), c.verbose) << c.ranges;
    }
  }
}

TEST(IdmlRuby, ANewPackageKeepsTheRuby) {
  layout::DocumentBuilder b("/ruby.indd");
  const int32_t story = b.AddStory();
  b.Append(story, "角田", {.ruby = b.AddRuby("かど た", true)});
  b.Append(story, "と");
  b.Append(story, "強敵", {.ruby = b.AddRuby("とも")});
  b.AddFrame(b.AddPage("1"), story);
  const std::string path = std::string(MIRUNE_BINARY_DIR) + "/idml_ruby_new.idml";
  auto bytes = WriteNewIdmlPackage(*b.Build());
  ASSERT_TRUE(bytes.ok()) << bytes.message();
  ASSERT_TRUE(WriteFileAtomic(path, *bytes).ok());
  auto reopened = LoadIdmlDocument(path);
  ASSERT_TRUE(reopened.ok()) << reopened.message();
  EXPECT_EQ(ExportedText(*reopened, indesign::kTagFormAbbreviated),
            "<cr:1><crstr:かど た><cmr:1>角田<cr:><crstr:><cmr:>と"
            "<cr:1><crstr:とも><cmr:0>強敵<cr:><crstr:><cmr:>");
  (void)RemoveFile(path);
}

}  // namespace
}  // namespace mirune::idml
