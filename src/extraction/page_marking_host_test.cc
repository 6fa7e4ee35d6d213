// The extraction's page marking through the interface of a host, on every host of the
// contract: where the markers land, the write property by version, and closing unsaved.

#include <memory>
#include <string>

#include <gtest/gtest.h>

#include "automation/indesign_engine/testing/host_contract.h"
#include "base/file.h"
#include "extraction/testing/host_page_marking.h"
#include "extraction/testing/mark_pages.h"

namespace mirune::indesign_test {
namespace {

using indesign::Application;
using indesign_contract::OpenDocument;
using indesign_contract::StoryText;

std::unique_ptr<Application> NewApp(const std::string& version = "") {
  return HostPageMarkingTest::GetParam().make_application(version);
}

TEST_P(HostPageMarkingTest, MarkersGoAfterTheLastCharacterThatIsNotAControlCharacter) {
  auto app = NewApp();
  auto document = OpenDocument(*app, GetParam().document_path);
  ASSERT_NE(document, nullptr);
  const Status marked = indesign_test::MarkPages(*app, *document);
  ASSERT_TRUE(marked.ok()) << marked.ToString();
  // The empty frame gets no marker.
  EXPECT_EQ(StoryText(*document, 1), "索引の用語です。\r◆♭♪0001♪♭◆次のページ\r◆♭♪0002♪♭◆");
  EXPECT_EQ(StoryText(*document, 2), "末尾◆♭♪0003♪♭◆\x04\x18");
  EXPECT_EQ(StoryText(*document, 3), "");
  EXPECT_EQ(StoryText(*document, 4), "タブ\t◆♭♪iv♪♭◆");
  EXPECT_EQ(StoryText(*document, 5), "X");  // on the pasteboard: on no page
  // The frames hold what was written into them.
  auto pages = document->Pages().value();
  EXPECT_EQ(pages[0]->TextFrameItem(1).value()->CharacterCount().value(), 19);
  EXPECT_EQ(pages[1]->TextFrameItem(1).value()->CharacterCount().value(), 16);
  EXPECT_EQ(pages[2]->TextFrameItem(1).value()->CharacterCount().value(), 14);
  EXPECT_TRUE(document->Modified().value());
}

TEST_P(HostPageMarkingTest, TextContentsIsWrittenOnlyInVersionTwo) {
  if (!GetParam().version_settable) GTEST_SKIP() << "the host's version is fixed";
  struct Case {
    std::string version;
    bool contents_ok;
    bool text_contents_ok;
  };
  const Case cases[] = {
      {"2.0", false, true}, {"3.0", true, false}, {"7.5", true, false}, {"16.0", true, false}};
  for (const Case& c : cases) {
    auto app = NewApp(c.version);
    EXPECT_EQ(app->Version().value(), c.version);
    auto document = OpenDocument(*app, GetParam().document_path);
    ASSERT_NE(document, nullptr);
    auto character = document->StoryItem(5).value()->CharacterItem(1).value();
    EXPECT_EQ(character->SetContents("X").ok(), c.contents_ok) << c.version;
    EXPECT_EQ(character->SetTextContents("X").ok(), c.text_contents_ok) << c.version;
    const Status marked = indesign_test::MarkPages(*app, *document);
    EXPECT_TRUE(marked.ok()) << c.version << ": " << marked.ToString();
  }
}

TEST_P(HostPageMarkingTest, CloseWithoutSavingDiscardsEveryChange) {
  const std::string path = GetParam().document_path;
  const bool on_disk = FileExists(path);
  std::string before;
  if (on_disk) before = ReadFileBytes(path).value();
  {
    auto app = NewApp();
    auto document = OpenDocument(*app, path);
    ASSERT_NE(document, nullptr);
    EXPECT_FALSE(document->Modified().value());
    ASSERT_TRUE(indesign_test::MarkPages(*app, *document).ok());
    EXPECT_TRUE(document->Modified().value());
    ASSERT_TRUE(document->Close(indesign::kSaveNo).ok());
    EXPECT_EQ(app->DocumentCount().value(), 0);
    // A handle of a closed document fails instead of crashing.
    EXPECT_FALSE(document->PageCount().ok());
    EXPECT_FALSE(document->Close(indesign::kSaveNo).ok());

    auto again = OpenDocument(*app, path);
    ASSERT_NE(again, nullptr);
    EXPECT_FALSE(again->Modified().value());
    EXPECT_EQ(StoryText(*again, 1), "索引の用語です。\r次のページ\r");
    ASSERT_TRUE(again->Close(indesign::kSaveNo).ok());
  }
  if (on_disk) {
    EXPECT_EQ(ReadFileBytes(path).value(), before);
  }
}

}  // namespace
}  // namespace mirune::indesign_test
