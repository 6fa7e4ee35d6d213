#include "marking/mark_files.h"

namespace mirune {

MarkDocumentFiles MakeMarkDocumentFiles() {
  MarkDocumentFiles out;
  out.loader.name = "none";
  out.loader.accepts = [](const std::string&) { return true; };
  out.loader.load = [](const std::string& path) -> Result<indesign_engine::LoadedItem> {
    return Error{ErrorCode::kUnsupported,
                 "this build reads no IDML documents (use the Linux build)"};
  };
  out.save = [](const layout::Document&, const std::string& path) {
    return Status(ErrorCode::kUnsupported, "this build writes no IDML documents: " + path);
  };
  return out;
}

}  // namespace mirune
