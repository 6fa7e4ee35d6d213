// Builds without IDML: no laid-out index.

#include "app/index_idml.h"

namespace mirune {

Result<std::string> IndexIdmlBytes(std::string_view, const std::string&) {
  return Result<std::string>(ErrorCode::kUnsupported, "このビルドでは IDML を書き出せません。");
}

Status WriteIndexIdml(std::string_view, const std::string&) {
  return Status(ErrorCode::kUnsupported, "このビルドでは IDML を書き出せません。");
}

}  // namespace mirune
