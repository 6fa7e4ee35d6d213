#pragma once

// The extraction's story analysis: the tagged-text scan of the analysis library, with the
// reading services the caller chose.

#include "analysis/phonetic.h"
#include "extraction/extraction_job.h"

namespace mirune {

class TaggedStoryAnalyzer : public StoryAnalyzer {
 public:
  // Not owned; both must outlive the analyzer.
  TaggedStoryAnalyzer(WordDivider& divider, PhoneticLookup& lookup)
      : divider_(divider), lookup_(lookup) {}

  Status AnalyzeStory(const StoryFiles& files, EntryList& entries, ProgressReporter& progress,
                      float full_width) override;

 private:
  WordDivider& divider_;
  PhoneticLookup& lookup_;
};

}  // namespace mirune
