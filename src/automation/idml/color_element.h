#pragma once

// The one way a package's process colour is written: the attributes of a <Color> element of
// Resources/Graphic.xml, in the order InDesign writes them. Used both for new packages and
// for swatches added to an existing package.

#include <string>
#include <utility>
#include <vector>

#include "automation/indesign_engine/layout_model.h"

namespace mirune::idml {

// Attributes (name, unescaped value) of the colour `self` named `name` ("" for an unnamed
// colour, written as "$ID/" and not shown in the panel). `editable` false for InDesign's own
// Black and Registration. A colour without components gets zeros of its space.
std::vector<std::pair<std::string, std::string>> ColorAttributes(const std::string& self,
                                                                 const std::string& name,
                                                                 const layout::ColorValue& value,
                                                                 bool editable);

}  // namespace mirune::idml
