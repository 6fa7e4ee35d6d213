// The extraction's page marking on the embedded engine: on the contract's environments
// (testing/host_page_marking.h), on the engine's working copy and its call count, and the
// tagged text of a marked document against its golden files.

#include <cstdlib>
#include <string>
#include <utility>

#include <gtest/gtest.h>

#include "automation/indesign.h"
#include "automation/indesign_engine/engine_application.h"
#include "automation/indesign_engine/layout_model.h"
#include "automation/indesign_engine/testing/engine_hosts.h"
#include "automation/indesign_engine/testing/host_contract.h"
#include "automation/indesign_engine/testing/sample_documents.h"
#include "base/file.h"
#include "base/path.h"
#include "base/text_encoding.h"
#include "base/utf.h"
#include "extraction/testing/host_page_marking.h"
#include "extraction/testing/mark_pages.h"

namespace mirune::indesign_test {
namespace {

using indesign_contract::EngineEnvironment;
using indesign_contract::FileBackedEnvironment;
using indesign_contract::HostEnvironment;

INSTANTIATE_TEST_SUITE_P(
    Engine, HostPageMarkingTest,
    ::testing::Values(EngineEnvironment("current", "", MIRUNE_BINARY_DIR),
                      EngineEnvironment("version2", "2.0", MIRUNE_BINARY_DIR),
                      FileBackedEnvironment(JoinPath(MIRUNE_BINARY_DIR,
                                                     "page_marking_host_files"))),
    [](const ::testing::TestParamInfo<HostEnvironment>& info) { return info.param.name; });

}  // namespace
}  // namespace mirune::indesign_test

namespace mirune::indesign_engine {
namespace {

TEST(EnginePageMarkingTest, MarkingEditsTheWorkingCopyOnly) {
  EngineApplication app;
  app.RegisterDocument(indesign_contract::ContractSampleDocument("s.indd"));
  auto document = std::move(app.Open("s.indd").value().document);
  ASSERT_TRUE(indesign_test::MarkPages(app, *document).ok());
  const layout::Document* working = app.OpenDocumentModel("s.indd");
  ASSERT_NE(working, nullptr);
  EXPECT_EQ(layout::CheckDocument(*working), "");
  EXPECT_TRUE(working->stories[0].changed);
  EXPECT_FALSE(working->stories[4].changed);
  EXPECT_FALSE(app.RegisteredDocument("s.indd")->modified);
  EXPECT_EQ(app.RegisteredDocument("s.indd")->stories[0].text.size(), 15u);
  // The marker took the formatting of the character it follows.
  const layout::Story& story = working->stories[0];
  EXPECT_EQ(layout::FormatAt(story, 9).paragraph_style, layout::FormatAt(story, 8).paragraph_style);
}

TEST(EnginePageMarkingTest, PageMarkingCostsFewCallsPerFrame) {
  EngineApplication app;
  app.RegisterDocument(indesign_contract::ContractSampleDocument("s.indd"));
  auto document = std::move(app.Open("s.indd").value().document);
  app.ResetCallCount();
  ASSERT_TRUE(indesign_test::MarkPages(app, *document).ok());
  // Version, PageNames, Pages; per page TextFrames (4); per frame ReadTail (5) and a write
  // for each of the four frames that get a marker.
  EXPECT_EQ(app.call_count(), 3 + 4 + 5 + 4);
}

}  // namespace
}  // namespace mirune::indesign_engine

namespace mirune::layout {
namespace {

std::string GoldenPath(const std::string& name) {
  return std::string(MIRUNE_SOURCE_DIR) + "/tests/data/engine/" + name;
}

// Marks the golden sample's pages through the interface, exports its story in `tag_form`.
std::string MarkedExport(int32_t tag_form) {
  indesign_engine::EngineApplication app;
  app.RegisterDocument(indesign_test::GoldenSampleDocument("C:\\Samples\\golden.indd"));
  auto document = std::move(app.Open("C:\\Samples\\golden.indd").value().document);
  EXPECT_TRUE(indesign_test::MarkPages(app, *document).ok());
  EXPECT_TRUE(app.SetTaggedTextTagForm(tag_form).ok());
  const std::string path = std::string(MIRUNE_BINARY_DIR) + "/engine_golden_export.txt";
  EXPECT_TRUE(document->StoryItem(1).value()->Export(indesign::kTaggedTextFormat, path).ok());
  std::string bytes = ReadFileBytes(path).value();
  RemoveFile(path).ok();
  return bytes;
}

struct GoldenCase {
  const char* file;
  int32_t tag_form;
};

class GoldenExportTest : public ::testing::TestWithParam<GoldenCase> {};

TEST_P(GoldenExportTest, MatchesTheGoldenFile) {
  const std::string bytes = MarkedExport(GetParam().tag_form);
  const std::string path = GoldenPath(GetParam().file);
  if (std::getenv("MIRUNE_UPDATE_GOLDEN") != nullptr) {
    ASSERT_TRUE(WriteFileAtomic(path, bytes).ok());
  }
  auto golden = ReadFileBytes(path);
  ASSERT_TRUE(golden.ok()) << golden.status().ToString();
  EXPECT_EQ(bytes, *golden) << Utf16ToUtf8(DecodeUtf16Text(bytes).value());
}

INSTANTIATE_TEST_SUITE_P(
    TagForms, GoldenExportTest,
    ::testing::Values(GoldenCase{"golden_abbreviated.txt", indesign::kTagFormAbbreviated},
                      GoldenCase{"golden_verbose.txt", indesign::kTagFormVerbose}));

}  // namespace
}  // namespace mirune::layout
