#pragma once

// The extraction's story analysis: the tagged-text scan of the analysis library, with the
// reading services the caller chose.

#include "analysis/phonetic.h"
#include "extraction/extraction_job.h"

namespace mirune {

class TaggedStoryAnalyzer : public StoryAnalyzer {
 public:
  // Not owned; all must outlive the analyzer. `doubts`, when given, tells which readings may
  // be wrong (the entry list's reading checks).
  TaggedStoryAnalyzer(WordDivider& divider, PhoneticLookup& lookup,
                      const ReadingDoubts* doubts = nullptr)
      : divider_(divider), lookup_(lookup), doubts_(doubts) {}

  Status AnalyzeStory(const StoryFiles& files, EntryList& entries, ProgressReporter& progress,
                      float full_width) override;

 private:
  WordDivider& divider_;
  PhoneticLookup& lookup_;
  const ReadingDoubts* doubts_;
};

}  // namespace mirune
