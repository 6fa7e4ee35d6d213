#include "marking/mark_formatting.h"

#include <string>

namespace mirune {
namespace {

int32_t EnsureSwatch(layout::Document& document, const std::string& name) {
  int32_t index = layout::FindSwatch(document, name);
  if (index != layout::kNone) return index;
  document.swatches.push_back({name, MarkSwatchColor(), ""});
  document.modified = true;
  return static_cast<int32_t>(document.swatches.size()) - 1;
}

}  // namespace

layout::ColorValue MarkSwatchColor() { return {layout::ColorSpace::kCmyk, {0, 100, 0, 0}}; }

void EnsureMarkFormatting(layout::Document& document,
                          const indesign::ChangeFormatting& formatting) {
  if (!formatting.fill_color.empty()) EnsureSwatch(document, formatting.fill_color);
  const std::string& style = formatting.applied_character_style;
  if (!style.empty() && layout::FindCharacterStyle(document, style) == layout::kNone) {
    layout::CharacterStyle added;
    added.name = style;
    added.fill_color = EnsureSwatch(document, style);
    document.character_styles.push_back(std::move(added));
    document.modified = true;
  }
}

int64_t CountMarkedCharacters(const layout::Document& document,
                              const indesign::ChangeFormatting& formatting) {
  const int32_t swatch = formatting.fill_color.empty()
                             ? layout::kNone
                             : layout::FindSwatch(document, formatting.fill_color);
  const int32_t style =
      formatting.applied_character_style.empty()
          ? layout::kNone
          : layout::FindCharacterStyle(document, formatting.applied_character_style);
  if (swatch == layout::kNone && style == layout::kNone) return 0;
  int64_t count = 0;
  for (const layout::Story& story : document.stories) {
    const size_t size = story.text.size();
    for (size_t r = 0; r < story.runs.size(); ++r) {
      const layout::TextFormat& format = story.runs[r].format;
      const bool marked = swatch != layout::kNone
                              ? layout::EffectiveFillColor(document, format) == swatch
                              : format.character_style == style;
      if (!marked) continue;
      const size_t end = r + 1 < story.runs.size() ? story.runs[r + 1].start : size;
      count += static_cast<int64_t>(end - story.runs[r].start);
    }
  }
  return count;
}

bool IsRazozaMarkName(std::string_view name) {
  constexpr std::string_view kPrefix = "RazozaMark";
  return name.size() == kPrefix.size() + 1 && name.substr(0, kPrefix.size()) == kPrefix &&
         name.back() >= '1' && name.back() <= '9';
}

}  // namespace mirune
