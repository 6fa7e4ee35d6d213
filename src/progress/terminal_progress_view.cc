#include "progress/terminal_progress_view.h"

#include <algorithm>
#include <cmath>

namespace mirune {

namespace {
constexpr int kBarCells = 20;
}

TerminalProgressView::TerminalProgressView(bool is_terminal,
                                           std::function<void(std::string_view)> write,
                                           std::function<void()> yield)
    : is_terminal_(is_terminal), write_(std::move(write)), yield_(std::move(yield)) {}

std::string TerminalProgressView::FormatLine(const ProgressWindowState& state) {
  const double full = state.track_width * 0.98;
  int cells = full > 0 ? static_cast<int>(std::lround(state.bar_width / full * kBarCells)) : 0;
  cells = std::clamp(cells, 0, kBarCells);
  std::string line = state.activity;
  line += " [";
  for (int i = 0; i < kBarCells; ++i) line += i < cells ? "#" : "-";
  line += "] ";
  line += state.percent_text.empty() ? "0％" : state.percent_text;
  if (!state.document_counter.empty()) line += "  文書 " + state.document_counter;
  if (!state.story_counter.empty()) line += "  ストーリー " + state.story_counter;
  if (!state.entry_count.empty()) line += "  語句 " + state.entry_count;
  return line;
}

void TerminalProgressView::Render(const ProgressWindowState& state) {
  if (!is_terminal_ || !state.open) return;
  const auto now = std::chrono::steady_clock::now();
  // A new activity or document is drawn at once; anything else at most every 100 ms, so a
  // long job does not spend its time writing to the terminal.
  const std::string key = state.activity + "|" + state.document_counter;
  if (key == last_key_ && now - last_draw_ < std::chrono::milliseconds(100) &&
      state.percent_text != "100％") {
    return;
  }
  last_key_ = key;
  last_draw_ = now;
  write_("\r\x1b[K" + FormatLine(state));
  drawn_ = true;
}

void TerminalProgressView::Close() {
  if (!drawn_) return;
  write_("\r\x1b[K");
  drawn_ = false;
  last_key_.clear();
}

}  // namespace mirune
