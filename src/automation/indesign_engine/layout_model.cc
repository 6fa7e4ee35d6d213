#include "automation/indesign_engine/layout_model.h"

#include <algorithm>
#include <string>
#include <vector>

namespace mirune::layout {

int32_t RunIndexAt(const Story& story, int32_t index) {
  // Last run whose start is at or before index.
  auto it = std::upper_bound(story.runs.begin(), story.runs.end(), index,
                             [](int32_t i, const FormatRun& run) { return i < run.start; });
  return static_cast<int32_t>(it - story.runs.begin()) - 1;
}

const TextFormat& FormatAt(const Story& story, int32_t index) {
  return story.runs[RunIndexAt(story, index)].format;
}

int32_t EffectiveFillColor(const Document& document, const TextFormat& format) {
  if (format.fill_color != kNone) return format.fill_color;
  int32_t style = format.character_style;
  // based_on chains are short; the bound guards against a cycle in loaded files.
  for (size_t guard = 0; style != kNone && guard <= document.character_styles.size(); ++guard) {
    if (style < 0 || style >= static_cast<int32_t>(document.character_styles.size())) break;
    const CharacterStyle& s = document.character_styles[style];
    if (s.fill_color != kNone) return s.fill_color;
    style = s.based_on;
  }
  return kNone;
}

namespace {

template <typename T>
int32_t FindByName(const std::vector<T>& items, const std::string& name) {
  if (name.empty()) return kNone;
  for (size_t i = 0; i < items.size(); ++i) {
    if (items[i].name == name) return static_cast<int32_t>(i);
  }
  return kNone;
}

bool InRange(int32_t index, size_t size) {
  return index >= 0 && index < static_cast<int32_t>(size);
}

}  // namespace

int32_t InternRuby(Document& document, const Ruby& ruby) {
  for (size_t i = 0; i < document.rubies.size(); ++i) {
    if (document.rubies[i] == ruby) return static_cast<int32_t>(i);
  }
  document.rubies.push_back(ruby);
  return static_cast<int32_t>(document.rubies.size()) - 1;
}

int32_t FindSwatch(const Document& document, const std::string& name) {
  return FindByName(document.swatches, name);
}
int32_t FindCharacterStyle(const Document& document, const std::string& name) {
  return FindByName(document.character_styles, name);
}
int32_t FindParagraphStyle(const Document& document, const std::string& name) {
  return FindByName(document.paragraph_styles, name);
}

std::string CheckDocument(const Document& document) {
  const size_t n_styles = document.character_styles.size();
  const size_t n_swatches = document.swatches.size();
  for (size_t s = 0; s < n_styles; ++s) {
    const CharacterStyle& style = document.character_styles[s];
    if (style.fill_color != kNone && !InRange(style.fill_color, n_swatches)) {
      return "character style " + style.name + " has a bad fill colour";
    }
    if (style.based_on != kNone && !InRange(style.based_on, n_styles)) {
      return "character style " + style.name + " is based on a missing style";
    }
  }
  for (size_t s = 0; s < document.stories.size(); ++s) {
    const Story& story = document.stories[s];
    const std::string where = "story " + std::to_string(s + 1);
    const int32_t size = static_cast<int32_t>(story.text.size());
    if (size == 0 && !story.runs.empty()) return where + ": runs on empty text";
    if (size > 0 && (story.runs.empty() || story.runs[0].start != 0)) {
      return where + ": runs do not start at 0";
    }
    for (size_t r = 0; r < story.runs.size(); ++r) {
      const FormatRun& run = story.runs[r];
      const int32_t end = r + 1 < story.runs.size() ? story.runs[r + 1].start : size;
      if (run.start >= end) return where + ": empty or unsorted run";
      const TextFormat& f = run.format;
      if (f.character_style != kNone && !InRange(f.character_style, n_styles)) {
        return where + ": bad character style";
      }
      if (f.ruby != kNone && !InRange(f.ruby, document.rubies.size())) {
        return where + ": bad ruby";
      }
      if (f.fill_color != kNone && !InRange(f.fill_color, n_swatches)) {
        return where + ": bad fill colour";
      }
      if (f.paragraph_style != kNone &&
          !InRange(f.paragraph_style, document.paragraph_styles.size())) {
        return where + ": bad paragraph style";
      }
    }
    int32_t position = 0;
    for (int32_t f : story.frames) {
      if (!InRange(f, document.frames.size())) return where + ": bad frame";
      const TextFrame& frame = document.frames[f];
      if (frame.story != static_cast<int32_t>(s)) return where + ": frame of another story";
      if (frame.text_start != position || frame.text_end < frame.text_start ||
          frame.text_end > size) {
        return where + ": frame ranges are not consecutive";
      }
      position = frame.text_end;
    }
  }
  // Every frame is in its story's thread once, and on its page's list once (linear checks:
  // loaded documents can hold thousands of frames in one thread).
  const size_t n_frames = document.frames.size();
  std::vector<int32_t> in_thread(n_frames, 0);
  std::vector<int32_t> on_page(n_frames, 0);
  for (const Story& story : document.stories) {
    for (int32_t f : story.frames) ++in_thread[f];  // indexes checked above
  }
  for (size_t p = 0; p < document.pages.size(); ++p) {
    for (int32_t f : document.pages[p].frames) {
      if (!InRange(f, n_frames) || document.frames[f].page != static_cast<int32_t>(p)) {
        return "page " + document.pages[p].name + ": frame list does not match the frames";
      }
      ++on_page[f];
    }
  }
  for (size_t f = 0; f < n_frames; ++f) {
    const TextFrame& frame = document.frames[f];
    const std::string where = "frame " + std::to_string(f + 1);
    if (!InRange(frame.story, document.stories.size())) return where + ": bad story";
    if (in_thread[f] != 1) return where + ": not once in its story's thread";
    if (frame.page != kNone && !InRange(frame.page, document.pages.size())) {
      return where + ": bad page";
    }
    if (on_page[f] != (frame.page == kNone ? 0 : 1)) return where + ": not once on its page";
  }
  return "";
}

}  // namespace mirune::layout
