#include "automation/com/message_filter_win.h"

#include <gtest/gtest.h>

namespace mirune::com {
namespace {

constexpr DWORD kGiveUp = static_cast<DWORD>(-1);

// The filter now registered on this thread (registration is swapped out and back).
IMessageFilter* CurrentFilter() {
  IMessageFilter* current = nullptr;
  CoRegisterMessageFilter(nullptr, &current);
  CoRegisterMessageFilter(current, nullptr);
  if (current != nullptr) current->Release();
  return current;
}

TEST(BusyMessageFilterTest, RetriesRejectedCallsWithinTheBound) {
  ComPtr<BusyMessageFilter> filter;
  filter.Attach(new BusyMessageFilter(BusyRetryPolicy{1000, 300}));
  struct Case {
    DWORD elapsed;
    DWORD reject_type;
    DWORD answer;
  };
  const Case cases[] = {
      {0, SERVERCALL_RETRYLATER, 300},      {900, SERVERCALL_RETRYLATER, 100},
      {0, SERVERCALL_REJECTED, 300},        {1000, SERVERCALL_RETRYLATER, kGiveUp},
      {5000, SERVERCALL_REJECTED, kGiveUp},
  };
  for (const Case& c : cases) {
    EXPECT_EQ(filter->RetryRejectedCall(nullptr, c.elapsed, c.reject_type), c.answer)
        << c.elapsed << " " << c.reject_type;
  }
  EXPECT_EQ(filter->rejections(), 5);
  EXPECT_EQ(filter->HandleInComingCall(CALLTYPE_TOPLEVEL, nullptr, 0, nullptr),
            static_cast<DWORD>(SERVERCALL_ISHANDLED));
  EXPECT_EQ(filter->MessagePending(nullptr, 0, PENDINGTYPE_TOPLEVEL),
            static_cast<DWORD>(PENDINGMSG_WAITDEFPROCESS));
}

TEST(MessageFilterScopeTest, RegistersAndPutsBackThePreviousFilter) {
  ComApartment apartment;
  ASSERT_TRUE(apartment.status().ok());
  ASSERT_EQ(CurrentFilter(), nullptr);
  {
    MessageFilterScope outer(BusyRetryPolicy{});
    ASSERT_TRUE(outer.status().ok()) << outer.status().message();
    EXPECT_EQ(CurrentFilter(), outer.filter());
    {
      MessageFilterScope inner(BusyRetryPolicy{100, 10});
      ASSERT_TRUE(inner.status().ok());
      EXPECT_EQ(CurrentFilter(), inner.filter());
    }
    EXPECT_EQ(CurrentFilter(), outer.filter());
  }
  EXPECT_EQ(CurrentFilter(), nullptr);
}

TEST(MessageFilterScopeTest, FailsOutsideASingleThreadedApartment) {
  ASSERT_TRUE(SUCCEEDED(CoInitializeEx(nullptr, COINIT_MULTITHREADED)));
  {
    MessageFilterScope scope(BusyRetryPolicy{});
    ASSERT_FALSE(scope.status().ok());
    EXPECT_EQ(scope.status().message().rfind("COM の応答待ちの処理を登録できません（0x", 0), 0u)
        << scope.status().message();
  }
  CoUninitialize();
}

}  // namespace
}  // namespace mirune::com
