#include "automation/indesign_engine/tagged_text_export.h"

#include <string>

#include <gtest/gtest.h>

#include "automation/indesign.h"
#include "automation/indesign_engine/builder.h"
#include "automation/indesign_engine/engine_application.h"
#include "automation/indesign_engine/testing/sample_documents.h"
#include "base/file.h"

namespace mirune::layout {
namespace {

constexpr char kHeader[] =
    "<UNICODE-WIN>\r\n<vsn:8><fset:InDesign-Japanese><ctable:=<Black:COLOR:CMYK:Process:0,0,0,1>>"
    "\r\n";

TEST(TaggedTextExportTest, FileIsUtf16LittleEndianWithByteOrderMark) {
  DocumentBuilder b("x.indd");
  const int32_t story = b.AddStory();
  b.Append(story, "あ\U0001F600");
  const Document document = b.Build().value();
  const std::string bytes = ExportTaggedText(document, story, indesign::kCharacterSetUnicode,
                                             indesign::kTagFormAbbreviated)
                                .value();
  ASSERT_GE(bytes.size(), 4u);
  EXPECT_EQ(bytes.substr(0, 4), std::string("\xFF\xFE<\0", 4));
  // Ends in あ (U+3042) and the surrogate pair of U+1F600.
  EXPECT_EQ(bytes.substr(bytes.size() - 6), std::string("\x42\x30\x3D\xD8\x00\xDE", 6));
}

struct TextCase {
  const char* name;
  std::string text;
  std::string expected_body;
};

class TextEscapeTest : public ::testing::TestWithParam<TextCase> {};

TEST_P(TextEscapeTest, BodyIsWrittenAsInDesignWritesIt) {
  DocumentBuilder b("x.indd");
  const int32_t story = b.AddStory();
  b.Append(story, GetParam().text);
  const Document document = b.Build().value();
  const std::string text =
      TaggedTextOf(document, story, indesign::kCharacterSetUnicode, indesign::kTagFormAbbreviated)
          .value();
  EXPECT_EQ(text, kHeader + GetParam().expected_body);
}

INSTANTIATE_TEST_SUITE_P(
    Cases, TextEscapeTest,
    ::testing::Values(TextCase{"brackets", "a<b>c", "a\\<b\\>c"},
                      TextCase{"backslash", "C:\\x", "C:\\\\x"}, TextCase{"tab", "a\tb", "a\tb"},
                      TextCase{"paragraphs", "a\rb\r", "a\r\nb\r\n"},
                      TextCase{"forced_line_break", "a\nb", "a<0x000A>b"},
                      TextCase{"auto_page_number", "p\x18", "p<0x0018>"},
                      TextCase{"footnote_reference", std::string("n\x04", 2), "n<0x0004>"},
                      TextCase{"private_use", "\uE001", "<0xE001>"},
                      TextCase{"zero_width_no_break", "\uFEFF", "<0xFEFF>"},
                      TextCase{"japanese_and_symbols", "◆♭♪０♯", "◆♭♪０♯"}),
    [](const ::testing::TestParamInfo<TextCase>& info) { return info.param.name; });

TEST(TaggedTextExportTest, TagValuesAreEscaped) {
  DocumentBuilder b("x.indd");
  const int32_t swatch = b.AddSwatch("C=0, M:100;(x)", {ColorSpace::kCmyk, {0, 100, 0, 0}});
  const int32_t style = b.AddCharacterStyle("a<b>", swatch);
  const int32_t story = b.AddStory();
  b.Append(story, "t", {.character_style = style});
  const Document document = b.Build().value();
  const std::string text =
      TaggedTextOf(document, story, indesign::kCharacterSetUnicode, indesign::kTagFormAbbreviated)
          .value();
  EXPECT_NE(text.find("<C=0\\, M\\:100\\;\\(x\\):COLOR:CMYK:Process:0,1,0,0>"), std::string::npos)
      << text;
  EXPECT_NE(text.find("<dcs:a\\<b\\>=<Nextstyle:a\\<b\\>><cc:C=0\\, M\\:100\\;\\(x\\)>>\r\n"),
            std::string::npos)
      << text;
  EXPECT_NE(text.find("<cstyle:a\\<b\\>>t<cstyle:>"), std::string::npos) << text;
}

TEST(TaggedTextExportTest, MarksStayOpenOverParagraphReturnsAndCloseAtTheEnd) {
  DocumentBuilder b("x.indd");
  const int32_t mark = b.AddSwatch("RazozaMark3", {ColorSpace::kCmyk, {0, 100, 0, 0}});
  const int32_t style = b.AddCharacterStyle("RazozaMark4");
  const int32_t para = b.AddParagraphStyle("P");
  const int32_t story = b.AddStory();
  b.Append(story, "a", {.paragraph_style = para});
  b.Append(story, "b\rc", {.fill_color = mark, .paragraph_style = para});
  b.Append(story, "d", {.character_style = style, .fill_color = mark, .paragraph_style = para});
  const Document document = b.Build().value();
  const std::string text =
      TaggedTextOf(document, story, indesign::kCharacterSetUnicode, indesign::kTagFormAbbreviated)
          .value();
  const std::string body = text.substr(text.find("<pstyle:"));
  EXPECT_EQ(body, "<pstyle:P>a<cc:RazozaMark3>b\r\n<pstyle:P>c<cstyle:RazozaMark4>d<cc:><cstyle:>");
}

TEST(TaggedTextExportTest, UnnamedColorIsWrittenAsItsValue) {
  DocumentBuilder b("x.indd");
  const int32_t unnamed = b.AddSwatch("", {ColorSpace::kCmyk, {10, 0, 0, 0}});
  const int32_t story = b.AddStory();
  b.Append(story, "u", {.fill_color = unnamed});
  const Document document = b.Build().value();
  const std::string text =
      TaggedTextOf(document, story, indesign::kCharacterSetUnicode, indesign::kTagFormVerbose)
          .value();
  EXPECT_NE(text.find("<cColor:COLOR\\:CMYK\\:Process\\:0.1\\,0\\,0\\,0>u<cColor:>"),
            std::string::npos)
      << text;
  EXPECT_EQ(text.find("<:COLOR"), std::string::npos) << "unnamed colours stay out of the table";
}

TEST(TaggedTextExportTest, ColorTableLeavesOutNoneAndFillsMissingComponents) {
  DocumentBuilder b("x.indd");
  b.AddSwatch("None", {});
  b.AddSwatch("Empty", {ColorSpace::kRgb, {}});
  const int32_t story = b.AddStory();
  const Document document = b.Build().value();
  const std::string text =
      TaggedTextOf(document, story, indesign::kCharacterSetUnicode, indesign::kTagFormAbbreviated)
          .value();
  EXPECT_EQ(text.find("<None:"), std::string::npos) << text;
  EXPECT_NE(text.find("<Empty:COLOR:RGB:Process:0,0,0>"), std::string::npos) << text;
}

TEST(TaggedTextExportTest, BreaksCarryTheirKind) {
  DocumentBuilder b("x.indd");
  const int32_t story = b.AddStory();
  b.Append(story, "a");
  b.Append(story, "\r", {.break_type = BreakType::kFrame});
  b.Append(story, "b");
  const Document document = b.Build().value();
  const std::string text =
      TaggedTextOf(document, story, indesign::kCharacterSetUnicode, indesign::kTagFormAbbreviated)
          .value();
  EXPECT_EQ(text.substr(text.size() - 21), "a<cnxc:Box>\r\n<cnxc:>b");
}

TEST(TaggedTextExportTest, OtherCharacterSetsAndTagFormsAreRefused) {
  DocumentBuilder b("x.indd");
  const int32_t story = b.AddStory();
  b.Append(story, "a");
  const Document document = b.Build().value();
  for (int32_t set : {indesign::kCharacterSetAscii, indesign::kCharacterSetAnsi,
                      indesign::kCharacterSetShiftJis, 0}) {
    auto result = TaggedTextOf(document, story, set, indesign::kTagFormAbbreviated);
    EXPECT_EQ(result.code(), ErrorCode::kUnsupported) << set;
    EXPECT_NE(result.message().find("Unicode"), std::string::npos);
  }
  EXPECT_EQ(TaggedTextOf(document, story, indesign::kCharacterSetUnicode, 42).code(),
            ErrorCode::kInvalidArgument);
}

TEST(TaggedTextExportTest, EngineExportFailsClearlyForAnotherCharacterSetAndWritesNothing) {
  indesign_engine::EngineApplication app;
  app.RegisterDocument(indesign_test::GoldenSampleDocument("g.indd"));
  auto document = std::move(app.Open("g.indd").value().document);
  ASSERT_TRUE(app.SetTaggedTextCharacterSet(indesign::kCharacterSetShiftJis).ok());
  const std::string path = std::string(MIRUNE_BINARY_DIR) + "/engine_sjis_export.txt";
  RemoveFile(path).ok();
  Status status = document->StoryItem(1).value()->Export(indesign::kTaggedTextFormat, path);
  EXPECT_EQ(status.code(), ErrorCode::kUnsupported);
  EXPECT_FALSE(FileExists(path));
}

}  // namespace
}  // namespace mirune::layout
