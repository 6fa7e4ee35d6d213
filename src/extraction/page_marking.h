#pragma once

// Page marking: before its stories are exported, every text frame of a document gets the
// page marker "◆♭♪" + page name (at least four digits) + "♪♭◆" after its last character
// that is not a skipped control character. Pages and frames are walked from the last to the
// first, and each frame is read from its end, so a frame costs a handful of host calls.

#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

#include "automation/indesign.h"
#include "base/result.h"

namespace mirune {

// "7" → "0007", "123" → "0123", "12345" → "12345"; any other name stays as it is ("iv", "A-1",
// "-3": a sign is part of the name).
std::string FormatPageName(std::string_view name);

// "◆♭♪" + FormatPageName(name) + "♪♭◆".
std::string PageMarker(std::string_view page_name);

// True when a character read from a frame is passed over when looking for the frame's last
// character: its code page 932 code is below 20 hexadecimal and it is none of TAB, CR,
// CR LF, LF. A character without a code page 932 code counts as "?" (not skipped); an empty
// reading (an object the host has no text for) is passed over.
bool IsSkippedControl(std::string_view contents);

// Which property writes text: TextContents when the host's Version is the number 2
// ("2", "2.0"), Contents for every other version.
indesign::TextProperty WritePropertyForVersion(std::string_view version);

// Marks every frame of `document`. `on_page` is called before the frames of each page with
// the number of pages done so far (1 … page count) and the page count; a failing callback
// ends the marking with its error.
template <typename OnPage>
Status MarkDocumentPages(indesign::Document& document, indesign::TextProperty property,
                         OnPage&& on_page);

// Marks one frame; `marker` is the page marker of its page.
Status MarkFrame(indesign::TextFrame& frame, std::string_view marker,
                 indesign::TextProperty property);

template <typename OnPage>
Status MarkDocumentPages(indesign::Document& document, indesign::TextProperty property,
                         OnPage&& on_page) {
  // Names and pages in one call each: with the real InDesign every call crosses processes.
  MIRUNE_ASSIGN_OR_RETURN(const std::vector<std::string> names, document.PageNames());
  MIRUNE_ASSIGN_OR_RETURN(auto pages, document.Pages());
  if (names.size() != pages.size()) {
    return Status(ErrorCode::kHostError, "InDesign が返したページ名の数（" +
                                             std::to_string(names.size()) + "）がページの数（" +
                                             std::to_string(pages.size()) + "）と異なります");
  }
  const int64_t page_count = static_cast<int64_t>(pages.size());
  int64_t done = 0;
  for (int64_t i = page_count; i >= 1; --i) {
    indesign::Page& page = *pages[static_cast<size_t>(i - 1)];
    const std::string& name = names[static_cast<size_t>(i - 1)];
    ++done;
    MIRUNE_RETURN_IF_ERROR(on_page(done, page_count));
    const std::string marker = PageMarker(name);
    MIRUNE_ASSIGN_OR_RETURN(auto frames, page.TextFrames());
    for (size_t j = frames.size(); j >= 1; --j) {
      MIRUNE_RETURN_IF_ERROR(MarkFrame(*frames[j - 1], marker, property));
    }
  }
  return Status::Ok();
}

}  // namespace mirune
