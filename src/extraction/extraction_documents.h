#pragma once

// The documents the embedded engine opens for an extraction: IDML packages (a file is a
// document, a folder of them a book, several files given together a book in that order) where
// this build reads IDML; elsewhere every open fails with a clear reason.

#include <functional>
#include <memory>
#include <string>
#include <vector>

#include "automation/indesign_engine/engine_application.h"
#include "automation/indesign_engine/layout_model.h"
#include "base/result.h"

namespace mirune {

struct ExtractionDocuments {
  bool reads_idml = false;
  // For EngineApplication::AddLoader.
  indesign_engine::Loader loader;
  // A book of the given member files, in the order given.
  std::function<Result<layout::Book>(const std::vector<std::string>& paths)> book_of_files;
  // Names of the loaded documents whose page breaks were estimated (IDML does not store
  // how a story splits across threaded frames), in load order; shared with the loader.
  std::shared_ptr<std::vector<std::string>> estimated;
};

// extraction_documents_idml.cc (IDML builds) or extraction_documents_none.cc.
ExtractionDocuments MakeExtractionDocuments();

// The warning shown after a job when pages were estimated; empty when none were.
std::string EstimatedCompositionWarning(const std::vector<std::string>& documents);

}  // namespace mirune
