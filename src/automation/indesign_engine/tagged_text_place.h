#pragma once

// Places InDesign tagged text in a new document, as InDesign's File › Place of a tagged-text
// file into a text frame threaded over as many pages as it needs.
//
// The text is read as the engine's own export writes it (tagged_text_export.h), abbreviated or
// verbose: the header lines are skipped; <dps:Name=…> and <dcs:Name=…> (<DefineParaStyle:…>,
// <DefineCharStyle:…>) define the styles; <pstyle:Name> (<ParaStyle:…>) sets the paragraph's
// style and <cstyle:Name> … <cstyle:> (<CharStyle:…>) the character style; \< \> \\ are the
// characters; <0xXXXX> is that character; other tags are left out. Paragraphs end in CR LF
// (or CR, or LF).

#include <cstdint>
#include <string>
#include <string_view>

#include "automation/indesign_engine/layout_model.h"
#include "base/result.h"

namespace mirune::layout {

struct PlaceOptions {
  int32_t paragraphs_per_page = 40;  // what one frame holds
  Rect page_bounds{0, 0, 842, 595};  // A4, in points
  double margin = 56;                // the frame's distance from the page's edges
};

// A new document named `full_name` with the tagged text `bytes` (UTF-16LE with byte-order
// mark, UTF-16BE, or UTF-8) placed in one story threaded over frames on pages "1", "2" …
// Fails with kFormatError when the bytes are no tagged text (no <UNICODE-WIN> or <ASCII-…>
// header).
Result<Document> PlaceTaggedText(std::string_view bytes, const std::string& full_name,
                                 const PlaceOptions& options = {});

}  // namespace mirune::layout
