#pragma once

// Builds layout documents and books in code: for tests, benchmarks and the bundled samples.
//
//   DocumentBuilder b("/books/ch1.indd");
//   int mark = b.AddSwatch("RazozaMark1", {layout::ColorSpace::kCmyk, {0, 100, 0, 0}});
//   int story = b.AddStory();
//   b.Append(story, "索引の");
//   b.Append(story, "用語", {.fill_color = mark});
//   b.Append(story, "です。\r");
//   int page = b.AddPage("1");
//   b.AddFrame(page, story);             // the rest of the story
//   Result<layout::Document> doc = b.Build();
//
// Composition is explicit: each AddFrame takes the next `characters` of its story's thread
// (kRestOfStory: everything not yet placed). Text that no frame takes is overset.

#include <cstdint>
#include <string>
#include <string_view>
#include <utility>
#include <vector>

#include "automation/indesign_engine/layout_model.h"
#include "base/result.h"

namespace mirune::layout {

inline constexpr int32_t kRestOfStory = -1;

class DocumentBuilder {
 public:
  // `full_name` is the document's path; its name is the last path component.
  explicit DocumentBuilder(std::string full_name);

  // Each returns the new item's index in the document.
  int32_t AddSwatch(std::string name, ColorValue value);
  // A character style with an optional fill colour (swatch index, or kNone).
  int32_t AddCharacterStyle(std::string name, int32_t fill_color = kNone);
  int32_t AddParagraphStyle(std::string name);
  // A ruby for TextFormat::ruby (the same ruby twice gives the same index).
  int32_t AddRuby(std::string text, bool per_character = false) {
    return InternRuby(document_, {std::move(text), per_character});
  }
  int32_t AddPage(std::string name);
  int32_t AddStory();

  // Appends UTF-8 text with one format ("\r" ends a paragraph, "\n" is a forced line break).
  void Append(int32_t story, std::string_view utf8, const TextFormat& format = {});

  // A frame on `page` (kNone: on the pasteboard) threaded after the story's previous frame.
  // The frame holds the next `characters` characters of the story, or all the rest
  // (kRestOfStory); the split is fixed when Build runs.
  int32_t AddFrame(int32_t page, int32_t story, int32_t characters = kRestOfStory);

  // Marks the document as having unsaved changes (as a converted or edited document has).
  void SetModified(bool modified);

  // Fails with kInvalidArgument when an index is bad, when frames ask for more text than the
  // story holds, or when kRestOfStory is not the last frame of its thread.
  Result<Document> Build() const;

 private:
  Document document_;
  std::vector<int32_t> frame_lengths_;  // per frame: characters asked for
  bool bad_story_ = false;
};

// A book with its members (full paths of documents) in book order. Its name is the last
// path component of `full_name`.
Book MakeBook(std::string full_name, std::vector<std::string> members);

// The last path component ("/a/b/ch1.indd" -> "ch1.indd"; both separators are understood).
std::string LastPathComponent(std::string_view path);

}  // namespace mirune::layout
