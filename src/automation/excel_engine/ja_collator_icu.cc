// Japanese collation with ICU's "ja" collator at its default (tertiary) strength.

#include <unicode/ucol.h>

#include "automation/excel_engine/ja_collator.h"
#include "base/utf.h"

namespace mirune {
namespace {

class IcuJaCollator final : public JaCollator {
 public:
  explicit IcuJaCollator(UCollator* collator) : collator_(collator) {}
  ~IcuJaCollator() override { ucol_close(collator_); }

  int Compare(std::string_view a, std::string_view b) const override {
    const std::u16string ua = Utf8ToUtf16(a);
    const std::u16string ub = Utf8ToUtf16(b);
    return ucol_strcoll(collator_, reinterpret_cast<const UChar*>(ua.data()),
                        static_cast<int32_t>(ua.size()), reinterpret_cast<const UChar*>(ub.data()),
                        static_cast<int32_t>(ub.size()));
  }

  bool HasSortKeys() const override { return true; }

  std::string SortKey(std::string_view text) const override {
    const std::u16string u = Utf8ToUtf16(text);
    std::string key(u.size() * 4 + 16, '\0');
    for (;;) {
      const int32_t need = ucol_getSortKey(
          collator_, reinterpret_cast<const UChar*>(u.data()), static_cast<int32_t>(u.size()),
          reinterpret_cast<uint8_t*>(key.data()), static_cast<int32_t>(key.size()));
      if (need <= static_cast<int32_t>(key.size())) {
        // The length counts the terminating zero byte, which keys need not carry.
        key.resize(need > 0 ? static_cast<size_t>(need - 1) : 0);
        return key;
      }
      key.resize(static_cast<size_t>(need));
    }
  }

 private:
  UCollator* collator_;
};

}  // namespace

Result<std::unique_ptr<JaCollator>> JaCollator::Create() {
  UErrorCode status = U_ZERO_ERROR;
  UCollator* collator = ucol_open("ja", &status);
  if (U_FAILURE(status) || collator == nullptr) {
    if (collator != nullptr) ucol_close(collator);
    return Error{
        ErrorCode::kUnsupported,
        std::string("the Japanese collator of ICU is not available: ") + u_errorName(status)};
  }
  return std::unique_ptr<JaCollator>(new IcuJaCollator(collator));
}

}  // namespace mirune
