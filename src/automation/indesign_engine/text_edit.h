#pragma once

// Edits of a layout document's story text that keep the formatting runs and the frame
// composition in step. Used by the engine's character writes and by find/change.

#include <cstdint>
#include <functional>
#include <string_view>
#include <vector>

#include "automation/indesign_engine/layout_model.h"

namespace mirune::layout {

// Replaces story characters [start, end) by `text`, every new character with `format`.
// Frames keep their text: a frame that held the start of the range holds the new text
// (an insertion into a frame's last character grows that frame), later frames shift.
// Marks the story changed and the document modified.
// Preconditions: 0 ≤ story < stories, 0 ≤ start ≤ end ≤ size.
void ReplaceText(Document& document, int32_t story, int32_t start, int32_t end,
                 std::u32string_view text, const TextFormat& format);

// Rewrites the format of characters [start, end) with `change`. Marks the story changed and
// the document modified. Preconditions as for ReplaceText.
void ChangeFormat(Document& document, int32_t story, int32_t start, int32_t end,
                  const std::function<void(TextFormat&)>& change);

// ChangeFormat for many ranges of one story in one pass (linear in runs + ranges).
// Precondition: the ranges are sorted, do not overlap and lie within the text; empty ranges
// are ignored.
struct TextRange {
  int32_t start = 0;
  int32_t end = 0;
};
void ChangeFormatRanges(Document& document, int32_t story, const std::vector<TextRange>& ranges,
                        const std::function<void(TextFormat&)>& change);

}  // namespace mirune::layout
