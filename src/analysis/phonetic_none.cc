// Builds without a reading dictionary: the readings of kanji come from the Windows shell's
// provider (the input method), which is not part of the core.

#include "analysis/phonetic.h"

namespace mirune {

Result<std::unique_ptr<ReadingService>> OpenSystemReadings(const ReadingServiceOptions&) {
  return Error{ErrorCode::kUnsupported, "このビルドには読みの辞書がありません。"};
}

}  // namespace mirune
