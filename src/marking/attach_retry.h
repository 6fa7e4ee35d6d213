#pragma once

// Attaching to a running Excel: one lookup that may fail while Excel is busy or not yet
// registered, retried every 500 ms up to 20 attempts in all. Written once here so the
// Windows shell's running-Excel lookup and the tests share it; the wait is injected.

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

inline constexpr int16_t kAttachAttempts = 20;
inline constexpr int32_t kAttachIntervalMilliseconds = 500;

// Calls `attempt` until it succeeds or has failed kAttachAttempts times, sleeping
// kAttachIntervalMilliseconds after every failure but the last. Returns the first success,
// or the last failure (the caller then shows its "cannot reach Excel" message).
template <typename T>
Result<T> AttachWithRetry(const std::function<Result<T>()>& attempt, Sleeper& sleeper) {
  int16_t failures = 0;
  while (true) {
    Result<T> result = attempt();
    if (result.ok()) return result;
    ++failures;
    if (failures >= kAttachAttempts) return result;
    sleeper.SleepMilliseconds(kAttachIntervalMilliseconds);
  }
}

}  // namespace mirune
