#include "extraction/testing/mark_pages.h"

#include <string>

#include "extraction/page_marking.h"

namespace mirune::indesign_test {

Status MarkPages(indesign::Application& app, indesign::Document& document) {
  MIRUNE_ASSIGN_OR_RETURN(std::string version, app.Version());
  return MarkDocumentPages(document, WritePropertyForVersion(version),
                           [](int64_t, int64_t) { return Status::Ok(); });
}

}  // namespace mirune::indesign_test
