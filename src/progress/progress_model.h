#pragma once

// The progress window as a model: the arithmetic of StartProgress, UpdateProgress and
// FinishProgress and the fields the window shows. A ProgressView renders the model (the
// Windows window, the terminal bar); the model implements ProgressReporter for the jobs.

#include <cstdint>
#include <functional>
#include <string>
#include <string_view>

#include "base/result.h"
#include "progress/progress.h"

namespace mirune {

// Bar length for done/total of `full_width`: done ÷ total × full width in double
// precision, rounded to the nearest whole number (halves to even), as a 32-bit integer.
// kInvalidArgument for a total of 0, kOverflow when the result leaves 32 bits.
Result<int32_t> ProgressBarLength(int32_t done, int32_t total, double full_width);
// Percentage done ÷ total × 100, rounded the same way.
Result<int32_t> ProgressPercent(int32_t done, int32_t total);
// "40％"; anything above 100 shows as "100％".
std::string ProgressPercentText(int32_t percent);
// The width of the filled bar: 98 % of the bar length (it ends inside the track).
inline double FilledBarWidth(int32_t bar_length) { return bar_length * 0.98; }

// What the progress window shows.
struct ProgressWindowState {
  bool open = false;
  std::string activity;       // activity text
  double track_width = 3375;  // full width of the track (twips in the Windows window)
  double bar_width = 0;       // width of the filled bar
  std::string percent_text;   // "40％"
  bool track_text_white = false;
  std::string document_name;     // "対象文書名 ："
  std::string document_counter;  // "処理中のドキュメント数 ："
  std::string story_counter;     // "処理中のストーリー数   ："
  std::string entry_count;       // "抽出された索引語句数   ："
  std::string entry_caption = "抽出された索引語句数   ：";
};

class ProgressView {
 public:
  virtual ~ProgressView() = default;
  // Shows the state (the window opens on the first render after a start).
  virtual void Render(const ProgressWindowState& state) = 0;
  // Closes the window.
  virtual void Close() = 0;
  // The pause of about a second after 100 % has been shown.
  virtual void PauseAfterFinish() = 0;
  // One pass through the message loop.
  virtual void Yield() = 0;
};

class ProgressWindowModel : public ProgressReporter {
 public:
  explicit ProgressWindowModel(ProgressView& view, double track_width = 3375) : view_(view) {
    state_.track_width = track_width;
  }

  float StartProgress(std::string_view activity) override;
  Status UpdateProgress(int32_t done, int32_t total, float full_width,
                        std::string_view activity) override;
  void FinishProgress(std::string_view activity) override;
  void SetField(ProgressField field, std::string_view text) override;
  void YieldToMessageLoop() override { view_.Yield(); }

  void CloseProgress() override { Close(); }

  // Closes the window without the 100 % display (a job that ends early).
  void Close();

  const ProgressWindowState& state() const { return state_; }

 private:
  ProgressView& view_;
  ProgressWindowState state_;
};

// Waits until the elapsed time, rounded to whole seconds (halves to even), reaches
// `seconds`. `clock` gives seconds since midnight (a day wrap is handled); `sleep` pauses
// briefly. Window messages are not processed.
void WaitRoundedSeconds(int seconds, const std::function<double()>& clock,
                        const std::function<void()>& sleep);

}  // namespace mirune
