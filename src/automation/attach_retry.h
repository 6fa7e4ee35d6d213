#pragma once

// Attaching to a running application: one lookup that may fail while the application is busy
// or not yet registered, retried a number of times a fixed interval apart (500 ms × 20 for
// Excel). The one rule for the jobs and the COM layer; the wait is injected so that tests run
// without waiting.

#include <chrono>
#include <cstdint>
#include <functional>
#include <thread>

#include "base/result.h"

namespace mirune {

// Waits between attempts. Tests substitute a recording fake.
class Sleeper {
 public:
  virtual ~Sleeper() = default;
  virtual void SleepMilliseconds(int32_t milliseconds) = 0;
};

// Sleeps the calling thread.
class ThreadSleeper : public Sleeper {
 public:
  void SleepMilliseconds(int32_t milliseconds) override {
    std::this_thread::sleep_for(std::chrono::milliseconds(milliseconds));
  }
};

// `attempts` tries in all, `interval_ms` apart; the defaults are Excel's.
struct AttemptPolicy {
  int attempts = 20;
  uint32_t interval_ms = 500;
};

// Calls `attempt` until it succeeds or `policy.attempts` tries (at least one) have failed,
// calling `sleep(interval_ms)` between two tries (never after the last). Returns the first
// success or the last failure; `tries`, when given, receives the number of tries made.
template <typename T>
Result<T> RetryAttempts(const AttemptPolicy& policy, const std::function<Result<T>()>& attempt,
                        const std::function<void(uint32_t)>& sleep, int* tries = nullptr) {
  const int limit = policy.attempts < 1 ? 1 : policy.attempts;
  for (int i = 1;; ++i) {
    Result<T> result = attempt();
    if (result.ok() || i == limit) {
      if (tries != nullptr) *tries = i;
      return result;
    }
    sleep(policy.interval_ms);
  }
}

// RetryAttempts under the default policy, waiting with `sleeper`: the attach of the jobs to a
// running Excel. On the last failure the caller shows its "cannot reach Excel" message.
template <typename T>
Result<T> AttachWithRetry(const std::function<Result<T>()>& attempt, Sleeper& sleeper) {
  return RetryAttempts<T>(AttemptPolicy{}, attempt, [&sleeper](uint32_t milliseconds) {
    sleeper.SleepMilliseconds(static_cast<int32_t>(milliseconds));
  });
}

}  // namespace mirune
