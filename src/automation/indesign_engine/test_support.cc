#include "automation/indesign_engine/test_support.h"

#include <vector>

namespace mirune::indesign_test {

std::string PageMarker(const std::string& page_name) {
  bool numeric = !page_name.empty();
  for (char c : page_name) numeric = numeric && c >= '0' && c <= '9';
  std::string number = page_name;
  if (numeric && number.size() < 4) number.insert(0, 4 - number.size(), '0');
  return "◆♭♪" + number + "♪♭◆";
}

namespace {

bool IsSkippedControl(const std::string& contents) {
  if (contents.empty()) return false;
  const unsigned char first = static_cast<unsigned char>(contents[0]);
  return first < 0x20 && contents != "\t" && contents != "\r" && contents != "\r\n" &&
         contents != "\n";
}

}  // namespace

Result<int32_t> MarkPages(indesign::Application& app, indesign::Document& document) {
  constexpr int32_t kTail = 8;
  MIRUNE_ASSIGN_OR_RETURN(std::string version, app.Version());
  const bool version2 = version == "2" || version.rfind("2.", 0) == 0;
  const indesign::TextProperty property =
      version2 ? indesign::TextProperty::kTextContents : indesign::TextProperty::kContents;
  MIRUNE_ASSIGN_OR_RETURN(std::vector<std::string> names, document.PageNames());
  MIRUNE_ASSIGN_OR_RETURN(auto pages, document.Pages());
  int32_t markers = 0;
  for (size_t i = pages.size(); i-- > 0;) {
    MIRUNE_ASSIGN_OR_RETURN(auto frames, pages[i]->TextFrames());
    const std::string marker = PageMarker(names[i]);
    for (size_t j = frames.size(); j-- > 0;) {
      indesign::TextFrame& frame = *frames[j];
      MIRUNE_ASSIGN_OR_RETURN(indesign::TextTail tail, frame.ReadTail(kTail));
      int32_t k = tail.count;
      std::string contents;
      bool found = false;
      for (size_t t = tail.contents.size(); t-- > 0; --k) {
        if (!IsSkippedControl(tail.contents[t])) {
          contents = tail.contents[t];
          found = true;
          break;
        }
      }
      // A frame that ends in more control characters than the tail held: go on one by one.
      for (; !found && k >= 1; --k) {
        MIRUNE_ASSIGN_OR_RETURN(auto character, frame.CharacterItem(k));
        MIRUNE_ASSIGN_OR_RETURN(contents, character->Contents());
        if (!IsSkippedControl(contents)) {
          found = true;
          break;
        }
      }
      if (!found) continue;
      MIRUNE_RETURN_IF_ERROR(frame.WriteCharacter(k, contents + marker, property));
      ++markers;
    }
  }
  return markers;
}

}  // namespace mirune::indesign_test
