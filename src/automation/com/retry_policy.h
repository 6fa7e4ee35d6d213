#pragma once

// How long a busy host is waited for. The policy is portable, so its arithmetic is tested in
// both builds; the Windows message filter applies it. The attach step's retries are
// automation/attach_retry.h.

#include <cstdint>
#include <optional>

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

}  // namespace mirune::com
