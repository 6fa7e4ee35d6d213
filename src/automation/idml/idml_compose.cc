#include "automation/idml/idml_compose.h"

#include <algorithm>
#include <cmath>
#include <string>
#include <unordered_map>

namespace mirune::idml {

namespace {

constexpr double kDefaultPointSize = 12;
constexpr double kDefaultAutoLeading = 120;

struct RunMetrics {
  double size = kDefaultPointSize;
  double leading = kDefaultPointSize * kDefaultAutoLeading / 100;
  BreakKind paragraph_start = BreakKind::kNone;
};

// Follows BasedOn links of paragraph styles until `get` finds a value (bounded: cycles stop).
template <typename Get>
auto FromParagraphStyle(const Package& package, std::string self, Get get)
    -> decltype(get(std::declval<const ParagraphStyle&>())) {
  for (int guard = 0; guard < 64 && !self.empty(); ++guard) {
    auto it = package.paragraph_styles.find(self);
    if (it == package.paragraph_styles.end()) break;
    if (auto value = get(it->second)) return value;
    self = it->second.based_on;
  }
  return {};
}

RunMetrics MetricsOf(const Package& package, const TextRun& run) {
  RunMetrics metrics;
  double size = run.point_size;
  std::string style = run.character_style;
  for (int guard = 0; guard < 64 && size <= 0 && !style.empty(); ++guard) {
    auto it = package.character_styles.find(style);
    if (it == package.character_styles.end()) break;
    size = it->second.point_size;
    style = it->second.based_on;
  }
  if (size <= 0) {
    size = FromParagraphStyle(package, run.paragraph_style,
                              [](const ParagraphStyle& s) { return s.point_size; });
  }
  if (!(size > 0) || !std::isfinite(size)) size = kDefaultPointSize;
  metrics.size = std::min(size, 1296.0);

  double leading = run.leading;
  if (leading <= 0) {
    leading = FromParagraphStyle(package, run.paragraph_style,
                                 [](const ParagraphStyle& s) { return s.leading; });
  }
  if (!(leading > 0) || !std::isfinite(leading)) {
    double percent = FromParagraphStyle(package, run.paragraph_style,
                                        [](const ParagraphStyle& s) { return s.auto_leading; });
    if (!(percent > 0) || !std::isfinite(percent)) percent = kDefaultAutoLeading;
    leading = metrics.size * percent / 100;
  }
  metrics.leading = std::max(leading, 0.1);

  metrics.paragraph_start = run.paragraph_start;
  if (metrics.paragraph_start == BreakKind::kNone) {
    int found = FromParagraphStyle(package, run.paragraph_style, [](const ParagraphStyle& s) {
      return s.start_paragraph_set ? static_cast<int>(s.start_paragraph) + 1 : 0;
    });
    if (found > 0) metrics.paragraph_start = static_cast<BreakKind>(found - 1);
  }
  return metrics;
}

struct FrameBox {
  double column_width = 0;
  double column_height = 0;
  int columns = 1;
};

FrameBox BoxOf(const Frame& frame, bool vertical) {
  // The box's size after the frame's own scaling (rotation does not change it).
  const double sx = std::hypot(frame.to_spread.a, frame.to_spread.b);
  const double sy = std::hypot(frame.to_spread.c, frame.to_spread.d);
  double width = frame.inner.Width() * (sx > 0 ? sx : 1) - frame.inset[1] - frame.inset[3];
  double height = frame.inner.Height() * (sy > 0 ? sy : 1) - frame.inset[0] - frame.inset[2];
  if (vertical) std::swap(width, height);
  FrameBox box;
  box.columns = std::max(frame.columns, 1);
  box.column_width = (width - frame.column_gutter * (box.columns - 1)) / box.columns;
  box.column_height = height;
  if (!(box.column_width > 0) || !std::isfinite(box.column_width)) box.column_width = 0;
  if (!(box.column_height > 0) || !std::isfinite(box.column_height)) box.column_height = 0;
  return box;
}

bool IsFullWidth(char32_t c) {
  return (c >= 0x1100 && c <= 0x115F) || (c >= 0x2460 && c <= 0x27BF) ||
         (c >= 0x2E80 && c <= 0x303E) || (c >= 0x3041 && c <= 0x33FF) ||
         (c >= 0x3400 && c <= 0x4DBF) || (c >= 0x4E00 && c <= 0x9FFF) ||
         (c >= 0xA000 && c <= 0xA4CF) || (c >= 0xAC00 && c <= 0xD7A3) ||
         (c >= 0xF900 && c <= 0xFAFF) || (c >= 0xFE30 && c <= 0xFE4F) ||
         (c >= 0xFF00 && c <= 0xFF60) || (c >= 0xFFE0 && c <= 0xFFE6) ||
         (c >= 0x20000 && c <= 0x3FFFD) || c == 0x25A0 || c == 0x25A1 || c == 0x25B2 ||
         c == 0x25B3 || c == 0x25C6 || c == 0x25C7 || c == 0x25CB || c == 0x25CE || c == 0x25CF ||
         c == 0x2605 || c == 0x2606 || c == 0x266A || c == 0x266D || c == 0x266F || c == 0x203B;
}

// The thread of a story's frames, head first. Frames of the story that no thread reaches
// (a broken or looping thread) follow in package order.
std::vector<int> ThreadOf(const Package& package, const std::string& story,
                          const std::vector<int>& frames,
                          const std::unordered_map<std::string, int>& frame_index) {
  std::vector<int> order;
  std::vector<bool> taken(package.frames.size(), false);
  auto same_story = [&](const std::string& self) {
    auto it = frame_index.find(self);
    return it != frame_index.end() && package.frames[static_cast<size_t>(it->second)].story == story
               ? it->second
               : -1;
  };
  for (int head : frames) {
    if (taken[static_cast<size_t>(head)]) continue;
    const Frame& frame = package.frames[static_cast<size_t>(head)];
    if (same_story(frame.previous) >= 0) continue;  // not a head
    for (int at = head; at >= 0 && !taken[static_cast<size_t>(at)];
         at = same_story(package.frames[static_cast<size_t>(at)].next)) {
      taken[static_cast<size_t>(at)] = true;
      order.push_back(at);
    }
  }
  for (int frame : frames) {
    if (!taken[static_cast<size_t>(frame)]) order.push_back(frame);
  }
  return order;
}

struct BreakAt {
  uint32_t position;
  BreakKind kind;
};

class GridFit {
 public:
  GridFit(const Package& package, const Story& story, const std::vector<int>& thread,
          const std::vector<RunMetrics>& metrics, const std::vector<BreakAt>& breaks,
          Composition& out)
      : package_(package),
        story_(story),
        thread_(thread),
        metrics_(metrics),
        breaks_(breaks),
        out_(out) {
    for (int frame : thread) {
      boxes_.push_back(BoxOf(package.frames[static_cast<size_t>(frame)], story.vertical));
    }
  }

  void Run() {
    const uint32_t size = static_cast<uint32_t>(story_.text.size());
    Begin(0, 0);
    size_t next_break = 0;
    bool line_open = false;
    double line_used = 0;
    RunCursor cursor(story_);
    for (uint32_t pos = 0; pos < size; ++pos) {
      while (next_break < breaks_.size() && breaks_[next_break].position < pos) ++next_break;
      if (next_break < breaks_.size() && breaks_[next_break].position == pos) {
        if (!Advance(breaks_[next_break].kind, pos)) return Overset(pos);
        line_open = false;
      }
      const char32_t c = story_.text[pos];
      const RunMetrics& m = metrics_[cursor.RunAt(pos)];
      const double width = GridWidthInEms(c) * m.size;
      if (!line_open || (line_used > 0 && line_used + width > Box().column_width)) {
        if (!NewLine(m.leading, pos)) return Overset(pos);
        line_open = true;
        line_used = 0;
      }
      line_used += width;
      if (c == U'\r' || c == U'\n') line_open = false;
    }
    Close(size);
  }

 private:
  const FrameBox& Box() const { return boxes_[frame_]; }

  void Begin(size_t frame, uint32_t pos) {
    frame_ = frame;
    column_ = 0;
    used_ = 0;
    out_.begin[static_cast<size_t>(thread_[frame])] = pos;
    out_.end[static_cast<size_t>(thread_[frame])] = pos;
  }

  void Close(uint32_t pos) {
    out_.end[static_cast<size_t>(thread_[frame_])] = pos;
    for (size_t f = frame_ + 1; f < thread_.size(); ++f) {
      out_.begin[static_cast<size_t>(thread_[f])] = pos;
      out_.end[static_cast<size_t>(thread_[f])] = pos;
    }
  }

  // Text from `pos` on goes to the next frame; false when there is none.
  bool NextFrame(uint32_t pos) {
    if (frame_ + 1 >= thread_.size()) return false;
    out_.end[static_cast<size_t>(thread_[frame_])] = pos;
    Begin(frame_ + 1, pos);
    return true;
  }

  bool NextColumn(uint32_t pos) {
    if (column_ + 1 < Box().columns) {
      ++column_;
      used_ = 0;
      return true;
    }
    return NextFrame(pos);
  }

  bool Advance(BreakKind kind, uint32_t pos) {
    switch (kind) {
      case BreakKind::kColumn:
        return NextColumn(pos);
      case BreakKind::kFrame:
        return NextFrame(pos);
      case BreakKind::kPage:
      case BreakKind::kOddPage:
      case BreakKind::kEvenPage: {
        const int page = package_.frames[static_cast<size_t>(thread_[frame_])].page;
        if (!NextFrame(pos)) return false;
        while (page >= 0 && package_.frames[static_cast<size_t>(thread_[frame_])].page == page) {
          if (!NextFrame(pos)) return false;
        }
        return true;
      }
      case BreakKind::kNone:
        break;
    }
    return true;
  }

  // Room for one more line of `leading`; moves on when the column is full.
  bool NewLine(double leading, uint32_t pos) {
    for (;;) {
      if (used_ == 0 || used_ + leading <= Box().column_height) {
        used_ += leading;
        return true;
      }
      if (!NextColumn(pos)) return false;
    }
  }

  void Overset(uint32_t pos) { Close(pos); }

  const Package& package_;
  const Story& story_;
  const std::vector<int>& thread_;
  const std::vector<RunMetrics>& metrics_;
  const std::vector<BreakAt>& breaks_;
  Composition& out_;
  std::vector<FrameBox> boxes_;
  size_t frame_ = 0;
  int column_ = 0;
  double used_ = 0;
};

}  // namespace

double GridWidthInEms(char32_t c) {
  if (c < 0x20 || c == 0x2028 || c == 0x2029 || c == 0xFEFF || c == 0x200B) {
    return c == U'\t' ? 0.5 : 0;
  }
  return IsFullWidth(c) ? 1.0 : 0.5;
}

Composition Compose(const Package& package) {
  Composition out;
  const size_t frame_count = package.frames.size();
  out.begin.assign(frame_count, 0);
  out.end.assign(frame_count, 0);
  out.page.assign(frame_count, -1);
  out.story_frames.resize(package.stories.size());
  out.estimated.assign(package.stories.size(), false);

  std::unordered_map<std::string, int> frame_index;
  std::unordered_map<std::string, std::vector<int>> frames_of_story;
  for (size_t i = 0; i < frame_count; ++i) {
    const Frame& frame = package.frames[i];
    frame_index.emplace(frame.self, static_cast<int>(i));
    frames_of_story[frame.story].push_back(static_cast<int>(i));
    out.page[i] = frame.master ? -1 : frame.page;
  }

  for (size_t s = 0; s < package.stories.size(); ++s) {
    const Story& story = package.stories[s];
    auto found = frames_of_story.find(story.self);
    if (found == frames_of_story.end()) continue;
    std::vector<int> thread = ThreadOf(package, story.self, found->second, frame_index);
    out.story_frames[s] = thread;
    const uint32_t size = static_cast<uint32_t>(story.text.size());
    if (thread.size() == 1) {
      out.begin[static_cast<size_t>(thread[0])] = 0;
      out.end[static_cast<size_t>(thread[0])] = size;
      continue;
    }

    std::vector<RunMetrics> metrics;
    metrics.reserve(story.runs.size());
    for (const TextRun& run : story.runs) metrics.push_back(MetricsOf(package, run));

    // Breaks: break characters, then paragraphs that start on a new column, frame or page.
    std::vector<BreakAt> breaks;
    for (const StoryBreak& b : story.breaks) {
      if (b.position > 0 && b.position < size) breaks.push_back({b.position, b.kind});
    }
    RunCursor cursor(story);
    for (uint32_t pos = 1; pos < size; ++pos) {
      if (story.text[pos - 1] != U'\r') continue;
      const BreakKind kind = metrics[cursor.RunAt(pos)].paragraph_start;
      if (kind != BreakKind::kNone) breaks.push_back({pos, kind});
    }
    std::sort(breaks.begin(), breaks.end(),
              [](const BreakAt& x, const BreakAt& y) { return x.position < y.position; });
    breaks.erase(
        std::unique(breaks.begin(), breaks.end(),
                    [](const BreakAt& x, const BreakAt& y) { return x.position == y.position; }),
        breaks.end());

    const bool single_columns = std::all_of(thread.begin(), thread.end(), [&](int f) {
      return package.frames[static_cast<size_t>(f)].columns <= 1;
    });
    if (single_columns && breaks.size() + 1 >= thread.size()) {
      // The breaks alone decide: frame i holds segment i, the last frame the rest.
      uint32_t start = 0;
      for (size_t f = 0; f < thread.size(); ++f) {
        const uint32_t stop = f + 1 < thread.size() ? breaks[f].position : size;
        out.begin[static_cast<size_t>(thread[f])] = start;
        out.end[static_cast<size_t>(thread[f])] = stop;
        start = stop;
      }
      continue;
    }
    out.estimated[s] = size > 0;
    GridFit fit(package, story, thread, metrics, breaks, out);
    fit.Run();
  }

  // Anchored frames lie on the page of the frame holding their anchor character. An anchor
  // can sit in another anchored frame's story, so repeat until nothing changes.
  std::unordered_map<std::string, size_t> story_index;
  for (size_t s = 0; s < package.stories.size(); ++s)
    story_index.emplace(package.stories[s].self, s);
  for (int round = 0; round < 8; ++round) {
    bool changed = false;
    for (size_t i = 0; i < frame_count; ++i) {
      const Frame& frame = package.frames[i];
      if (frame.anchored_in.empty()) continue;
      auto it = story_index.find(frame.anchored_in);
      if (it == story_index.end()) continue;
      int page = -1;
      for (int holder : out.story_frames[it->second]) {
        const size_t h = static_cast<size_t>(holder);
        if (out.begin[h] <= frame.anchor_position && frame.anchor_position < out.end[h]) {
          page = out.page[h];
          break;
        }
      }
      if (page != out.page[i]) {
        out.page[i] = page;
        changed = true;
      }
    }
    if (!changed) break;
  }
  return out;
}

}  // namespace mirune::idml
