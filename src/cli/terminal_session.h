#pragma once

// The terminal stand-ins of the desktop and of the progress window, wired together for one
// job: the progress line is cleared before a message is printed, and each progress update
// yields to the desktop (which is where Ctrl+C reaches the job).

#include "cli/terminal.h"
#include "cli/terminal_desktop.h"
#include "desktop/desktop.h"
#include "progress/progress_model.h"
#include "progress/terminal_progress_view.h"

namespace mirune::cli {

class TerminalSession {
 public:
  explicit TerminalSession(TerminalDesktop::Options options)
      : desktop_(flags_, options, [this] { view_.Close(); }),
        view_(
            StderrIsTerminal(), [](std::string_view s) { PrintErr(s); },
            [this] { desktop_.YieldToMessageLoop(); }),
        progress_(view_) {}
  TerminalSession(const TerminalSession&) = delete;
  TerminalSession& operator=(const TerminalSession&) = delete;

  JobFlags& flags() { return flags_; }
  TerminalDesktop& desktop() { return desktop_; }
  TerminalProgressView& view() { return view_; }
  ProgressWindowModel& progress() { return progress_; }

 private:
  JobFlags flags_;
  TerminalDesktop desktop_;
  TerminalProgressView view_;
  ProgressWindowModel progress_;
};

}  // namespace mirune::cli
