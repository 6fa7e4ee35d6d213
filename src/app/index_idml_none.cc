// Builds without IDML: no laid-out index.

#include "app/index_idml.h"

namespace mirune {

Status WriteIndexIdml(std::string_view, const std::string&) {
  return Status(ErrorCode::kUnsupported, "このビルドでは IDML を書き出せません。");
}

}  // namespace mirune
