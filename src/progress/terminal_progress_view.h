#pragma once

// The progress window of the command line: one line on standard error, redrawn in place
// (activity text, bar, percentage, document and story counters, extracted terms). Draws
// only when standard error is a terminal; redraws at most every 100 ms unless the
// activity or the document changes, or 100 % is reached.

#include <chrono>
#include <functional>
#include <string>
#include <string_view>

#include "progress/progress_model.h"

namespace mirune {

class TerminalProgressView : public ProgressView {
 public:
  // `write` prints UTF-8 to standard error; `yield` is the desktop's pass through its loop.
  TerminalProgressView(bool is_terminal, std::function<void(std::string_view)> write,
                       std::function<void()> yield = {});

  void Render(const ProgressWindowState& state) override;
  void Close() override;
  void PauseAfterFinish() override {}
  void Yield() override {
    if (yield_) yield_();
  }

  // The line drawn for a state (without the leading carriage return); for tests.
  static std::string FormatLine(const ProgressWindowState& state);

 private:
  bool is_terminal_;
  std::function<void(std::string_view)> write_;
  std::function<void()> yield_;
  bool drawn_ = false;
  std::string last_key_;
  std::chrono::steady_clock::time_point last_draw_{};
};

}  // namespace mirune
