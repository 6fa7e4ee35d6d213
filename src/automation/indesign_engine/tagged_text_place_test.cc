#include "automation/indesign_engine/tagged_text_place.h"

#include <gtest/gtest.h>

#include "automation/indesign.h"
#include "automation/indesign_engine/builder.h"
#include "automation/indesign_engine/tagged_text_export.h"
#include "base/utf.h"

namespace mirune::layout {
namespace {

// What the engine exports, placed again, gives the story's text with its styles — in both
// forms of the tags — threaded over pages of the paragraphs asked for.
TEST(TaggedTextPlaceTest, ExportPlacedAgain) {
  DocumentBuilder b("/doc/source.indd");
  const int32_t heading = b.AddParagraphStyle("見出し");
  const int32_t body = b.AddParagraphStyle("本文");
  const int32_t pages = b.AddCharacterStyle("ノンブル");
  const int32_t story = b.AddStory();
  b.Append(story, "あ行\r", {.paragraph_style = heading});
  b.Append(story, "<愛>\\\t", {.paragraph_style = body});
  b.Append(story, "1–3", {.character_style = pages, .paragraph_style = body});
  b.Append(story, "\r𠮷野\t5", {.paragraph_style = body});
  b.AddFrame(b.AddPage("1"), story);
  auto source = b.Build();
  ASSERT_TRUE(source.ok());
  for (int32_t form : {indesign::kTagFormAbbreviated, indesign::kTagFormVerbose}) {
    auto bytes = ExportTaggedText(*source, 0, indesign::kCharacterSetUnicode, form);
    ASSERT_TRUE(bytes.ok()) << bytes.message();
    PlaceOptions options;
    options.paragraphs_per_page = 2;
    auto placed = PlaceTaggedText(*bytes, "/doc/placed.indd", options);
    ASSERT_TRUE(placed.ok()) << placed.message();
    ASSERT_EQ(placed->stories.size(), 1u);
    const Story& s = placed->stories[0];
    EXPECT_EQ(Utf32ToUtf8(s.text), "あ行\r<愛>\\\t1–3\r𠮷野\t5");
    // Three paragraphs, two to a page: two pages, two threaded frames.
    EXPECT_EQ(placed->pages.size(), 2u);
    ASSERT_EQ(s.frames.size(), 2u);
    EXPECT_EQ(placed->frames[s.frames[0]].text_end, 12);
    // The styles by name, where the source had them.
    auto style_at = [&](int32_t position, bool paragraph) {
      const FormatRun* found = nullptr;
      for (const FormatRun& run : s.runs) {
        if (run.start <= position) found = &run;
      }
      const int32_t index =
          paragraph ? found->format.paragraph_style : found->format.character_style;
      if (index == kNone) return std::string();
      return paragraph ? placed->paragraph_styles[index].name
                       : placed->character_styles[index].name;
    };
    EXPECT_EQ(style_at(0, true), "見出し");
    EXPECT_EQ(style_at(4, true), "本文");
    EXPECT_EQ(style_at(9, false), "ノンブル");
    EXPECT_EQ(style_at(4, false), "");
  }
}

TEST(TaggedTextPlaceTest, NotTaggedText) {
  auto placed = PlaceTaggedText("plain text", "/doc/x.indd");
  ASSERT_FALSE(placed.ok());
  EXPECT_EQ(placed.code(), ErrorCode::kFormatError);
}

}  // namespace
}  // namespace mirune::layout
