#include "marking/marking_rules.h"

#include <cmath>

#include "automation/indesign.h"

namespace mirune {

KeywordSearchCall SearchCallForVersion(std::string_view version) {
  // ASCII digits only: a full-width "２" is not a generation number.
  const int major = indesign::MajorVersion(version);
  if (major == 2) return KeywordSearchCall::kSearchFourArguments;
  if (major == 3 || major == 4) return KeywordSearchCall::kSearchSixArguments;
  return KeywordSearchCall::kFindChangeText;
}

int32_t KeywordProgressValue(int64_t k, int64_t keyword_count) {
  const double value = static_cast<double>(k) / static_cast<double>(keyword_count) * 79.0 + 20.0;
  // nearbyint follows the default rounding mode: to nearest, halves to even.
  return static_cast<int32_t>(std::nearbyint(value));
}

std::string CounterText(int64_t current, int64_t total) {
  return std::to_string(current) + " / " + std::to_string(total);
}

}  // namespace mirune
