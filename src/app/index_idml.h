#pragma once

// The finished index placed in an IDML document: its tagged text placed by the embedded engine
// in one story threaded over as many pages as it needs (tagged_text_place.h), saved as a new
// IDML package, so a user without InDesign gets the index laid out.

#include <string>
#include <string_view>

#include "base/result.h"

namespace mirune {

// The bytes of the IDML package with the tagged text `tagged` placed, for `path` (the name the
// document is given). kUnsupported in a build without IDML.
Result<std::string> IndexIdmlBytes(std::string_view tagged, const std::string& path);

// Writes that document to `path` (replaced in one step).
Status WriteIndexIdml(std::string_view tagged, const std::string& path);

}  // namespace mirune
