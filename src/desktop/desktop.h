#pragma once

// The desktop as the jobs see it: message boxes, the abort window before each document,
// yielding to the message loop, showing and hiding InDesign, and the main window's
// selection controls. Implementations: the Win32 shell, the terminal of the command line
// (cli/terminal_desktop.h) and the recording fake of the tests
// (desktop/testing/recording_desktop.h).
//
// Everything runs on one thread. A job calls YieldToMessageLoop at fixed points; during
// those calls the desktop may press the abort button of the abort window (Win32: the user
// clicked it; terminal: Ctrl+C; fake: scripted), which reaches the job through JobFlags.

#include <string>
#include <string_view>

namespace mirune {

// Message-box styles (Win32 flag words) used by the jobs.
inline constexpr int kStyleOk = 0;                // OK
inline constexpr int kStyleRefusal = 48;          // OK, exclamation: refusals and errors
inline constexpr int kStyleConfirmStart = 65;     // OK and Cancel, information
inline constexpr int kStyleUnsavedWarning = 49;   // OK and Cancel, exclamation
inline constexpr int kStyleCompletion = 64;       // OK, information
inline constexpr int kStyleAbortQuestion = 4132;  // Yes and No, question, system-modal
inline constexpr int kStyleMissingMedium = 21;    // Retry and Cancel, critical

// Message-box answers (Win32 button ids).
inline constexpr int kAnswerOk = 1;
inline constexpr int kAnswerCancel = 2;
inline constexpr int kAnswerAbort = 3;
inline constexpr int kAnswerRetry = 4;
inline constexpr int kAnswerIgnore = 5;
inline constexpr int kAnswerYes = 6;
inline constexpr int kAnswerNo = 7;

// The buttons a style offers (its low four bits).
enum class MessageButtons { kOk, kOkCancel, kAbortRetryIgnore, kYesNoCancel, kYesNo, kRetryCancel };
MessageButtons ButtonsOfStyle(int style);
// The answer that stands for "no" / "stop" in a style (Cancel, No; OK for an OK-only box).
int NegativeAnswer(int style);
// The answer that stands for "yes" / "go on" in a style (OK, Yes, Retry).
int PositiveAnswer(int style);

// Message titles.
inline constexpr std::string_view kTitleCheck = "確認";
inline constexpr std::string_view kTitleProduct = "ミルネ Ver1.0";
inline constexpr std::string_view kTitleError = "エラー";

// The two flags shared between the windows and a running job (one instance per session).
struct JobFlags {
  bool job_running = false;      // a job runs; main-window handlers return at once
  bool abort_requested = false;  // the user confirmed the abort question
};

// Holds JobFlags::job_running for its life: set when made, cleared when it goes, on every
// way out of the job that holds it.
class JobRunningScope {
 public:
  explicit JobRunningScope(JobFlags& flags) : flags_(flags) { flags_.job_running = true; }
  ~JobRunningScope() { flags_.job_running = false; }
  JobRunningScope(const JobRunningScope&) = delete;
  JobRunningScope& operator=(const JobRunningScope&) = delete;

 private:
  JobFlags& flags_;
};

class AbortWindow;

class Desktop {
 public:
  virtual ~Desktop() = default;

  // Shows a modal message box; returns the answer (kAnswerOk …). Lines are joined by CR LF.
  virtual int ShowMessage(std::string_view text, std::string_view title, int style) = 0;

  // Shows a job's fixed message about a failure together with its precise cause (Japanese,
  // naming what failed). The cause is kept apart so that each desktop can put it where the
  // user looks first: a message box shows one line "原因: cause" above the text
  // (FailureMessageText, this default); the terminal prints the cause first. An empty cause
  // shows the text alone.
  virtual int ShowFailure(std::string_view text, std::string_view cause, std::string_view title,
                          int style);

  // One pass through the message loop: repaints, and lets the user press buttons.
  virtual void YieldToMessageLoop() = 0;

  // Seconds on a clock that does not jump (elapsed times and pauses are differences).
  virtual double ClockSeconds() = 0;

  // Shows or refreshes the abort window for `window` (its fields: window.document_name()).
  // While it is shown, the desktop may call window.PressAbortButton() during yields.
  virtual void ShowAbortWindow(AbortWindow& window) = 0;
  virtual void CloseAbortWindow() = 0;
  // Refreshes what the shown abort window says about its pause (window.pause_text()); the
  // default shows nothing of it.
  virtual void UpdateAbortWindow(AbortWindow& window) {}

  // Shows / hides InDesign's windows (the desktop detection of the shell).
  virtual void ShowInDesign() = 0;
  virtual void HideInDesign() = 0;

  // Enables or disables the main window's selection controls (drive, folder, file,
  // file-type box, check box); gives the main window the focus.
  virtual void SetSelectionControlsEnabled(bool enabled) = 0;
  virtual void FocusMainWindow() = 0;

  // Whether the abort window waits before each document (the Windows window does; the
  // command line, where Ctrl+C requests the abort, does not).
  virtual bool HasAbortPause() const { return true; }
};

// The abort window shown before each document: document name, the button "処理中止".
// The job drives it: Show, Pause (yields for five seconds), Close; then reads
// flags.abort_requested at its check point.
class AbortWindow {
 public:
  static constexpr std::string_view kQuestion = "処理を中止しますか？";
  static constexpr std::string_view kCaption = "進行状況";
  static constexpr std::string_view kHint = "処理中止ボタンで中止することができます";
  static constexpr std::string_view kButton = "処理中止";
  static constexpr std::string_view kDocumentCaption = "対象文書名 ：";
  // The window's static progress look, which nothing updates.
  static constexpr std::string_view kStaticActivity = "索引抽出処理の準備中です...　";
  static constexpr std::string_view kStaticPercent = "5％";

  AbortWindow(Desktop& desktop, JobFlags& flags) : desktop_(desktop), flags_(flags) {}

  // Sets the document name; shows the window (again) and refreshes it.
  void Show(std::string_view document_name);
  void SetDocumentName(std::string_view name) { document_name_ = name; }
  // Waits, yielding to the message loop continually, until the elapsed time since the
  // start of the wait, rounded to whole seconds (halves to even), reaches `seconds`. A
  // desktop without the pause yields once.
  void Pause(int seconds = 5);
  void Close();

  // The button "処理中止": asks kQuestion (title "確認", style 4132); Yes sets
  // flags.abort_requested; No changes nothing. Does not close the window.
  void PressAbortButton();
  // An abort request that needs no question (Ctrl+C on a terminal).
  void RequestAbort() { flags_.abort_requested = true; }

  const std::string& document_name() const { return document_name_; }
  // During the pause, what is being done: "あと N 秒で抽出を始めます", N the
  // whole seconds left; empty outside the pause.
  const std::string& pause_text() const { return pause_text_; }
  bool visible() const { return visible_; }
  // A close by the user (close box, system menu) is refused while a job runs.
  bool UserMayClose() const { return !flags_.job_running; }

 private:
  Desktop& desktop_;
  JobFlags& flags_;
  std::string document_name_;
  std::string pause_text_;
  bool visible_ = false;
};

// A failure's message box text: the cause on the first line ("原因: cause"), an empty line,
// then the job's fixed text; the text alone when the cause is empty.
std::string FailureMessageText(std::string_view text, std::string_view cause);

// Rounds to the nearest whole number, halves to even (as the pauses and the progress
// arithmetic round).
long long RoundHalfEven(double value);

}  // namespace mirune
