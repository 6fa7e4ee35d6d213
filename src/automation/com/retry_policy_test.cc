#include "automation/com/retry_policy.h"

#include <gtest/gtest.h>

#include "automation/com/hresult_text.h"

namespace mirune::com {
namespace {

TEST(BusyRetryPolicyTest, WaitsUntilTheBoundThenGivesUp) {
  const BusyRetryPolicy policy{1000, 300};
  struct Case {
    uint32_t elapsed;
    std::optional<uint32_t> delay;
  };
  const Case cases[] = {
      {0, 300}, {699, 300}, {800, 200}, {999, 1}, {1000, std::nullopt}, {50000, std::nullopt},
  };
  for (const Case& c : cases) {
    EXPECT_EQ(policy.NextDelay(c.elapsed), c.delay) << "elapsed " << c.elapsed;
  }
}

TEST(BusyRetryPolicyTest, ZeroBoundNeverRetries) {
  EXPECT_EQ(BusyRetryPolicy({0, 100}).NextDelay(0), std::nullopt);
}

TEST(HresultTextTest, NamesTheCodeAndItsCause) {
  struct Case {
    uint32_t hr;
    const char* detail;
  };
  const Case cases[] = {
      {0x8002000Bu, "0x8002000B: 番号が範囲外です"},
      {0x80010001u,
       "0x80010001: アプリケーションが呼び出しを受け付けません（ダイアログが開いているなど）"},
      {0x800401F3u, "0x800401F3: アプリケーションの名前（ProgID）が登録されていません"},
      {0x800401E3u, "0x800401E3: 起動しているアプリケーションが見つかりません"},
      {0x12345678u, "0x12345678: 不明なエラーです"},
  };
  for (const Case& c : cases) EXPECT_EQ(HresultDetail(c.hr), c.detail);
}

}  // namespace
}  // namespace mirune::com
