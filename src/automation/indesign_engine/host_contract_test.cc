// Host-contract tests: every implementation of the InDesign interface passes these.

#include <string>
#include <vector>

#include <gmock/gmock.h>
#include <gtest/gtest.h>

#include "automation/indesign_engine/testing/host_contract.h"
#include "base/file.h"
#include "base/text_encoding.h"
#include "base/utf.h"

namespace mirune::indesign_contract {
namespace {

using indesign::Application;
using indesign::Document;
using ::testing::ElementsAre;

std::unique_ptr<Application> NewApp(const std::string& version = "") {
  return HostContractTest::GetParam().make_application(version);
}

TEST_P(HostContractTest, NothingIsOpenAtFirst) {
  auto app = NewApp();
  EXPECT_EQ(app->DocumentCount().value(), 0);
  EXPECT_EQ(app->BookCount().value(), 0);
  EXPECT_FALSE(app->ActiveDocument().ok());
}

TEST_P(HostContractTest, CollectionsAreOneBased) {
  auto app = NewApp();
  auto document = OpenDocument(*app, GetParam().document_path);
  ASSERT_NE(document, nullptr);
  EXPECT_EQ(app->DocumentCount().value(), 1);
  EXPECT_FALSE(app->DocumentItem(0).ok());
  EXPECT_FALSE(app->DocumentItem(2).ok());
  EXPECT_EQ(app->DocumentItem(1).value()->FullName().value(), GetParam().document_path);
  EXPECT_EQ(app->ActiveDocument().value()->FullName().value(), GetParam().document_path);

  EXPECT_EQ(document->PageCount().value(), 4);
  EXPECT_FALSE(document->PageItem(0).ok());
  EXPECT_FALSE(document->PageItem(5).ok());
  EXPECT_EQ(document->PageItem(1).value()->Name().value(), "1");
  EXPECT_EQ(document->PageItem(4).value()->Name().value(), "iv");

  auto page3 = document->PageItem(3).value();
  EXPECT_EQ(page3->TextFrameCount().value(), 2);
  EXPECT_FALSE(page3->TextFrameItem(0).ok());
  EXPECT_FALSE(page3->TextFrameItem(3).ok());
  auto frame = page3->TextFrameItem(1).value();
  EXPECT_EQ(frame->CharacterCount().value(), 4);
  EXPECT_FALSE(frame->CharacterItem(0).ok());
  EXPECT_FALSE(frame->CharacterItem(5).ok());
  EXPECT_EQ(frame->CharacterItem(1).value()->Contents().value(), "末");
  EXPECT_EQ(frame->CharacterItem(4).value()->Contents().value(), "\x18");

  EXPECT_EQ(document->StoryCount().value(), 5);
  EXPECT_FALSE(document->StoryItem(0).ok());
  EXPECT_FALSE(document->StoryItem(6).ok());
}

TEST_P(HostContractTest, PagesFramesAndStoriesHoldTheSampleText) {
  auto app = NewApp();
  auto document = OpenDocument(*app, GetParam().document_path);
  ASSERT_NE(document, nullptr);
  EXPECT_THAT(document->PageNames().value(), ElementsAre("1", "2", "3", "iv"));
  std::vector<int32_t> frame_counts;
  std::vector<int32_t> character_counts;
  auto pages = document->Pages().value();
  for (auto& page : pages) {
    auto frames = page->TextFrames().value();
    frame_counts.push_back(static_cast<int32_t>(frames.size()));
    for (auto& frame : frames) character_counts.push_back(frame->CharacterCount().value());
  }
  EXPECT_THAT(frame_counts, ElementsAre(1, 1, 2, 1));
  EXPECT_THAT(character_counts, ElementsAre(9, 6, 4, 0, 3));
  EXPECT_EQ(StoryText(*document, 1), "索引の用語です。\r次のページ\r");
  EXPECT_EQ(StoryText(*document, 5), "X");
  auto tail = document->PageItem(1).value()->TextFrameItem(1).value()->ReadTail(3).value();
  EXPECT_EQ(tail.count, 9);
  EXPECT_THAT(tail.contents, ElementsAre("す", "。", "\r"));
}

TEST_P(HostContractTest, CountsAreNotLimitedToSixteenBits) {
  if (GetParam().large_document_path.empty()) GTEST_SKIP() << "no large document";
  auto app = NewApp();
  auto document = OpenDocument(*app, GetParam().large_document_path);
  ASSERT_NE(document, nullptr);
  EXPECT_EQ(document->PageCount().value(), 40000);
  EXPECT_EQ(document->PageItem(40000).value()->Name().value(), "40000");
  auto story = document->StoryItem(1).value();
  EXPECT_EQ(story->CharacterCount().value(), 70000);
  EXPECT_EQ(story->CharacterItem(70000).value()->Contents().value(), "a");
  auto frame = document->PageItem(1).value()->TextFrameItem(1).value();
  EXPECT_EQ(frame->ReadTail(1).value().count, 70000);
}

TEST_P(HostContractTest, WritingReplacesTheCharacter) {
  auto app = NewApp();
  auto document = OpenDocument(*app, GetParam().document_path);
  ASSERT_NE(document, nullptr);
  const std::string version = app->Version().value();
  const bool version2 = version.rfind("2", 0) == 0 && (version.size() == 1 || version[1] == '.');
  auto story = document->StoryItem(4).value();
  auto character = story->CharacterItem(1).value();
  Status written = version2 ? character->SetTextContents("ぺ") : character->SetContents("ぺ");
  ASSERT_TRUE(written.ok()) << written.ToString();
  EXPECT_EQ(StoryText(*document, 4), "ぺブ\t");
}

TEST_P(HostContractTest, BooksListTheirMembersInOrder) {
  if (GetParam().book_path.empty()) GTEST_SKIP() << "no book";
  auto app = NewApp();
  auto opened = app->Open(GetParam().book_path);
  ASSERT_TRUE(opened.ok()) << opened.status().ToString();
  ASSERT_NE(opened->book, nullptr);
  EXPECT_EQ(opened->document, nullptr);
  EXPECT_EQ(app->BookCount().value(), 1);
  EXPECT_EQ(app->DocumentCount().value(), 0);
  auto book = app->BookItem(1).value();
  EXPECT_EQ(book->FullName().value(), GetParam().book_path);
  EXPECT_FALSE(book->Name().value().empty());
  EXPECT_FALSE(book->Modified().value());
  EXPECT_EQ(book->ContentCount().value(), 2);
  EXPECT_FALSE(book->ContentFullName(0).ok());
  EXPECT_FALSE(book->ContentFullName(3).ok());
  EXPECT_EQ(book->ContentFullName(1).value(), GetParam().document_path);
  EXPECT_EQ(book->ContentFullName(2).value(), GetParam().second_document_path);

  auto member = OpenDocument(*app, book->ContentFullName(2).value());
  ASSERT_NE(member, nullptr);
  EXPECT_EQ(member->PageNames().value(), std::vector<std::string>{"5"});
  ASSERT_TRUE(member->Close(indesign::kSaveNo).ok());
  ASSERT_TRUE(book->Close(indesign::kSaveNo).ok());
  EXPECT_EQ(app->BookCount().value(), 0);
}

TEST_P(HostContractTest, ExportWritesUnicodeTaggedTextAndReplacesAFile) {
  auto app = NewApp();
  ASSERT_TRUE(app->SetTaggedTextCharacterSet(indesign::kCharacterSetUnicode).ok());
  ASSERT_TRUE(app->SetTaggedTextTagForm(indesign::kTagFormAbbreviated).ok());
  EXPECT_EQ(app->TaggedTextCharacterSet().value(), indesign::kCharacterSetUnicode);
  EXPECT_EQ(app->TaggedTextTagForm().value(), indesign::kTagFormAbbreviated);
  auto document = OpenDocument(*app, GetParam().document_path);
  ASSERT_NE(document, nullptr);
  const std::string path = JoinPath(GetParam().temp_folder, "contract_export.txt");
  ASSERT_TRUE(WriteFileAtomic(path, "an older, longer file that must go away entirely").ok());
  ASSERT_TRUE(document->StoryItem(1).value()->Export(indesign::kTaggedTextFormat, path).ok());
  const std::string bytes = ReadFileBytes(path).value();
  ASSERT_GE(bytes.size(), 2u);
  EXPECT_EQ(bytes.substr(0, 2), std::string("\xFF\xFE"));
  const std::string text = Utf16ToUtf8(DecodeUtf16Text(bytes).value());
  EXPECT_EQ(text.rfind("<UNICODE-WIN>\r\n", 0), 0u) << text;
  EXPECT_NE(text.find("<cc:RazozaMark1>用語<cc:>"), std::string::npos) << text;
  EXPECT_NE(text.find("<cstyle:RazozaMark2>次<cstyle:>"), std::string::npos) << text;
  EXPECT_NE(text.find("です。\r\n"), std::string::npos) << text;
  EXPECT_FALSE(document->StoryItem(1).value()->Export(indesign::kTaggedTextFormat + 1, path).ok());
  RemoveFile(path).ok();
}

TEST_P(HostContractTest, ChangeTextAppliesTheChangeFormattingAndKeepsTheText) {
  auto app = NewApp();
  const std::string version = app->Version().value();
  if (version[0] >= '2' && version[0] <= '4' && (version.size() == 1 || version[1] == '.')) {
    GTEST_SKIP() << "InDesign " << version << " has no ChangeText";
  }
  auto document = OpenDocument(*app, GetParam().document_path);
  ASSERT_NE(document, nullptr);
  indesign::ChangeFormatting formatting;
  formatting.fill_color = "RazozaMark1";
  ASSERT_TRUE(app->SetChangeFormatting(formatting).ok());
  ASSERT_TRUE(app->SetFindWhat("ページ").ok());
  ASSERT_TRUE(app->SetChangeTo("").ok());
  EXPECT_EQ(app->FindWhat().value(), "ページ");
  auto changed = app->ChangeText();
  ASSERT_TRUE(changed.ok()) << changed.status().ToString();
  EXPECT_EQ(*changed, 1);
  EXPECT_EQ(StoryText(*document, 1), "索引の用語です。\r次のページ\r");
  EXPECT_TRUE(document->Modified().value());
  const std::string path = JoinPath(GetParam().temp_folder, "contract_change.txt");
  ASSERT_TRUE(document->StoryItem(1).value()->Export(indesign::kTaggedTextFormat, path).ok());
  const std::string text = Utf16ToUtf8(DecodeUtf16Text(ReadFileBytes(path).value()).value());
  EXPECT_NE(text.find("の<cc:RazozaMark1>ページ<cc:>"), std::string::npos) << text;
  RemoveFile(path).ok();
}

TEST_P(HostContractTest, OlderSearchChangesOneStory) {
  auto app = NewApp();
  const std::string version = app->Version().value();
  if (!(version[0] >= '2' && version[0] <= '4' && (version.size() == 1 || version[1] == '.'))) {
    GTEST_SKIP() << "InDesign " << version << " has no Search";
  }
  auto document = OpenDocument(*app, GetParam().document_path);
  ASSERT_NE(document, nullptr);
  indesign::ChangeFormatting formatting;
  formatting.applied_character_style = "RazozaMark2";
  ASSERT_TRUE(app->SetChangeFormatting(formatting).ok());
  auto story = document->StoryItem(1).value();
  auto changed = story->Search("索引", "");
  ASSERT_TRUE(changed.ok()) << changed.status().ToString();
  EXPECT_EQ(*changed, 1);
  EXPECT_EQ(story->Search("", "").value(), 0);  // an empty keyword changes nothing
  EXPECT_EQ(StoryText(*document, 1), "索引の用語です。\r次のページ\r");
  const std::string path = JoinPath(GetParam().temp_folder, "contract_search.txt");
  ASSERT_TRUE(story->Export(indesign::kTaggedTextFormat, path).ok());
  const std::string text = Utf16ToUtf8(DecodeUtf16Text(ReadFileBytes(path).value()).value());
  EXPECT_NE(text.find("<cstyle:RazozaMark2>索引<cstyle:>"), std::string::npos) << text;
  RemoveFile(path).ok();
}

}  // namespace
}  // namespace mirune::indesign_contract
