#include "automation/indesign_engine/text_edit.h"

#include <algorithm>
#include <vector>

namespace mirune::layout {
namespace {

// Makes a run boundary at `position` (0 < position < size) and returns the index of the run
// that starts there.
size_t SplitAt(Story& story, int32_t position) {
  const int32_t r = RunIndexAt(story, position);
  if (story.runs[r].start == position) return static_cast<size_t>(r);
  story.runs.insert(story.runs.begin() + r + 1, FormatRun{position, story.runs[r].format});
  return static_cast<size_t>(r) + 1;
}

// Joins neighbouring runs of equal format in runs[from - 1 … to + 1].
void MergeAround(Story& story, size_t from, size_t to) {
  size_t lo = from > 0 ? from - 1 : 0;
  size_t hi = std::min(to + 1, story.runs.size() - 1);
  for (size_t i = hi; i > lo; --i) {
    if (i < story.runs.size() && story.runs[i].format == story.runs[i - 1].format) {
      story.runs.erase(story.runs.begin() + i);
    }
  }
}

int32_t MapPosition(int32_t p, int32_t start, int32_t end, int32_t new_length) {
  if (p <= start) return p;
  if (p >= end) return p + new_length - (end - start);
  return start + new_length;
}

void MarkChanged(Document& document, Story& story) {
  story.changed = true;
  document.modified = true;
}

}  // namespace

void ReplaceText(Document& document, int32_t story_index, int32_t start, int32_t end,
                 std::u32string_view text, const TextFormat& format) {
  Story& story = document.stories[story_index];
  const int32_t size = static_cast<int32_t>(story.text.size());
  const int32_t new_length = static_cast<int32_t>(text.size());
  const int32_t delta = new_length - (end - start);

  // Runs: make boundaries at start and end, swap the runs between them for one run of the
  // new text, shift the later runs, join equal neighbours at the seams.
  std::vector<FormatRun>& runs = story.runs;
  const size_t a = start < size ? SplitAt(story, start) : runs.size();
  const size_t b = end < size ? SplitAt(story, end) : runs.size();
  runs.erase(runs.begin() + a, runs.begin() + b);
  size_t after = a;
  if (new_length > 0) {
    runs.insert(runs.begin() + a, FormatRun{start, format});
    after = a + 1;
  }
  for (size_t i = after; i < runs.size(); ++i) runs[i].start += delta;
  if (!runs.empty()) MergeAround(story, a, std::min(after, runs.size() - 1));
  story.text.replace(static_cast<size_t>(start), static_cast<size_t>(end - start), text);

  for (int32_t f : story.frames) {
    TextFrame& frame = document.frames[f];
    frame.text_start = MapPosition(frame.text_start, start, end, new_length);
    frame.text_end = MapPosition(frame.text_end, start, end, new_length);
  }
  MarkChanged(document, story);
}

void ChangeFormat(Document& document, int32_t story_index, int32_t start, int32_t end,
                  const std::function<void(TextFormat&)>& change) {
  Story& story = document.stories[story_index];
  const int32_t size = static_cast<int32_t>(story.text.size());
  if (start >= end) return;
  const size_t first = SplitAt(story, start);
  const size_t last = end < size ? SplitAt(story, end) : story.runs.size();
  for (size_t r = first; r < last; ++r) change(story.runs[r].format);
  MergeAround(story, first, last);
  MarkChanged(document, story);
}

void ChangeFormatRanges(Document& document, int32_t story_index,
                        const std::vector<TextRange>& ranges,
                        const std::function<void(TextFormat&)>& change) {
  Story& story = document.stories[story_index];
  const std::vector<FormatRun>& src = story.runs;
  const int32_t size = static_cast<int32_t>(story.text.size());
  auto run_end = [&](size_t r) { return r + 1 < src.size() ? src[r + 1].start : size; };
  std::vector<FormatRun> out;
  out.reserve(src.size() + ranges.size() * 2);
  auto push = [&out](int32_t start, const TextFormat& format) {
    if (!out.empty() && out.back().format == format) return;
    out.push_back({start, format});
  };
  // Whole source runs [from, to) are copied in bulk; only the first can meet an equal
  // neighbour (the source's own neighbours are already as they should be).
  auto copy_runs = [&](size_t from, size_t to) {
    if (from < to && !out.empty() && out.back().format == src[from].format) ++from;
    if (from < to) out.insert(out.end(), src.begin() + from, src.begin() + to);
  };

  size_t r = 0;          // source run holding `position`
  int32_t position = 0;  // the output covers the text before it
  bool any = false;
  for (const TextRange& range : ranges) {
    if (range.start >= range.end) continue;
    const size_t first = static_cast<size_t>(RunIndexAt(story, range.start));
    if (r < first) {
      push(position, src[r].format);  // the rest of run r
      copy_runs(r + 1, first);
      r = first;
      position = src[r].start;
    }
    if (position < range.start) push(position, src[r].format);
    position = range.start;
    while (position < range.end) {
      const int32_t piece_end = std::min(run_end(r), range.end);
      TextFormat changed = src[r].format;
      change(changed);
      push(position, changed);
      any = true;
      position = piece_end;
      if (position == run_end(r)) ++r;
    }
  }
  if (!any) return;
  if (r < src.size()) {
    push(position, src[r].format);
    copy_runs(r + 1, src.size());
  }
  story.runs = std::move(out);
  MarkChanged(document, story);
}

}  // namespace mirune::layout
