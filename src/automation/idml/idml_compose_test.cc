#include "automation/idml/idml_compose.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "automation/idml/idml_reader.h"
#include "automation/idml/testing/mini_package.h"

namespace mirune::idml {
namespace {

using testing::MakeMiniPackage;
using testing::MiniFrame;

// The mini package's paragraph style: 10 pt, leading 12 pt. A frame 100 pt wide and 36 pt
// high holds 3 lines of 10 full-width characters (or 20 half-width ones).
constexpr double kWidth = 100;
constexpr double kHeight = 36;

// Frames on page 1, side by side vertically, threaded in order.
std::vector<MiniFrame> Thread(int count, int columns = 1) {
  std::vector<MiniFrame> frames;
  for (int i = 0; i < count; ++i) {
    MiniFrame f{"f" + std::to_string(i), "s",          -50,
                -100 + 40.0 * i,         -50 + kWidth, -100 + 40.0 * i + kHeight};
    if (i > 0) f.previous = "f" + std::to_string(i - 1);
    if (i + 1 < count) f.next = "f" + std::to_string(i + 1);
    f.columns = columns;
    frames.push_back(f);
  }
  return frames;
}

struct Split {
  std::vector<std::pair<uint32_t, uint32_t>> ranges;  // per frame in thread order
  bool estimated = false;
};

Split ComposeStory(const std::vector<MiniFrame>& frames, const std::string& body) {
  auto mini = MakeMiniPackage(1, frames, {{"s", testing::StoryXml("s", body)}});
  auto package = ReadIdmlPackage(mini.Zip());
  EXPECT_TRUE(package.ok()) << package.message();
  const Composition c = Compose(*package);
  Split split;
  for (int f : c.story_frames[0]) {
    split.ranges.emplace_back(c.begin[static_cast<size_t>(f)], c.end[static_cast<size_t>(f)]);
  }
  split.estimated = c.estimated[0];
  return split;
}

std::string Paragraph(const std::string& content, const std::string& range_attributes = "") {
  return "<ParagraphStyleRange AppliedParagraphStyle=\"ParagraphStyle/$ID/NormalParagraphStyle\">"
         "<CharacterStyleRange AppliedCharacterStyle=\"CharacterStyle/$ID/[No character "
         "style]\"" +
         range_attributes + ">" + content + "</CharacterStyleRange></ParagraphStyleRange>";
}

std::string Kanji(int count) {
  std::string out;
  for (int i = 0; i < count; ++i) out += "字";
  return out;
}

using Ranges = std::vector<std::pair<uint32_t, uint32_t>>;

TEST(IdmlCompose, UnthreadedFrameHoldsItsWholeStory) {
  // Far more text than the frame could show: a frame of its own still holds all of it.
  const Split split = ComposeStory(Thread(1), Paragraph("<Content>" + Kanji(500) + "</Content>"));
  EXPECT_EQ(split.ranges, (Ranges{{0, 500}}));
  EXPECT_FALSE(split.estimated);
}

TEST(IdmlCompose, ExplicitBreaksDecideTheSplit) {
  const std::string body = Paragraph("<Content>" + Kanji(5) + "</Content>") +
                           Paragraph("<Br/>", " ParagraphBreakType=\"NextFrame\"") +
                           Paragraph("<Content>" + Kanji(50) + "</Content>") +
                           Paragraph("<Br/>", " ParagraphBreakType=\"NextPage\"") +
                           Paragraph("<Content>end</Content>");
  const Split split = ComposeStory(Thread(3), body);
  // 5 + return | 50 + return | rest; nothing estimated although frame 2 could not show 50.
  EXPECT_EQ(split.ranges, (Ranges{{0, 6}, {6, 57}, {57, 60}}));
  EXPECT_FALSE(split.estimated);
}

TEST(IdmlCompose, GridFitSplitsAndOversets) {
  struct Case {
    const char* what;
    std::string body;
    int frames;
    Ranges ranges;
  };
  const Case table[] = {
      {"full-width: 30 characters per frame, the rest overset",
       Paragraph("<Content>" + Kanji(70) + "</Content>"),
       2,
       {{0, 30}, {30, 60}}},
      {"half-width: 60 characters per frame",
       Paragraph("<Content>" + std::string(100, 'a') + "</Content>"),
       2,
       {{0, 60}, {60, 100}}},
      {"each paragraph starts a line",
       Paragraph("<Content>" + Kanji(3) + "</Content><Br/><Content>" + Kanji(3) +
                 "</Content><Br/><Content>" + Kanji(3) + "</Content><Br/><Content>" + Kanji(3) +
                 "</Content>"),
       2,
       {{0, 12}, {12, 15}}},
      {"a frame break inside an estimated thread",
       Paragraph("<Content>" + Kanji(5) + "</Content>") +
           Paragraph("<Br/>", " ParagraphBreakType=\"NextFrame\"") +
           Paragraph("<Content>" + Kanji(40) + "</Content>"),
       3,
       {{0, 6}, {6, 36}, {36, 46}}},
      {"short text leaves later frames empty",
       Paragraph("<Content>" + Kanji(4) + "</Content>"),
       3,
       {{0, 4}, {4, 4}, {4, 4}}},
  };
  for (const Case& c : table) {
    SCOPED_TRACE(c.what);
    const Split split = ComposeStory(Thread(c.frames), c.body);
    EXPECT_EQ(split.ranges, c.ranges);
    EXPECT_TRUE(split.estimated);
  }
}

TEST(IdmlCompose, ColumnBreakMovesToTheNextColumnFirst) {
  // Two columns of 50 pt: 5 full-width characters per line, 3 lines per column.
  const std::string body = Paragraph("<Content>" + Kanji(2) + "</Content>") +
                           Paragraph("<Br/>", " ParagraphBreakType=\"NextColumn\"") +
                           Paragraph("<Content>" + Kanji(2) + "</Content>") +
                           Paragraph("<Br/>", " ParagraphBreakType=\"NextColumn\"") +
                           Paragraph("<Content>" + Kanji(20) + "</Content>");
  const Split split = ComposeStory(Thread(2, 2), body);
  // Column 1: 3 characters; column 2: 3; frame 2 starts with the third segment.
  EXPECT_EQ(split.ranges, (Ranges{{0, 6}, {6, 26}}));
}

TEST(IdmlCompose, WidthOfCharacters) {
  EXPECT_EQ(GridWidthInEms(U'字'), 1.0);
  EXPECT_EQ(GridWidthInEms(U'あ'), 1.0);
  EXPECT_EQ(GridWidthInEms(U'ア'), 1.0);
  EXPECT_EQ(GridWidthInEms(U'Ａ'), 1.0);
  EXPECT_EQ(GridWidthInEms(U'　'), 1.0);
  EXPECT_EQ(GridWidthInEms(U'a'), 0.5);
  EXPECT_EQ(GridWidthInEms(U'ｱ'), 0.5);  // half-width katakana
  EXPECT_EQ(GridWidthInEms(U'\r'), 0.0);
  EXPECT_EQ(GridWidthInEms(0x18), 0.0);
}

}  // namespace
}  // namespace mirune::idml
