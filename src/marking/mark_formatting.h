#pragma once

// The change formatting of the command line's marking: a swatch or a character style named by
// the user. A document that lacks it gets it before marking, so that the marks are visible
// and the extraction finds them.

#include <cstdint>
#include <string_view>

#include "automation/indesign.h"
#include "automation/indesign_engine/layout_model.h"

namespace mirune {

// Colour of a swatch the marking creates: a process colour that stands out on any page
// (CMYK 0, 100, 0, 0).
layout::ColorValue MarkSwatchColor();

// Adds what `formatting` names and `document` lacks:
// - a swatch (fill_color) as a swatch of MarkSwatchColor();
// - a character style (applied_character_style) as a colour-only style whose fill is the
//   swatch of the same name, that swatch being added with MarkSwatchColor() when missing.
// Existing swatches and styles are left as the document defines them. Marks the document
// modified when it adds anything.
void EnsureMarkFormatting(layout::Document& document, const indesign::ChangeFormatting& formatting);

// Characters of `document` that carry `formatting`: the swatch as their effective fill colour,
// or the character style applied. 0 when the document has neither.
int64_t CountMarkedCharacters(const layout::Document& document,
                              const indesign::ChangeFormatting& formatting);

// True for "RazozaMark1" … "RazozaMark9", the names the extraction picks up.
bool IsRazozaMarkName(std::string_view name);

}  // namespace mirune
