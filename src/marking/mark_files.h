#pragma once

// The document files `mirune mark` reads and writes: IDML packages (a file, or a folder of
// them as a book) where this build reads IDML; elsewhere every open fails with a clear reason.

#include <functional>
#include <string>

#include "automation/indesign_engine/engine_application.h"
#include "automation/indesign_engine/layout_model.h"
#include "base/result.h"

namespace mirune {

struct MarkDocumentFiles {
  indesign_engine::Loader loader;
  std::function<Status(const layout::Document& document, const std::string& path)> save;
};

// mark_files_idml.cc (IDML builds) or mark_files_none.cc.
MarkDocumentFiles MakeMarkDocumentFiles();

}  // namespace mirune
