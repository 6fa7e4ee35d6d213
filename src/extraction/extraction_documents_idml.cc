#include "automation/idml/idml_document.h"
#include "extraction/extraction_documents.h"

namespace mirune {

ExtractionDocuments MakeExtractionDocuments() {
  ExtractionDocuments out;
  out.reads_idml = true;
  out.estimated = std::make_shared<std::vector<std::string>>();
  const idml::IdmlFiles files;
  indesign_engine::Loader inner = files.MakeLoader();
  out.loader.name = inner.name;
  out.loader.accepts = inner.accepts;
  auto estimated = out.estimated;
  out.loader.load = [inner,
                     estimated](const std::string& path) -> Result<indesign_engine::LoadedItem> {
    MIRUNE_ASSIGN_OR_RETURN(indesign_engine::LoadedItem item, inner.load(path));
    if (item.document.has_value()) {
      for (const layout::Story& story : item.document->stories) {
        if (story.composition_estimated) {
          estimated->push_back(item.document->name);
          break;
        }
      }
    }
    return item;
  };
  out.book_of_files = [](const std::vector<std::string>& paths) {
    return idml::IdmlBookFromFiles(paths);
  };
  return out;
}

}  // namespace mirune
