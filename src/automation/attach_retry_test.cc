#include "automation/attach_retry.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

namespace mirune {
namespace {

TEST(RetryAttemptsTest, StopsAtFirstSuccessAndSleepsBetweenTries) {
  std::vector<uint32_t> sleeps;
  int calls = 0;
  int tries = 0;
  Result<int> result = RetryAttempts<int>(
      {20, 500},
      [&]() -> Result<int> {
        ++calls;
        if (calls < 3) return Error{ErrorCode::kNotFound, "まだ"};
        return 7;
      },
      [&](uint32_t ms) { sleeps.push_back(ms); }, &tries);
  ASSERT_TRUE(result.ok());
  EXPECT_EQ(*result, 7);
  EXPECT_EQ(tries, 3);
  EXPECT_EQ(sleeps, (std::vector<uint32_t>{500, 500}));
}

TEST(RetryAttemptsTest, AtLeastOneTry) {
  int calls = 0;
  Result<int> result = RetryAttempts<int>(
      {0, 500}, [&]() -> Result<int> { return ++calls; }, [](uint32_t) {});
  EXPECT_TRUE(result.ok());
  EXPECT_EQ(calls, 1);
}

class CountingSleeper : public Sleeper {
 public:
  void SleepMilliseconds(int32_t ms) override { sleeps.push_back(ms); }
  std::vector<int32_t> sleeps;
};

TEST(AttachWithRetry, GivesUpAfterTwentyAttemptsHalfASecondApartWithTheLastError) {
  CountingSleeper sleeper;
  int calls = 0;
  std::function<Result<int>()> attempt = [&]() -> Result<int> {
    ++calls;
    return Result<int>(ErrorCode::kHostError, "no Excel " + std::to_string(calls));
  };
  Result<int> result = AttachWithRetry(attempt, sleeper);
  EXPECT_FALSE(result.ok());
  EXPECT_EQ(result.message(), "no Excel 20");
  EXPECT_EQ(calls, 20);
  // No wait after the last failure.
  EXPECT_EQ(sleeper.sleeps, std::vector<int32_t>(19, 500));
}

}  // namespace
}  // namespace mirune
