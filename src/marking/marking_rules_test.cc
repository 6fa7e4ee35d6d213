#include "marking/marking_rules.h"

#include <gtest/gtest.h>

#include <vector>

#include "marking/keyword_report.h"
#include "marking/marking_messages.h"

namespace mirune {
namespace {

TEST(SearchCallForVersion, GenerationChoosesTheCall) {
  struct Case {
    const char* version;
    KeywordSearchCall call;
  };
  const Case cases[] = {
      {"2.0", KeywordSearchCall::kSearchFourArguments},
      {"2", KeywordSearchCall::kSearchFourArguments},
      {"3.0.1", KeywordSearchCall::kSearchSixArguments},
      {"4.0", KeywordSearchCall::kSearchSixArguments},
      {"5.0", KeywordSearchCall::kFindChangeText},
      {"7.5", KeywordSearchCall::kFindChangeText},
      {"12.0", KeywordSearchCall::kFindChangeText},  // first character "1"
      {"20.0", KeywordSearchCall::kFindChangeText},  // InDesign 2025: generation 20, not 2
      {"2.0.2", KeywordSearchCall::kSearchFourArguments},
      {"30.1", KeywordSearchCall::kFindChangeText},
      {"4", KeywordSearchCall::kSearchSixArguments},
      {"v4.0", KeywordSearchCall::kFindChangeText},
      {"", KeywordSearchCall::kFindChangeText},
      {"２", KeywordSearchCall::kFindChangeText},  // full-width digit is not "2"
  };
  for (const Case& c : cases) {
    EXPECT_EQ(SearchCallForVersion(c.version), c.call) << c.version;
  }
}

TEST(KeywordProgressValue, RoundsHalvesToEven) {
  struct Case {
    int64_t k, total;
    int32_t value;
  };
  const Case cases[] = {
      {1, 1, 99},        // the last keyword ends at 99, never 100
      {1, 2, 60},        // 59.5 → 60
      {1, 158, 20},      // 20.5 → 20
      {3, 158, 22},      // 21.5 → 22
      {5, 158, 22},      // 22.5 → 22
      {1, 5, 36},        // 35.8
      {2, 5, 52},        // 51.6
      {1, 1000000, 20},  // many keywords: starts just above 20
  };
  for (const Case& c : cases) {
    EXPECT_EQ(KeywordProgressValue(c.k, c.total), c.value) << c.k << "/" << c.total;
  }
}

TEST(CounterText, JoinsWithSpacedSlash) { EXPECT_EQ(CounterText(3, 12), "3 / 12"); }

TEST(FormatKeywordReport, CountsThenMissingKeywords) {
  const std::vector<KeywordTally> tallies = {
      {1, "索引", 12}, {2, "読み", 0}, {3, "", 0}, {4, "InDesign", 1}, {5, "ノンブル", 0}};
  EXPECT_EQ(FormatKeywordReport(tallies),
            "キーワードごとのマーキング箇所数:\n"
            "  B1\t索引\t12\n"
            "  B2\t読み\t0\n"
            "  B4\tInDesign\t1\n"
            "  B5\tノンブル\t0\n"
            "見つからなかったキーワード: 2語\n"
            "  B2\t読み\n"
            "  B5\tノンブル\n");
}

TEST(FormatKeywordReport, AllFound) {
  EXPECT_EQ(FormatKeywordReport({{1, "索引", 2}}),
            "キーワードごとのマーキング箇所数:\n  B1\t索引\t2\n"
            "見つからなかったキーワードはありません。\n");
}

}  // namespace
}  // namespace mirune
