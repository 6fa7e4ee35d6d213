// Japanese collation with Windows' own ja-JP sort (CompareStringEx).

#include <windows.h>

#include "automation/excel_engine/ja_collator.h"
#include "base/utf.h"

namespace mirune {
namespace {

class WinJaCollator final : public JaCollator {
 public:
  int Compare(std::string_view a, std::string_view b) const override {
    const std::u16string ua = Utf8ToUtf16(a);
    const std::u16string ub = Utf8ToUtf16(b);
    const int r = CompareStringEx(L"ja-JP", 0, reinterpret_cast<LPCWCH>(ua.data()),
                                  static_cast<int>(ua.size()), reinterpret_cast<LPCWCH>(ub.data()),
                                  static_cast<int>(ub.size()), nullptr, nullptr, 0);
    if (r == CSTR_LESS_THAN) return -1;
    if (r == CSTR_GREATER_THAN) return 1;
    if (r == CSTR_EQUAL) return 0;
    // Only invalid arguments fail; fall back to code unit order so the sort stays total.
    return ua < ub ? -1 : (ub < ua ? 1 : 0);
  }

  // LCMapStringEx can make keys, but its order is not guaranteed to match CompareStringEx
  // on every Windows version (nor under Wine): compare directly.
  bool HasSortKeys() const override { return false; }
  std::string SortKey(std::string_view) const override { return {}; }
};

}  // namespace

Result<std::unique_ptr<JaCollator>> JaCollator::Create() {
  if (!IsValidLocaleName(L"ja-JP")) {
    return Error{ErrorCode::kUnsupported, "the Japanese sort order (ja-JP) is not available"};
  }
  return std::unique_ptr<JaCollator>(new WinJaCollator());
}

}  // namespace mirune
