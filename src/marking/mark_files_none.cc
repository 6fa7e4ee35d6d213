#include "marking/mark_files.h"

namespace mirune {

MarkDocumentFiles MakeMarkDocumentFiles() {
  MarkDocumentFiles out;
  out.loader.name = "none";
  out.loader.accepts = [](const std::string&) { return true; };
  out.loader.load = [](const std::string& path) -> Result<indesign_engine::LoadedItem> {
    return Error{ErrorCode::kUnsupported,
                 "この版の mirune は IDML を読めません（IDML は Linux 版で処理できます）: " + path};
  };
  out.save = [](const layout::Document&, const std::string& path) {
    return Status(ErrorCode::kUnsupported, "この版の mirune は IDML を書き込めません（IDML は Linux 版で処理できます）: " + path);
  };
  return out;
}

}  // namespace mirune
