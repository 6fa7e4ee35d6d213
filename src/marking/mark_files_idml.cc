#include "automation/idml/idml_document.h"
#include "marking/mark_files.h"

namespace mirune {

MarkDocumentFiles MakeMarkDocumentFiles() {
  // The record is shared by the loader and the saver, so a save rewrites only what changed.
  idml::IdmlFiles files;
  MarkDocumentFiles out;
  out.loader = files.MakeLoader();
  out.save = [files](const layout::Document& document, const std::string& path) {
    return files.Save(document, path);
  };
  return out;
}

}  // namespace mirune
