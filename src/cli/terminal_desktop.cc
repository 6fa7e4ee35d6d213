#include "cli/terminal_desktop.h"

#include <atomic>
#include <chrono>
#include <cstdio>
#include <iostream>
#include <string>

#include "cli/stop_requests.h"
#include "cli/terminal.h"

namespace mirune::cli {
namespace {

std::atomic<bool> g_interrupt{false};

void OnStopRequest() { g_interrupt.store(true); }

std::string Lower(std::string text) {
  for (char& c : text) {
    if (c >= 'A' && c <= 'Z') c = static_cast<char>(c - 'A' + 'a');
  }
  return text;
}

}  // namespace

TerminalDesktop::TerminalDesktop(JobFlags& flags, Options options,
                                 std::function<void()> before_print)
    : flags_(flags), options_(options), before_print_(std::move(before_print)) {
  g_interrupt.store(false);
  InstallStopRequestHandlers(OnStopRequest);
}

TerminalDesktop::~TerminalDesktop() { RemoveStopRequestHandlers(); }

std::string TerminalDesktop::FormatMessage(std::string_view text, std::string_view title) {
  std::string out;
  out.reserve(title.size() + text.size() + 3);
  out += '[';
  out += title;
  out += "] ";
  for (size_t i = 0; i < text.size(); ++i) {
    const char c = text[i];
    if ((c == '\r' || c == '\n') && i + 1 < text.size() &&
        (text[i + 1] == '\r' || text[i + 1] == '\n') && text[i + 1] != c) {
      out += '\n';
      ++i;
    } else if (c == '\r') {
      out += '\n';
    } else {
      out += c;
    }
  }
  return out;
}

bool TerminalDesktop::IsReport(int style) {
  constexpr int kIconMask = 0xF0;
  constexpr int kIconInformation = 0x40;
  return ButtonsOfStyle(style) == MessageButtons::kOk &&
         ((style & kIconMask) == 0 || (style & kIconMask) == kIconInformation);
}

int TerminalDesktop::ShowFailure(std::string_view text, std::string_view cause,
                                 std::string_view title, int style) {
  if (!cause.empty()) {
    if (before_print_) before_print_();
    PrintErr(options_.command.empty() ? std::string(cause) + "\n"
                                      : CommandLine(options_.command, cause));
  }
  return ShowMessage(text, title, style);
}

int TerminalDesktop::ShowMessage(std::string_view text, std::string_view title, int style) {
  if (before_print_) before_print_();
  const bool report = IsReport(style);
  auto print = [report](std::string_view s) { report ? PrintOut(s) : PrintErr(s); };
  print(FormatMessage(text, title) + "\n");
  if (ButtonsOfStyle(style) == MessageButtons::kOk) return kAnswerOk;
  const bool yes_no = ButtonsOfStyle(style) == MessageButtons::kYesNo ||
                      ButtonsOfStyle(style) == MessageButtons::kYesNoCancel;
  if (options_.assume_yes) {
    print(yes_no ? "→ はい (--yes)\n" : "→ OK (--yes)\n");
    return PositiveAnswer(style);
  }
  if (!options_.interactive) {
    print(std::string("→ ") + (yes_no ? "いいえ" : "キャンセル") +
          "（端末から実行されていないため。OK と答えるには --yes を付けて下さい）\n");
    return NegativeAnswer(style);
  }
  for (;;) {
    PrintErr(yes_no ? "はい/いいえ [y/n]: " : "OK/キャンセル [o/c]: ");
    std::string line;
    if (!ReadInputLine(&line)) {
      PrintErr("\n");
      return NegativeAnswer(style);
    }
    while (!line.empty() && (line.back() == '\r' || line.back() == ' ')) line.pop_back();
    const std::string answer = Lower(line);
    if (answer == "o" || answer == "ok" || answer == "y" || answer == "yes" || answer == "はい") {
      return PositiveAnswer(style);
    }
    if (answer == "c" || answer == "cancel" || answer == "n" || answer == "no" ||
        answer == "いいえ" || answer == "キャンセル") {
      return NegativeAnswer(style);
    }
  }
}

void TerminalDesktop::YieldToMessageLoop() {
  if (!g_interrupt.exchange(false)) return;
  if (abort_window_ != nullptr) {
    abort_window_->RequestAbort();
  } else {
    flags_.abort_requested = true;
  }
  if (!interrupted_) {
    interrupted_ = true;
    if (before_print_) before_print_();
    PrintErr(
        "中止を受け付けました。次の文書に進む前に中止します（もう一度 Ctrl+C で強制終了）。\n");
  }
}

double TerminalDesktop::ClockSeconds() {
  using namespace std::chrono;
  return duration<double>(steady_clock::now().time_since_epoch()).count();
}

}  // namespace mirune::cli
