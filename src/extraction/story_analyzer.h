#pragma once

// The extraction's story analysis: the tagged-text scan of the analysis library, with the
// reading services the caller chose. The book's ruby is gathered across the job's stories
// (analysis/book_readings.h) and finished when the last story is done.

#include "analysis/book_readings.h"
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
  void BeginBook() override { book_.Clear(); }
  Status FinishBook(EntryList& entries) override;

 private:
  BookReadings book_;
  WordDivider& divider_;
  PhoneticLookup& lookup_;
  const ReadingDoubts* doubts_;
};

}  // namespace mirune
