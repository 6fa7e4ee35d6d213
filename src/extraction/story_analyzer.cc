#include "extraction/story_analyzer.h"

#include "analysis/story_scan.h"

namespace mirune {

Status TaggedStoryAnalyzer::AnalyzeStory(const StoryFiles& files, EntryList& entries,
                                         ProgressReporter& progress, float full_width) {
  AnalysisContext context;
  context.entries = &entries;
  context.divider = &divider_;
  context.lookup = &lookup_;
  context.progress = &progress;
  context.progress_full_width = full_width;
  context.story_name = files.story_name;
  context.doubts = doubts_;
  context.book = &book_;
  return ScanTaggedStory(files.export_path, context);
}

Status TaggedStoryAnalyzer::FinishBook(EntryList& entries) {
  book_.Finish(entries, doubts_);
  return Status::Ok();
}

}  // namespace mirune
