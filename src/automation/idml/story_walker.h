#pragma once

// Walks the text of a story part in document order. Reading (ParseStory) and saving
// (the story rewrite) both use this walk, so that run i and character n mean the same range
// and the same character in both.

#include <cstdint>
#include <string>

#include <pugixml.hpp>

#include "automation/idml/idml_package.h"
#include "base/result.h"

namespace mirune::idml {

// One piece of story text.
struct StoryLeaf {
  enum class Kind {
    kText,    // `node` is a text node inside a Content element
    kAce,     // `node` is an <?ACE n?> instruction inside a Content element: one character
    kBreak,   // `node` is a Br element: one paragraph return
    kObject,  // `node` is an anchored item, a table, a footnote or a text variable
  };
  Kind kind = Kind::kText;
  pugi::xml_node node;
  pugi::xml_node content;                   // the Content element for kText and kAce
  char32_t object_char = 0;                 // the character standing for a kObject or kAce leaf
  BreakKind break_kind = BreakKind::kNone;  // for kBreak: ParagraphBreakType of its range
  uint32_t run = 0;  // the run it belongs to (runs are numbered in the order OnRun announces them)
};

class StoryVisitor {
 public:
  virtual ~StoryVisitor() = default;
  // A new run: `range` is the CharacterStyleRange element, or empty for text outside any range
  // (then `paragraph` carries the formatting). Runs can nest (the ranges of a footnote inside
  // a range): each leaf says which run it belongs to.
  virtual void OnRun(const pugi::xml_node& range, const pugi::xml_node& paragraph) = 0;
  // A leaf of the current run.
  virtual void OnLeaf(const StoryLeaf& leaf) = 0;
};

// Walks the Story element `story`. Fails with kFormatError naming `part` when the nesting is
// deeper than any real story has.
Status WalkStory(const pugi::xml_node& story, const std::string& part, StoryVisitor& visitor);

// Reads a whole story part into `out` (self, text, runs, breaks, anchored frames).
Status ParseStory(const pugi::xml_node& story, const std::string& part, Story& out);

// BreakKind of a ParagraphBreakType / StartParagraph value ("NextFrame" …).
BreakKind BreakKindFromName(const std::string& value);
const char* BreakKindName(BreakKind kind);

}  // namespace mirune::idml
