#include "progress/progress_model.h"

#include <cmath>
#include <limits>

namespace mirune {
namespace {

long long RoundHalfEvenValue(double value) {
  const double lower = std::floor(value);
  const double diff = value - lower;
  const long long n = static_cast<long long>(lower);
  if (diff > 0.5) return n + 1;
  if (diff < 0.5) return n;
  return (n % 2 == 0) ? n : n + 1;
}

Result<int32_t> RoundToInt32(double value) {
  if (!std::isfinite(value) || value >= 2147483647.5 || value < -2147483648.5) {
    return Result<int32_t>(ErrorCode::kOverflow, "進行状況の値が範囲外です");
  }
  return static_cast<int32_t>(RoundHalfEvenValue(value));
}

}  // namespace

void WaitRoundedSeconds(int seconds, const std::function<double()>& clock,
                        const std::function<void()>& sleep) {
  const double start = clock();
  for (;;) {
    double elapsed = clock() - start;
    if (elapsed < 0) elapsed += 86400.0;  // the clock passed midnight
    if (RoundHalfEvenValue(elapsed) >= seconds) return;
    sleep();
  }
}

Result<int32_t> ProgressBarLength(int32_t done, int32_t total, double full_width) {
  if (total == 0) return Result<int32_t>(ErrorCode::kInvalidArgument, "進行状況の全体量が 0 です");
  return RoundToInt32(static_cast<double>(done) / total * full_width);
}

Result<int32_t> ProgressPercent(int32_t done, int32_t total) {
  if (total == 0) return Result<int32_t>(ErrorCode::kInvalidArgument, "進行状況の全体量が 0 です");
  return RoundToInt32(static_cast<double>(done) / total * 100.0);
}

std::string ProgressPercentText(int32_t percent) {
  if (percent > 100) return "100％";
  return std::to_string(percent) + "％";
}

float ProgressWindowModel::StartProgress(std::string_view activity) {
  state_.bar_width = 0;
  state_.activity = activity;
  state_.open = true;
  state_.track_text_white = false;
  view_.Render(state_);
  return static_cast<float>(state_.track_width);
}

Status ProgressWindowModel::UpdateProgress(int32_t done, int32_t total, float full_width,
                                           std::string_view activity) {
  state_.activity = activity;
  MIRUNE_ASSIGN_OR_RETURN(const int32_t bar, ProgressBarLength(done, total, full_width));
  MIRUNE_ASSIGN_OR_RETURN(const int32_t percent, ProgressPercent(done, total));
  state_.bar_width = FilledBarWidth(bar);
  state_.percent_text = ProgressPercentText(percent);
  state_.open = true;
  view_.Render(state_);
  return Status::Ok();
}

void ProgressWindowModel::FinishProgress(std::string_view activity) {
  state_.activity = activity;
  state_.bar_width = state_.track_width * 0.98;
  state_.percent_text = "100％";
  state_.track_text_white = true;
  view_.Render(state_);
  view_.PauseAfterFinish();
  Close();
}

void ProgressWindowModel::SetField(ProgressField field, std::string_view text) {
  switch (field) {
    case ProgressField::kDocumentName:
      state_.document_name = text;
      break;
    case ProgressField::kDocumentCounter:
      state_.document_counter = text;
      break;
    case ProgressField::kStoryCounter:
      state_.story_counter = text;
      break;
    case ProgressField::kEntryCount:
      state_.entry_count = text;
      break;
    case ProgressField::kEntryCaption:
      state_.entry_caption = text;
      break;
  }
  if (state_.open) view_.Render(state_);
}

void ProgressWindowModel::Close() {
  if (!state_.open) return;
  state_.open = false;
  view_.Close();
}

}  // namespace mirune
