#pragma once

// Reads an IDML package (a zip of XML parts) into a Package: designmap.xml (spreads, master
// spreads and stories in order), Spreads/*.xml (pages, text frames, threads, geometry),
// Stories/*.xml, Resources/Styles.xml, Resources/Graphic.xml, Resources/Preferences.xml.
//
// Every failure is a Japanese cause naming the package and the part: not a zip archive, an
// entry with an unsafe name (IsSafeEntryName), a missing part, XML that is not well-formed or
// has a document type declaration, a frame referring to a story the package does not hold,
// an entry past the size limits, a story part past kMaxStoryXmlBytes. Running out of memory
// while reading is a kInternal failure, not an exception.

#include <cstddef>
#include <string>

#include "automation/idml/idml_package.h"
#include "automation/idml/zip_archive.h"
#include "base/result.h"

namespace mirune::idml {

// The largest story part read: 64 MiB of XML (about 20 million characters of Japanese text,
// far beyond any book; reading takes a few times its size in memory).
inline constexpr size_t kMaxStoryXmlBytes = 64u << 20;

// Reads the package in `bytes`; `name` (the file's path) is named in every failure. Frames get
// their page (the page holding the frame's centre; none on the pasteboard and on master spreads);
// anchored frames get theirs in composition.
Result<Package> ReadIdmlPackage(std::string bytes, const std::string& name,
                                const ZipLimits& limits = {});
// As above for a package without a name (failures say "IDML パッケージの…").
Result<Package> ReadIdmlPackage(std::string bytes, const ZipLimits& limits = {});

}  // namespace mirune::idml
