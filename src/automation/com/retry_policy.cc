#include "automation/com/retry_policy.h"

#include <algorithm>

namespace mirune::com {

std::optional<uint32_t> BusyRetryPolicy::NextDelay(uint32_t elapsed_ms) const {
  if (elapsed_ms >= give_up_after_ms) return std::nullopt;
  return std::min(retry_delay_ms, give_up_after_ms - elapsed_ms);
}

}  // namespace mirune::com
