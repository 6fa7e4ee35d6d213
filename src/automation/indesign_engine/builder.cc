#include "automation/indesign_engine/builder.h"

#include <utility>

#include "base/utf.h"

namespace mirune::layout {

std::string LastPathComponent(std::string_view path) {
  while (!path.empty() && (path.back() == '/' || path.back() == '\\')) path.remove_suffix(1);
  const size_t slash = path.find_last_of("/\\");
  return std::string(slash == std::string_view::npos ? path : path.substr(slash + 1));
}

DocumentBuilder::DocumentBuilder(std::string full_name) {
  document_.name = LastPathComponent(full_name);
  document_.full_name = std::move(full_name);
}

int32_t DocumentBuilder::AddSwatch(std::string name, ColorValue value) {
  document_.swatches.push_back({std::move(name), std::move(value), ""});
  return static_cast<int32_t>(document_.swatches.size()) - 1;
}

int32_t DocumentBuilder::AddCharacterStyle(std::string name, int32_t fill_color) {
  CharacterStyle style;
  style.name = std::move(name);
  style.fill_color = fill_color;
  document_.character_styles.push_back(std::move(style));
  return static_cast<int32_t>(document_.character_styles.size()) - 1;
}

int32_t DocumentBuilder::AddParagraphStyle(std::string name) {
  document_.paragraph_styles.push_back({std::move(name), ""});
  return static_cast<int32_t>(document_.paragraph_styles.size()) - 1;
}

int32_t DocumentBuilder::AddPage(std::string name) {
  Page page;
  page.name = std::move(name);
  document_.pages.push_back(std::move(page));
  return static_cast<int32_t>(document_.pages.size()) - 1;
}

int32_t DocumentBuilder::AddStory() {
  document_.stories.emplace_back();
  return static_cast<int32_t>(document_.stories.size()) - 1;
}

void DocumentBuilder::Append(int32_t story, std::string_view utf8, const TextFormat& format) {
  if (story < 0 || story >= static_cast<int32_t>(document_.stories.size())) {
    bad_story_ = true;  // reported by Build
    return;
  }
  Story& s = document_.stories[story];
  const std::u32string text = Utf8ToUtf32(utf8);
  if (text.empty()) return;
  if (s.runs.empty() || !(s.runs.back().format == format)) {
    s.runs.push_back({static_cast<int32_t>(s.text.size()), format});
  }
  s.text += text;
}

int32_t DocumentBuilder::AddFrame(int32_t page, int32_t story, int32_t characters) {
  TextFrame frame;
  frame.story = story;
  frame.page = page;
  document_.frames.push_back(frame);
  const int32_t index = static_cast<int32_t>(document_.frames.size()) - 1;
  frame_lengths_.push_back(characters);
  if (story >= 0 && story < static_cast<int32_t>(document_.stories.size())) {
    document_.stories[story].frames.push_back(index);
  }
  if (page >= 0 && page < static_cast<int32_t>(document_.pages.size())) {
    document_.pages[page].frames.push_back(index);
  }
  return index;
}

void DocumentBuilder::SetModified(bool modified) { document_.modified = modified; }

Result<Document> DocumentBuilder::Build() const {
  Document document = document_;
  if (bad_story_) return Error{ErrorCode::kInvalidArgument, "text appended to a bad story"};
  const int32_t n_pages = static_cast<int32_t>(document.pages.size());
  const int32_t n_stories = static_cast<int32_t>(document.stories.size());
  for (size_t f = 0; f < document.frames.size(); ++f) {
    const TextFrame& frame = document.frames[f];
    if (frame.story < 0 || frame.story >= n_stories) {
      return Error{ErrorCode::kInvalidArgument, "frame " + std::to_string(f + 1) + ": bad story"};
    }
    if (frame.page != kNone && (frame.page < 0 || frame.page >= n_pages)) {
      return Error{ErrorCode::kInvalidArgument, "frame " + std::to_string(f + 1) + ": bad page"};
    }
  }
  for (Story& story : document.stories) {
    const int32_t size = static_cast<int32_t>(story.text.size());
    int32_t position = 0;
    for (size_t i = 0; i < story.frames.size(); ++i) {
      TextFrame& frame = document.frames[story.frames[i]];
      const int32_t wanted = frame_lengths_[story.frames[i]];
      int32_t length = wanted;
      if (wanted == kRestOfStory) {
        if (i + 1 != story.frames.size()) {
          return Error{ErrorCode::kInvalidArgument,
                       "only the last frame of a thread can take the rest of its story"};
        }
        length = size - position;
      } else if (wanted < 0 || wanted > size - position) {
        return Error{ErrorCode::kInvalidArgument,
                     "frames ask for more text than their story holds"};
      }
      frame.text_start = position;
      frame.text_end = position + length;
      position += length;
    }
  }
  std::string problem = CheckDocument(document);
  if (!problem.empty()) return Error{ErrorCode::kInvalidArgument, problem};
  return document;
}

Book MakeBook(std::string full_name, std::vector<std::string> members) {
  Book book;
  book.name = LastPathComponent(full_name);
  book.full_name = std::move(full_name);
  book.members = std::move(members);
  return book;
}

}  // namespace mirune::layout
