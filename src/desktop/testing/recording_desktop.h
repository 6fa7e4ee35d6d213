#pragma once

// A Desktop for tests: records every call in order, answers messages from a script, runs a
// clock that advances only when the job yields, and presses the abort button on request.

#include <deque>
#include <set>
#include <string>
#include <vector>

#include "desktop/desktop.h"

namespace mirune {

class RecordingDesktop : public Desktop {
 public:
  struct Message {
    std::string text;
    std::string title;
    int style;
    int answer;
    std::string cause;  // ShowFailure's cause; empty for plain messages
    bool job_running;   // the job flag of `watched_flags` while it was shown
  };

  int ShowMessage(std::string_view text, std::string_view title, int style) override {
    int answer = PositiveAnswer(style);
    if (!answers.empty()) {
      answer = answers.front();
      answers.pop_front();
    }
    messages.push_back({std::string(text),
                        std::string(title),
                        style,
                        answer,
                        {},
                        watched_flags != nullptr && watched_flags->job_running});
    events.push_back("message " + std::string(title) + " " + std::to_string(style));
    return answer;
  }
  int ShowFailure(std::string_view text, std::string_view cause, std::string_view title,
                  int style) override {
    const int answer = ShowMessage(text, title, style);
    messages.back().cause = std::string(cause);
    return answer;
  }
  void YieldToMessageLoop() override {
    ++yields;
    clock += seconds_per_yield;
    if (abort_window_ != nullptr && press_abort_in_window.count(abort_windows_shown) != 0 &&
        pressed_in_window_ != abort_windows_shown) {
      pressed_in_window_ = abort_windows_shown;
      abort_window_->PressAbortButton();
    }
  }
  double ClockSeconds() override { return clock; }
  void ShowAbortWindow(AbortWindow& window) override {
    abort_window_ = &window;
    ++abort_windows_shown;
    abort_window_names.push_back(window.document_name());
    events.push_back("abort-window " + window.document_name());
  }
  void UpdateAbortWindow(AbortWindow& window) override {
    pause_texts.push_back(window.pause_text());
  }
  void CloseAbortWindow() override {
    abort_window_ = nullptr;
    events.push_back("close-abort-window");
  }
  void ShowInDesign() override {
    indesign_visible = true;
    events.push_back("show-indesign");
  }
  void HideInDesign() override {
    indesign_visible = false;
    events.push_back("hide-indesign");
  }
  void SetSelectionControlsEnabled(bool enabled) override {
    controls_enabled = enabled;
    events.push_back(enabled ? "controls-on" : "controls-off");
  }
  void FocusMainWindow() override { ++focus_calls; }

  // Texts of the messages shown, in order.
  std::vector<std::string> Texts() const {
    std::vector<std::string> out;
    for (const auto& m : messages) out.push_back(m.text);
    return out;
  }

  // Script: answers given in order (then the positive answer of each style), and the
  // abort windows (1-based, in the order shown) during which the button is pressed once.
  std::deque<int> answers;
  std::set<int> press_abort_in_window;
  double seconds_per_yield = 0.25;
  // The job's flags, whose job_running each message records; none when null.
  const JobFlags* watched_flags = nullptr;

  // Record.
  std::vector<Message> messages;
  std::vector<std::string> events;
  std::vector<std::string> abort_window_names;
  std::vector<std::string> pause_texts;  // what the abort window said during its pauses
  int yields = 0;
  int focus_calls = 0;
  int abort_windows_shown = 0;
  double clock = 1000.0;
  bool indesign_visible = true;
  bool controls_enabled = true;

 private:
  AbortWindow* abort_window_ = nullptr;
  int pressed_in_window_ = 0;
};

}  // namespace mirune
