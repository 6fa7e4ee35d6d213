#include "marking/marking_rules.h"

#include <gtest/gtest.h>

#include <chrono>

#include <functional>
#include <vector>

#include "marking/attach_retry.h"
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

class CountingSleeper : public Sleeper {
 public:
  void SleepMilliseconds(int32_t ms) override { sleeps.push_back(ms); }
  std::vector<int32_t> sleeps;
};

TEST(AttachWithRetry, SucceedsAfterFailures) {
  CountingSleeper sleeper;
  int calls = 0;
  std::function<Result<int>()> attempt = [&]() -> Result<int> {
    ++calls;
    if (calls < 4) return Result<int>(ErrorCode::kHostError, "busy");
    return 42;
  };
  Result<int> result = AttachWithRetry(attempt, sleeper);
  ASSERT_TRUE(result.ok());
  EXPECT_EQ(*result, 42);
  EXPECT_EQ(calls, 4);
  EXPECT_EQ(sleeper.sleeps, (std::vector<int32_t>{500, 500, 500}));
}

TEST(AttachWithRetry, GivesUpAfterTwentyAttempts) {
  CountingSleeper sleeper;
  int calls = 0;
  std::function<Result<int>()> attempt = [&]() -> Result<int> {
    ++calls;
    return Result<int>(ErrorCode::kHostError, "no Excel");
  };
  Result<int> result = AttachWithRetry(attempt, sleeper);
  EXPECT_FALSE(result.ok());
  EXPECT_EQ(result.message(), "no Excel");
  EXPECT_EQ(calls, 20);
  EXPECT_EQ(sleeper.sleeps.size(), 19u);  // no wait after the last failure
}

TEST(AttachWithRetry, FirstAttemptSucceedsWithoutWaiting) {
  CountingSleeper sleeper;
  std::function<Result<int>()> attempt = []() -> Result<int> { return 1; };
  EXPECT_TRUE(AttachWithRetry(attempt, sleeper).ok());
  EXPECT_TRUE(sleeper.sleeps.empty());
}

TEST(ThreadSleeper, WaitsAtLeastTheTimeAsked) {
  ThreadSleeper sleeper;
  for (const int32_t ms : {0, 30}) {
    const auto start = std::chrono::steady_clock::now();
    sleeper.SleepMilliseconds(ms);
    const auto waited = std::chrono::steady_clock::now() - start;
    EXPECT_GE(waited, std::chrono::milliseconds(ms)) << ms;
  }
}

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
