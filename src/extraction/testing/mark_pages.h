#pragma once

// For the tests of the page marking on every host and the engine's benchmarks: the page
// marking exactly as the extraction does it (extraction/page_marking.h), driven through the
// interface only.

#include "automation/indesign.h"
#include "base/result.h"

namespace mirune::indesign_test {

// Marks every text frame of `document` with the extraction's page marking, writing through
// the property the host's Version calls for.
Status MarkPages(indesign::Application& app, indesign::Document& document);

}  // namespace mirune::indesign_test
