#pragma once

// A story as InDesign tagged text, as the engine's Story::Export writes it.
//
// Layout of the text (before encoding):
//   <UNICODE-WIN>                                        first line
//   <vsn:8><fset:InDesign-Japanese><ctable:=<Black:…>…>  version, feature set, colour table
//   <dcs:Name=<Nextstyle:Name><cc:Colour>>               one line per character style
//   <dps:Name=<Nextstyle:Name>>                          one line per paragraph style
//   <pstyle:Name>text<cstyle:Name>…<cstyle:><cc:Swatch>…<cc:>…   one line per paragraph
// The verbose form writes the long tag names instead (<Version:…>, <FeatureSet:…>,
// <ColorTable:…>, <DefineCharStyle:…>, <DefineParaStyle:…>, <ParaStyle:…>, <CharStyle:…>,
// <cColor:…>). Paragraphs end in CR LF. In text, < > and \ are escaped with a backslash; in
// tag values also : , ; = ( ). Control characters other than TAB and the paragraph return
// (the forced line break, InDesign's special characters) and a few invisible ones are written
// as <0xXXXX>. Character formats stay open across paragraph returns, so a run that goes on
// over a paragraph end keeps one pair of tags.

#include <cstdint>
#include <string>

#include "automation/indesign_engine/layout_model.h"
#include "base/result.h"

namespace mirune::layout {

// The text of the export (UTF-8, CR LF line ends, no byte-order mark).
// Fails with kUnsupported for a character set other than Unicode and kInvalidArgument for an
// unknown tag form. Precondition: 0 ≤ story < stories.
Result<std::string> TaggedTextOf(const Document& document, int32_t story, int32_t character_set,
                                 int32_t tag_form);

// The export as file bytes: UTF-16 little-endian with the byte-order mark FF FE.
Result<std::string> ExportTaggedText(const Document& document, int32_t story, int32_t character_set,
                                     int32_t tag_form);

}  // namespace mirune::layout
