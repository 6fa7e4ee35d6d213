#include "automation/idml/color_element.h"

#include "automation/idml/xml_part.h"

namespace mirune::idml {

std::vector<std::pair<std::string, std::string>> ColorAttributes(const std::string& self,
                                                                 const std::string& name,
                                                                 const layout::ColorValue& value,
                                                                 bool editable) {
  std::string values;
  for (double v : value.components) {
    if (!values.empty()) values += ' ';
    values += FormatNumber(v);
  }
  // Gray is written as CMYK: a process colour of the package is one of these three spaces.
  const char* space = value.space == layout::ColorSpace::kRgb   ? "RGB"
                      : value.space == layout::ColorSpace::kLab ? "LAB"
                                                                : "CMYK";
  if (values.empty()) values = value.space == layout::ColorSpace::kCmyk ? "0 0 0 0" : "0 0 0";
  const char* can_edit = editable ? "true" : "false";
  return {{"Self", self},
          {"Model", "Process"},
          {"Space", space},
          {"ColorValue", values},
          {"ColorOverride", "Normal"},
          {"AlternateSpace", "NoAlternateColor"},
          {"AlternateColorValue", ""},
          {"Name", name.empty() ? "$ID/" : name},
          {"ColorEditable", can_edit},
          {"ColorRemovable", can_edit},
          {"Visible", name.empty() ? "false" : "true"},
          {"SwatchCreatorID", "7937"}};
}

}  // namespace mirune::idml
