// The engine's tagged-text exports read by the story analysis: the golden exports of the
// marked sample become the expected entry lines.

#include <string>
#include <vector>

#include <gmock/gmock.h>
#include <gtest/gtest.h>

#include "analysis/entry_list.h"
#include "analysis/story_scan.h"
#include "analysis/testing/fake_phonetic.h"
#include "base/file.h"

namespace mirune {
namespace {

Status Analyze(const char* file, EntryList& entries) {
  auto bytes = ReadFileBytes(std::string(MIRUNE_SOURCE_DIR) + "/tests/data/engine/" + file);
  if (!bytes.ok()) return bytes.status();
  FakePhonetic lookup({{"索引", "サクイン"},
                       {"用語", "ヨウゴ"},
                       {"東京大学", "トウキョウダイガク"},
                       {"用語集", "ヨウゴシュウ"},
                       {"二頁目", "ニページメ"}});
  ScriptWordDivider divider;
  AnalysisContext ctx;
  ctx.entries = &entries;
  ctx.divider = &divider;
  ctx.lookup = &lookup;
  return AnalyzeTaggedStory(*bytes, ctx);
}

// The form the extraction exports: every mark is found, touching marks make one term, the
// term across the frame break gets the page on which it begins.
TEST(GoldenAnalysisTest, AbbreviatedExportBecomesTheExpectedEntryLines) {
  EntryList entries;
  Status status = Analyze("golden_abbreviated.txt", entries);
  ASSERT_TRUE(status.ok()) << status.ToString();
  EXPECT_THAT(entries.Lines(),
              ::testing::ElementsAre("索引\tさくいん\t1", "用語\tようご\t1",
                                     "東京大学\tとうきょうだいがく\t1", "用語集\tようごしゅう\t1",
                                     "二頁目\tにぺーじめ\t2"));
  EXPECT_EQ(entries.entry_count(), 5);
}

// The verbose form is not what the extraction asks for, and the analysis reads only its
// colour tags (<cColor:…>): the colour of the style definition in the header opens a run
// that the first closing colour tag of the text ends, and style marks (<CharStyle:…>) are not
// seen. This is why the launch sets abbreviated tags.
TEST(GoldenAnalysisTest, VerboseExportYieldsOnlyColorTaggedRuns) {
  EntryList entries;
  Status status = Analyze("golden_verbose.txt", entries);
  ASSERT_TRUE(status.ok()) << status.ToString();
  ASSERT_EQ(entries.entry_count(), 3);
  EXPECT_THAT(entries.Lines()[1], ::testing::StartsWith("東京\t"));
  EXPECT_THAT(entries.Lines()[2], ::testing::StartsWith("用語集\t"));
}

}  // namespace
}  // namespace mirune
