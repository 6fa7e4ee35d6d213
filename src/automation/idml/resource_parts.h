#pragma once

// The resource parts of a loaded package that saving changes: the Selfs of the document's
// swatches and character styles, and Resources/Graphic.xml and Resources/Styles.xml with
// the swatches and styles the package did not define added (every existing element kept).

#include <cstdint>
#include <string>
#include <vector>

#include "automation/idml/idml_package.h"
#include "automation/indesign_engine/layout_model.h"
#include "base/result.h"

namespace mirune::idml {

// Selfs for the document's swatches and character styles; new ones are listed for the
// resource parts.
struct Resources {
  std::vector<std::string> swatch_self;  // per layout swatch
  std::vector<std::string> style_self;   // per layout character style
  std::vector<int32_t> new_swatches;     // layout indexes not in the package
  std::vector<int32_t> new_styles;
};

// Selfs for every swatch and character style of `document`: the package's own where the
// model came from it, new unique ones otherwise.
Resources MapResources(const layout::Document& document, const Package& original);

// The new bytes of the Graphic part `part` with the new swatches added after its colours.
Result<std::string> AddSwatches(const layout::Document& document, const Package& original,
                                const Resources& resources, const std::string& part);

// The new bytes of the Styles part `part` with the new character styles added to its root
// character style group.
Result<std::string> AddCharacterStyles(const layout::Document& document, const Package& original,
                                       const Resources& resources, const std::string& part);

// The part designmap.xml names for a resource ("Graphic", "Styles"); "" when it names none.
std::string ResourcePart(const Package& original, const char* local_name);

}  // namespace mirune::idml
