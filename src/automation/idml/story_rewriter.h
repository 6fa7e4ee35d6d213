#pragma once

// Writing a changed story back into its story part. Character ranges are split where the
// applied character style or the local fill colour now differs; an XML element or hyperlink
// whose text now has several formats moves out of its range and holds the split ranges; text
// edits are written back where they are, found as the shortest edit. Linear in the size of
// the part (apart from the shortest edit, bounded to 1,000 insertions and deletions).

#include <string>

#include "automation/idml/idml_document.h"
#include "automation/idml/idml_package.h"
#include "automation/idml/resource_parts.h"
#include "automation/indesign_engine/layout_model.h"
#include "base/result.h"

namespace mirune::idml {

// The new bytes of the part of `story` (its original bytes `part_bytes`) holding `edited`;
// `changed` false (and "" returned) when the part needs no change. kUnsupported for edits the part
// cannot take (a paragraph return or special character added, text added where the part has
// none, too many separate edits).
Result<std::string> RewriteStory(const std::string& part_bytes, const Story& story,
                                 const layout::Story& edited, const LayoutIndexes& indexes,
                                 const Resources& resources, bool& changed);

}  // namespace mirune::idml
