#pragma once

// Helpers shared by the engine's tests and benchmarks: the page marking as the extraction
// does it (from the last page and frame back, a marker after the last character of each
// frame that is not a control character), written against the interface only.

#include <cstdint>
#include <string>

#include "automation/indesign.h"
#include "base/result.h"

namespace mirune::indesign_test {

// "◆♭♪" + the page name as four digits (a numeric name; longer ones stay) + "♪♭◆".
std::string PageMarker(const std::string& page_name);

// Marks every text frame of `document`. Uses the batched reads: PageNames, Pages,
// TextFrames, ReadTail, WriteCharacter. Returns the number of markers written.
Result<int32_t> MarkPages(indesign::Application& app, indesign::Document& document);

}  // namespace mirune::indesign_test
