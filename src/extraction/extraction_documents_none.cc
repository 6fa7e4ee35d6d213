#include "extraction/extraction_documents.h"

namespace mirune {

ExtractionDocuments MakeExtractionDocuments() {
  ExtractionDocuments out;
  out.estimated = std::make_shared<std::vector<std::string>>();
  out.loader.name = "IDML";
  out.loader.accepts = [](const std::string&) { return true; };
  out.loader.load = [](const std::string& path) -> Result<indesign_engine::LoadedItem> {
    return Status(
        ErrorCode::kUnsupported,
        "この版の mirune は IDML を読めません（IDML は Linux 版で処理できます）: " + path);
  };
  out.book_of_files = [](const std::vector<std::string>&) -> Result<layout::Book> {
    return Status(ErrorCode::kUnsupported,
                  "この版の mirune は IDML を読めません（IDML は Linux 版で処理できます）");
  };
  return out;
}

}  // namespace mirune
