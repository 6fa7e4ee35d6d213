#include "tools/reading_set.h"

#include <gtest/gtest.h>

namespace mirune::tools {
namespace {

TEST(ReadingSetTest, ParsesTermsAndEveryListedReading) {
  auto set = ParseReadingSet(
      "\xEF\xBB\xBF生物\tせいぶつ\tなまもの\r\n\n索引\tさくいん\n組版\tくみはん", "set.tsv");
  ASSERT_TRUE(set.ok()) << set.message();
  ASSERT_EQ(set->size(), 3u);
  EXPECT_EQ((*set)[0].term, "生物");
  EXPECT_EQ((*set)[0].readings, (std::vector<std::string>{"せいぶつ", "なまもの"}));
  EXPECT_EQ((*set)[1].readings, (std::vector<std::string>{"さくいん"}));
  EXPECT_EQ((*set)[2].term, "組版");
}

TEST(ReadingSetTest, EmptyReadingFieldsAreNotReadings) {
  auto set = ParseReadingSet("索引\t\tさくいん\t\n", "set.tsv");
  ASSERT_TRUE(set.ok()) << set.message();
  EXPECT_EQ((*set)[0].readings, (std::vector<std::string>{"さくいん"}));
}

TEST(ReadingSetTest, BadInputNamesFileAndLine) {
  struct Case {
    const char* text;
    const char* named;
  };
  const Case cases[] = {
      {"索引\tさくいん\n組版\n", "set.tsv の 2 行目（組版）に読みがありません"},
      {"索引\tさくいん\n\n組版\t\n", "set.tsv の 3 行目（組版）に読みがありません"},
      {"\tさくいん\n", "set.tsv の 1 行目に語句がありません"},
      {"索引\t\xFF\n", "set.tsv は UTF-8 のテキストではありません"},
  };
  for (const Case& c : cases) {
    auto set = ParseReadingSet(c.text, "set.tsv");
    ASSERT_FALSE(set.ok()) << c.text;
    EXPECT_EQ(set.code(), ErrorCode::kFormatError);
    EXPECT_NE(set.message().find(c.named), std::string::npos) << set.message();
  }
}

TEST(ReadingSetTest, ExactMeansOneOfTheListedReadings) {
  const ReadingSetEntry entry{"生物", {"せいぶつ", "なまもの"}};
  EXPECT_TRUE(IsExactReading(entry, "なまもの"));
  EXPECT_FALSE(IsExactReading(entry, "せいもつ"));
  EXPECT_FALSE(IsExactReading(entry, "せいぶつ★読み再確認★"));
}

TEST(ReadingSetTest, PercentHasTwoDecimalsRoundedHalfUp) {
  struct Case {
    size_t exact, count;
    const char* text;
  };
  const Case cases[] = {
      {0, 0, "0.00"},         {3, 4, "75.00"},       {2, 3, "66.67"},    {1, 3, "33.33"},
      {5000, 5000, "100.00"}, {4999, 5000, "99.98"}, {1, 80000, "0.00"}, {1, 16000, "0.01"},
  };
  for (const Case& c : cases) {
    EXPECT_EQ(PercentText(c.exact, c.count), c.text) << c.exact << "/" << c.count;
  }
}

TEST(ReadingSetTest, BelowMinimumComparesTheShareItself) {
  EXPECT_FALSE(BelowMinimum(3, 4, 75.0));
  EXPECT_TRUE(BelowMinimum(3, 4, 75.01));
  // 2/3 prints as 66.67 but is below it.
  EXPECT_TRUE(BelowMinimum(2, 3, 66.67));
  EXPECT_FALSE(BelowMinimum(2, 3, 66.66));
}

}  // namespace
}  // namespace mirune::tools
