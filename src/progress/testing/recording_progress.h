#pragma once

// A ProgressReporter for tests: records every call in order, checks nothing.

#include <string>
#include <vector>

#include "progress/progress.h"

namespace mirune {

class RecordingProgress : public ProgressReporter {
 public:
  struct Update {
    int32_t done;
    int32_t total;
    std::string activity;
  };

  float StartProgress(std::string_view activity) override {
    starts.emplace_back(activity);
    return full_width;
  }
  Status UpdateProgress(int32_t done, int32_t total, float, std::string_view activity) override {
    if (total == 0) return Status(ErrorCode::kInvalidArgument, "progress total of 0");
    updates.push_back({done, total, std::string(activity)});
    return Status::Ok();
  }
  void FinishProgress(std::string_view activity) override { finishes.emplace_back(activity); }
  void SetField(ProgressField field, std::string_view text) override {
    fields.emplace_back(field, std::string(text));
  }
  void YieldToMessageLoop() override { ++yields; }
  void CloseProgress() override { ++closes; }

  // The done values of every update, in order.
  std::vector<int32_t> Values() const {
    std::vector<int32_t> out;
    for (const auto& u : updates) out.push_back(u.done);
    return out;
  }
  // The last text set for a field, or empty.
  std::string LastField(ProgressField field) const {
    for (auto it = fields.rbegin(); it != fields.rend(); ++it) {
      if (it->first == field) return it->second;
    }
    return {};
  }

  float full_width = 3375;
  std::vector<std::string> starts;
  std::vector<Update> updates;
  std::vector<std::string> finishes;
  std::vector<std::pair<ProgressField, std::string>> fields;
  int yields = 0;
  int closes = 0;
};

}  // namespace mirune
