#pragma once

// Find/change over a layout story, as InDesign's ChangeText and the older Search do it.

#include <cstdint>
#include <string>
#include <string_view>

#include "automation/indesign_engine/layout_model.h"

namespace mirune::layout {

struct FindChangeRequest {
  std::u32string find_what;  // literal text (metacharacters already decoded)
  std::u32string change_to;  // empty: the matched text is kept
  bool case_sensitive = false;
  bool whole_word = false;
  // Change formatting; empty names change nothing. A style or swatch that the document lacks
  // is added to it (a swatch then gets a default colour), as InDesign adds what it applies.
  std::string applied_character_style;
  std::string fill_color;
};

// Decodes InDesign's find/change metacharacters: ^p paragraph return, ^n forced line break,
// ^t tab, ^^ a caret. Anything else stays as written.
std::u32string DecodeFindText(std::string_view utf8);

// Changes every occurrence of request.find_what in the story, left to right without overlap.
// Returns the number of occurrences. An empty find_what changes nothing. Precondition:
// 0 ≤ story < stories.
int32_t FindChangeInStory(Document& document, int32_t story, const FindChangeRequest& request);

// Colour given to a swatch that find/change has to add (CMYK 0, 100, 0, 0).
ColorValue DefaultMarkColor();

}  // namespace mirune::layout
