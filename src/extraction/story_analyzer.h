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

// A lookup for machines without a reading dictionary: every word comes back as written, so
// kana terms still get their reading and kanji terms carry the re-check mark.
class UnreadPhoneticLookup : public PhoneticLookup {
 public:
  Result<std::string> Phonetic(std::string_view text) override { return std::string(text); }
};

}  // namespace mirune
