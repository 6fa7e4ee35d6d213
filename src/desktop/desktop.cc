#include "desktop/desktop.h"

#include <cmath>
#include <string>

namespace mirune {

std::string FailureMessageText(std::string_view text, std::string_view cause) {
  if (cause.empty()) return std::string(text);
  std::string joined = "原因: ";
  joined += cause;
  joined += "\r\n\r\n";
  joined += text;
  return joined;
}

int Desktop::ShowFailure(std::string_view text, std::string_view cause, std::string_view title,
                         int style) {
  return ShowMessage(FailureMessageText(text, cause), title, style);
}

MessageButtons ButtonsOfStyle(int style) {
  switch (style & 0xF) {
    case 1:
      return MessageButtons::kOkCancel;
    case 2:
      return MessageButtons::kAbortRetryIgnore;
    case 3:
      return MessageButtons::kYesNoCancel;
    case 4:
      return MessageButtons::kYesNo;
    case 5:
      return MessageButtons::kRetryCancel;
    default:
      return MessageButtons::kOk;
  }
}

int NegativeAnswer(int style) {
  switch (ButtonsOfStyle(style)) {
    case MessageButtons::kOk:
      return kAnswerOk;
    case MessageButtons::kOkCancel:
    case MessageButtons::kYesNoCancel:
    case MessageButtons::kRetryCancel:
      return kAnswerCancel;
    case MessageButtons::kAbortRetryIgnore:
      return kAnswerAbort;
    case MessageButtons::kYesNo:
      return kAnswerNo;
  }
  return kAnswerCancel;
}

int PositiveAnswer(int style) {
  switch (ButtonsOfStyle(style)) {
    case MessageButtons::kOk:
    case MessageButtons::kOkCancel:
      return kAnswerOk;
    case MessageButtons::kYesNoCancel:
    case MessageButtons::kYesNo:
      return kAnswerYes;
    case MessageButtons::kRetryCancel:
    case MessageButtons::kAbortRetryIgnore:
      return kAnswerRetry;
  }
  return kAnswerOk;
}

long long RoundHalfEven(double value) {
  const double lower = std::floor(value);
  const double diff = value - lower;
  long long n = static_cast<long long>(lower);
  if (diff > 0.5) return n + 1;
  if (diff < 0.5) return n;
  return (n % 2 == 0) ? n : n + 1;
}

void AbortWindow::Show(std::string_view document_name) {
  document_name_ = document_name;
  visible_ = true;
  desktop_.ShowAbortWindow(*this);
}

void AbortWindow::Pause(int seconds) {
  if (!desktop_.HasAbortPause()) {
    desktop_.YieldToMessageLoop();
    return;
  }
  const double start = desktop_.ClockSeconds();
  long long shown = -1;
  // A clock that went backwards (it should not) ends the wait rather than hanging it.
  for (;;) {
    const double elapsed = desktop_.ClockSeconds() - start;
    if (elapsed < 0 || RoundHalfEven(elapsed) >= seconds) break;
    // The window says what the wait is for, counting down the whole seconds left.
    const long long left = seconds - static_cast<long long>(elapsed);
    if (left != shown) {
      shown = left;
      pause_text_ = "あと " + std::to_string(left) + " 秒で抽出を始めます";
      desktop_.UpdateAbortWindow(*this);
    }
    desktop_.YieldToMessageLoop();
  }
  pause_text_.clear();
}

void AbortWindow::Close() {
  if (!visible_) return;
  visible_ = false;
  desktop_.CloseAbortWindow();
}

void AbortWindow::PressAbortButton() {
  if (desktop_.ShowMessage(kQuestion, kTitleCheck, kStyleAbortQuestion) == kAnswerYes) {
    flags_.abort_requested = true;
  }
}

}  // namespace mirune
