#pragma once

// How long a busy host is waited for. Both policies are portable, so their arithmetic is
// tested in both builds; the Windows message filter and the attach step apply them.

#include <cstdint>
#include <functional>
#include <optional>

#include "base/result.h"

namespace mirune::com {

// Calls that a busy server rejects (a dialog open in InDesign) are retried until the first
// rejection is `give_up_after_ms` old, waiting `retry_delay_ms` between tries.
struct BusyRetryPolicy {
  uint32_t give_up_after_ms = 30000;
  uint32_t retry_delay_ms = 250;

  // The wait before the next try of a call first rejected `elapsed_ms` ago, or nullopt to
  // give up. A wait never runs past the bound.
  std::optional<uint32_t> NextDelay(uint32_t elapsed_ms) const;
};

// Attaching to a running application: `attempts` tries in all, `interval_ms` apart
// (500 ms × 20 for Excel).
struct AttemptPolicy {
  int attempts = 20;
  uint32_t interval_ms = 500;
};

// Calls `attempt` until it succeeds or `policy.attempts` tries have failed, calling
// `sleep(interval_ms)` between two tries (never after the last). Returns the first success or
// the last failure; `tries`, when given, receives the number of tries made.
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

}  // namespace mirune::com
