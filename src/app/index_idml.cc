#include "app/index_idml.h"

#include "automation/idml/idml_writer.h"
#include "automation/indesign_engine/tagged_text_place.h"
#include "base/file.h"

namespace mirune {

Result<std::string> IndexIdmlBytes(std::string_view tagged, const std::string& path) {
  MIRUNE_ASSIGN_OR_RETURN(const layout::Document document, layout::PlaceTaggedText(tagged, path));
  return idml::WriteNewIdmlPackage(document);
}

Status WriteIndexIdml(std::string_view tagged, const std::string& path) {
  MIRUNE_ASSIGN_OR_RETURN(const std::string bytes, IndexIdmlBytes(tagged, path));
  return WriteFileAtomic(path, bytes);
}

}  // namespace mirune
