#pragma once

// Reads an IDML package (a zip of XML parts) into a Package: designmap.xml (spreads, master
// spreads and stories in order), Spreads/*.xml (pages, text frames, threads, geometry),
// Stories/*.xml, Resources/Styles.xml, Resources/Graphic.xml, Resources/Preferences.xml.
//
// Every failure names the part: "not a zip archive", "missing part designmap.xml", "part
// Stories/Story_u1.xml is not well-formed XML (…)", "part Spreads/Spread_u2.xml: text frame
// u3 refers to story u4, which the package does not hold", an entry past the size limits, a
// part with a document type declaration.

#include <string>

#include "automation/idml/idml_package.h"
#include "automation/idml/zip_archive.h"
#include "base/result.h"

namespace mirune::idml {

// Reads the package in `bytes`. Frames get their page (the page holding the frame's centre;
// none on the pasteboard and on master spreads); anchored frames get theirs in composition.
Result<Package> ReadIdmlPackage(std::string bytes, const ZipLimits& limits = {});

}  // namespace mirune::idml
