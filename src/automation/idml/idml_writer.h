#pragma once

// Writing a layout document as an IDML package.
//
// With the package it was read from (`original`): every part is copied byte for byte except
// - the stories marked changed whose text or character formatting differs: their character
//   ranges are split where the applied character style or the local fill colour now differs,
//   and text edits inside content are written back;
// - Resources/Graphic.xml when the document holds swatches the package did not define, and
//   Resources/Styles.xml for new character styles (both keep every existing element).
// Fails with kUnsupported for edits a package cannot take this way (a story added in code, a
// paragraph return or special character inserted).
//
// Without an original (a document built in code): a new minimal package — "mimetype" first and
// stored, designmap.xml, META-INF/container.xml, Resources/Graphic.xml, Styles.xml,
// Preferences.xml, one spread per page, one part per story. Frames without bounds are placed
// on their page's text area, one band per frame.

#include <string>

#include "automation/idml/idml_package.h"
#include "automation/indesign_engine/layout_model.h"
#include "base/result.h"

namespace mirune::idml {

// The package bytes. `original` may be nullptr.
Result<std::string> WriteIdmlPackage(const layout::Document& document, const Package* original);

// The new package of a document built in code (idml_new_package.cc).
Result<std::string> WriteNewIdmlPackage(const layout::Document& document);

}  // namespace mirune::idml
