#include "extraction/page_marking.h"

#include <gtest/gtest.h>

#include "automation/indesign_engine/builder.h"
#include "automation/indesign_engine/engine_application.h"
#include "base/utf.h"

namespace mirune {
namespace {

TEST(PageMarkingTest, PageNames) {
  const struct {
    const char* in;
    const char* out;
  } cases[] = {{"7", "0007"},    {"123", "0123"}, {"12345", "12345"}, {"0012", "0012"},
               {"iv", "iv"},     {"A-1", "A-1"},  {"", ""},           {"-3", "-3"},
               {"9999", "9999"}, {"007", "0007"}, {"+12", "+12"},     {"-0", "-0"}};
  for (const auto& c : cases) EXPECT_EQ(FormatPageName(c.in), c.out) << c.in;
  EXPECT_EQ(PageMarker("7"), "◆♭♪0007♪♭◆");
  EXPECT_EQ(PageMarker("12345"), "◆♭♪12345♪♭◆");
}

TEST(PageMarkingTest, SkippedControls) {
  const struct {
    const char* c;
    bool skipped;
  } cases[] = {{"\t", false},   {"\r", false},
               {"\r\n", false}, {"\n", false},
               {"\x18", true},  {"\x03", true},
               {"\x1f", true},  {" ", false},
               {"a", false},    {"あ", false},
               {"", true},      {"\xf0\xa0\xae\xb7", false}};  // 𠮷 has no code: counts as "?"
  for (const auto& c : cases) EXPECT_EQ(IsSkippedControl(c.c), c.skipped) << c.c;
}

TEST(PageMarkingTest, WritePropertyByVersion) {
  EXPECT_EQ(WritePropertyForVersion("2"), indesign::TextProperty::kTextContents);
  EXPECT_EQ(WritePropertyForVersion("2.0"), indesign::TextProperty::kTextContents);
  EXPECT_EQ(WritePropertyForVersion("3.0"), indesign::TextProperty::kContents);
  EXPECT_EQ(WritePropertyForVersion("16.0"), indesign::TextProperty::kContents);
  EXPECT_EQ(WritePropertyForVersion("20"), indesign::TextProperty::kContents);
  EXPECT_EQ(WritePropertyForVersion(""), indesign::TextProperty::kContents);
}

// One story per frame, each with the given text, on a page named "7"; returns the texts
// after marking.
std::vector<std::u32string> MarkFrames(const std::vector<std::string>& texts,
                                       const std::string& version, int64_t* calls = nullptr) {
  layout::DocumentBuilder b("/m/doc.indd");
  const int32_t page = b.AddPage("7");
  for (const std::string& text : texts) {
    const int32_t story = b.AddStory();
    b.Append(story, text);
    b.AddFrame(page, story);
  }
  indesign_engine::EngineApplication app;
  app.SetVersion(version);
  app.RegisterDocument(*b.Build());
  auto opened = app.Open("/m/doc.indd");
  EXPECT_TRUE(opened.ok());
  app.ResetCallCount();
  const Status status = MarkDocumentPages(*opened->document, WritePropertyForVersion(version),
                                          [](int64_t, int64_t) { return Status::Ok(); });
  EXPECT_TRUE(status.ok()) << status.ToString();
  if (calls != nullptr) *calls = app.call_count();
  std::vector<std::u32string> out;
  for (const auto& story : app.OpenDocumentModel("/m/doc.indd")->stories) out.push_back(story.text);
  return out;
}

TEST(PageMarkingTest, MarkerAfterTheLastCharacterThatIsNotAControl) {
  const std::u32string m = Utf8ToUtf32("◆♭♪0007♪♭◆");
  for (const std::string version : {"16.0", "2.0"}) {
    SCOPED_TRACE(version);
    const auto texts = MarkFrames({"本文\r", "本文\x18\x18", "\x18\x03", "", "a\t",
                                   "長い\x18\x18\x18\x18\x18\x18\x18\x18\x18\x18\x18"},
                                  version);
    EXPECT_EQ(texts[0], U"本文\r" + m);
    EXPECT_EQ(texts[1], U"本文" + m + U"\x18\x18");
    EXPECT_EQ(texts[2], U"\x18\x03");  // all skipped: no marker
    EXPECT_EQ(texts[3], U"");
    EXPECT_EQ(texts[4], U"a\t" + m);
    EXPECT_EQ(texts[5], U"長い" + m + std::u32string(11, U'\x18'));
  }
}

TEST(PageMarkingTest, AFewCallsPerFrame) {
  int64_t calls = 0;
  MarkFrames(std::vector<std::string>(50, "本文です。\r"), "16.0", &calls);
  // Page names (1), pages (1), the page's frames (1), then per frame a read and a write.
  EXPECT_EQ(calls, 3 + 50 * 2);
}

}  // namespace
}  // namespace mirune
