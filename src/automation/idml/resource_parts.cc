#include "automation/idml/resource_parts.h"

#include <cstring>
#include <set>

#include "automation/idml/color_element.h"
#include "automation/idml/xml_part.h"

namespace mirune::idml {

using layout::kNone;

Resources MapResources(const layout::Document& document, const Package& original) {
  Resources out;
  std::set<std::string> taken;
  for (const auto& [self, swatch] : original.swatches) taken.insert(self);
  for (size_t i = 0; i < document.swatches.size(); ++i) {
    const layout::Swatch& swatch = document.swatches[i];
    if (!swatch.source_id.empty() && original.swatches.count(swatch.source_id)) {
      out.swatch_self.push_back(swatch.source_id);
      continue;
    }
    std::string self =
        SelfFromName("Color", swatch.name.empty() ? "u" + std::to_string(i) : swatch.name);
    for (int n = 2; taken.count(self); ++n)
      self = SelfFromName("Color", swatch.name + " " + std::to_string(n));
    taken.insert(self);
    out.swatch_self.push_back(self);
    out.new_swatches.push_back(static_cast<int32_t>(i));
  }
  taken.clear();
  for (const auto& [self, style] : original.character_styles) taken.insert(self);
  for (size_t i = 0; i < document.character_styles.size(); ++i) {
    const layout::CharacterStyle& style = document.character_styles[i];
    if (!style.source_id.empty() && original.character_styles.count(style.source_id)) {
      out.style_self.push_back(style.source_id);
      continue;
    }
    std::string self = SelfFromName("CharacterStyle", style.name);
    for (int n = 2; taken.count(self); ++n) {
      self = SelfFromName("CharacterStyle", style.name + " " + std::to_string(n));
    }
    taken.insert(self);
    out.style_self.push_back(self);
    out.new_styles.push_back(static_cast<int32_t>(i));
  }
  return out;
}

Result<std::string> AddSwatches(const layout::Document& document, const Package& original,
                                const Resources& resources, const std::string& part) {
  MIRUNE_ASSIGN_OR_RETURN(auto xml, ParseXmlPart(original.parts.at(part), part));
  pugi::xml_node root = xml->document_element();
  pugi::xml_node after;
  for (pugi::xml_node child : root.children("Color")) after = child;
  for (int32_t index : resources.new_swatches) {
    const layout::Swatch& swatch = document.swatches[static_cast<size_t>(index)];
    pugi::xml_node color =
        after ? root.insert_child_after("Color", after) : root.prepend_child("Color");
    after = color;
    for (const auto& [name, value] : ColorAttributes(
             resources.swatch_self[static_cast<size_t>(index)], swatch.name, swatch.value, true)) {
      color.append_attribute(name.c_str()).set_value(value.c_str());
    }
    // Newer packages list the swatches the panel shows in the root colour group.
    for (pugi::xml_node group : root.children("ColorGroup")) {
      if (std::strcmp(group.attribute("IsRootColorGroup").value(), "true") != 0) continue;
      const std::string self = resources.swatch_self[static_cast<size_t>(index)];
      pugi::xml_node entry = group.append_child("ColorGroupSwatch");
      entry.append_attribute("Self").set_value(
          (std::string(group.attribute("Self").value()) + "Swatch" + self).c_str());
      entry.append_attribute("SwatchItemRef").set_value(self.c_str());
      break;
    }
  }
  return SerializeXmlLike(*xml, original.parts.at(part));
}

Result<std::string> AddCharacterStyles(const layout::Document& document, const Package& original,
                                       const Resources& resources, const std::string& part) {
  MIRUNE_ASSIGN_OR_RETURN(auto xml, ParseXmlPart(original.parts.at(part), part));
  pugi::xml_node root = xml->document_element();
  pugi::xml_node group = root.child("RootCharacterStyleGroup");
  if (!group) {
    group = root.append_child("RootCharacterStyleGroup");
    group.append_attribute("Self").set_value("u79");
  }
  for (int32_t index : resources.new_styles) {
    const layout::CharacterStyle& style = document.character_styles[static_cast<size_t>(index)];
    pugi::xml_node node = group.append_child("CharacterStyle");
    node.append_attribute("Self").set_value(
        resources.style_self[static_cast<size_t>(index)].c_str());
    node.append_attribute("Imported").set_value("false");
    node.append_attribute("KeyboardShortcut").set_value("0 0");
    node.append_attribute("Name").set_value(style.name.c_str());
    if (style.fill_color != kNone) {
      node.append_attribute("FillColor")
          .set_value(resources.swatch_self[static_cast<size_t>(style.fill_color)].c_str());
    }
    pugi::xml_node properties = node.append_child("Properties");
    pugi::xml_node based = properties.append_child("BasedOn");
    based.append_attribute("type").set_value("string");
    const std::string base = style.based_on == kNone
                                 ? "$ID/[No character style]"
                                 : resources.style_self[static_cast<size_t>(style.based_on)];
    based.text().set(base.c_str());
  }
  return SerializeXmlLike(*xml, original.parts.at(part));
}

std::string ResourcePart(const Package& original, const char* local_name) {
  auto it = original.parts.find("designmap.xml");
  if (it == original.parts.end()) return "";
  auto xml = ParseXmlPart(it->second, "designmap.xml");
  if (!xml.ok()) return "";
  for (pugi::xml_node child : (*xml)->document_element().children()) {
    const char* name = child.name();
    const char* colon = std::strrchr(name, ':');
    if (std::strcmp(colon ? colon + 1 : name, local_name) == 0)
      return child.attribute("src").value();
  }
  return "";
}

}  // namespace mirune::idml
