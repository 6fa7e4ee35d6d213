#pragma once

// Composition of an IDML package: which characters of its story each text frame holds, and on
// which page an anchored frame lies. InDesign does not store the split of a story across
// threaded frames, so it is decided here:
//
// - A frame that is the only frame of its story holds the whole story.
// - In a thread, a column, frame or page break (a paragraph return with ParagraphBreakType, or
//   a paragraph whose StartParagraph says so) moves the text after it on.
// - When the breaks alone give every frame of the thread its text, they decide the split and
//   the last frame holds the rest.
// - Otherwise the split is estimated by a grid fit, and the story is marked as estimated:
//     characters per line = column width / character width, a full-width character (CJK,
//       kana, full-width forms, symbols) one em and every other character half an em, the em
//       being the character's point size (local, else its character style's, else its
//       paragraph style's, else 12 pt);
//     lines per column = column height / leading (local, else the paragraph style's, else
//       the point size × its auto-leading, 120 % by default), the leading of a line being that
//       of its first character;
//     column width and height come from the frame's box less its insets and gutters
//       (swapped for vertical text); every paragraph and every forced line break starts a new
//       line; a break moves to the next column, frame or page.
//   Text beyond the last frame is overset: it lies in no frame.

#include <cstdint>
#include <vector>

#include "automation/idml/idml_package.h"

namespace mirune::idml {

struct Composition {
  // Per frame of the package: the story characters it holds, [begin, end).
  std::vector<uint32_t> begin, end;
  // Per frame: its page after composition (anchored frames take their anchor's page).
  std::vector<int> page;
  // Per story: its frames in thread order, and whether the split was estimated.
  std::vector<std::vector<int>> story_frames;
  std::vector<bool> estimated;
};

Composition Compose(const Package& package);

// Width of a character in ems under the grid fit (1 for full-width, 0.5 for others, 0 for
// control characters).
double GridWidthInEms(char32_t c);

}  // namespace mirune::idml
