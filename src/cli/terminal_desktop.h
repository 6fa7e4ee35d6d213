#pragma once

// The desktop of the command line. Messages print as "[title] text": reports (information
// boxes with OK only) on standard output, questions, warnings, refusals and errors on standard
// error, a failure's precise cause before the job's fixed text. Questions (OK/Cancel, Yes/No)
// are asked on the terminal, answered OK by --yes, and answered Cancel when there is no
// terminal to ask (the program says so). There is no pause before
// each document: Ctrl+C requests the abort, which the job honours before its next document;
// a second Ctrl+C ends the program at once.

#include <functional>
#include <string>
#include <string_view>

#include "desktop/desktop.h"

namespace mirune::cli {

class TerminalDesktop : public Desktop {
 public:
  struct Options {
    bool assume_yes = false;   // --yes
    bool interactive = false;  // standard input is a terminal (the prompt goes to stderr)
    // The sub-command ("extract"): a failure's cause is printed as "mirune extract: cause",
    // like the command's own causes. Empty: the cause alone.
    std::string command = {};
  };
  // `before_print` clears the progress line before anything is printed.
  TerminalDesktop(JobFlags& flags, Options options, std::function<void()> before_print = {});
  ~TerminalDesktop() override;

  int ShowMessage(std::string_view text, std::string_view title, int style) override;
  int ShowFailure(std::string_view text, std::string_view cause, std::string_view title,
                  int style) override;
  void YieldToMessageLoop() override;
  double ClockSeconds() override;
  void ShowAbortWindow(AbortWindow& window) override { abort_window_ = &window; }
  void CloseAbortWindow() override { abort_window_ = nullptr; }
  void ShowInDesign() override {}
  void HideInDesign() override {}
  void SetSelectionControlsEnabled(bool) override {}
  void FocusMainWindow() override {}
  bool HasAbortPause() const override { return false; }

  // Whether Ctrl+C was pressed during the job.
  bool interrupted() const { return interrupted_; }

  // "[title] text" with the message's line breaks (CR LF, LF CR) as LF.
  static std::string FormatMessage(std::string_view text, std::string_view title);
  // Whether a box of `style` is a report for standard output (OK only, information or no
  // icon) rather than a question, warning or error for standard error.
  static bool IsReport(int style);

 private:
  JobFlags& flags_;
  Options options_;
  std::function<void()> before_print_;
  AbortWindow* abort_window_ = nullptr;
  bool interrupted_ = false;
};

}  // namespace mirune::cli
