#pragma once

// The analysis of one exported story: InDesign tagged text in, entry lines (term TAB reading
// TAB page) out, appended to the job's entry list.
//
//   ScanTaggedStory     reads and decodes the file, strips the tags and flags the marked
//                       terms (PrepareStoryText), then
//   CollectMarkedRuns   takes the flagged terms and the page lines out in story order and
//                       deletes the tagged-text file, then
//   BuildEntryLines     gives each term the page of the next page line and its reading
//                       (TermReading), and appends the lines to the entry list, which is
//                       tidied (TidyIndexDocument).
//
// Page markers: the extraction puts "◆♭♪", the page name formatted "0000", "♪♭◆" at the end
// of the text of every text frame before the export. A term gets the whole number of the
// page of the next marker after it in its story (page 12345 gives 12345), or an empty page
// field when no marker follows.

#include <cstdint>
#include <functional>
#include <string>
#include <string_view>
#include <vector>

#include "analysis/entry_list.h"
#include "analysis/phonetic.h"
#include "analysis/text_engine.h"
#include "base/result.h"
#include "progress/progress.h"

namespace mirune {

// What the analysis of a story works with. Not owned; all must outlive the call.
struct AnalysisContext {
  EntryList* entries = nullptr;          // required: the job's entry list
  WordDivider* divider = nullptr;        // required: divides terms into words
  PhoneticLookup* lookup = nullptr;      // required: reads kanji words
  ProgressReporter* progress = nullptr;  // optional: the job's progress window
  float progress_full_width = 0;         // what StartProgress returned
};

// The job's entry point, once per exported story. Reads `export_path` (UTF-16 tagged text:
// little-endian with BOM as InDesign exports it, big-endian, or without BOM; CR, LF or
// CR LF line ends), analyses it, appends the story's entry lines to ctx.entries and tidies
// the list. Progress goes to ctx.progress on a scale of 100 with kExtractingActivity at 43,
// 45, 46, 48, 50, 51, 52, 54, 55, 56, 58, and when the story has a run list also at 59, 60,
// once per run-list paragraph (i ÷ N × 37 + 60, rounded), 98 and 100, each followed by one
// YieldToMessageLoop; the job's EntryCount is shown in ProgressField::kEntryCount after each
// entry line. The file is deleted as soon as the marked runs are collected.
// Errors (the story's entry lines are then not appended, and the entry count is unchanged):
//   kNotFound / kIoError  the file cannot be read or deleted (message names the path);
//   kFormatError          not UTF-16 tagged text; or a term stands on a page whose name is
//                         not a number (message names the page text and the term);
//   codes of the reading services when they fail.
Status ScanTaggedStory(const std::string& export_path, AnalysisContext& ctx);

// The same for the bytes of a tagged-text file, without touching any file. `after_collect`,
// when given, runs once the marked runs are collected; an error from it ends the analysis.
Status AnalyseTaggedStory(std::string_view bytes, AnalysisContext& ctx,
                          const std::function<Status()>& after_collect = nullptr);

// --- The steps, for tests and tools. -----------------------------------------------------

// Decodes a tagged-text file to UTF-16 with every paragraph break as CR (U+000D). Fails with
// kFormatError when the bytes are not UTF-16 or do not begin with a tagged-text header such
// as "<UNICODE-WIN>".
Result<std::u16string> DecodeTaggedText(std::string_view bytes);

// The story's text without any tag, marked terms highlighted, page markers moved out of
// terms and never highlighted, escaped brackets "\<" "\>" as "<" ">".
TextDocument PrepareStoryText(std::u16string tagged_text);

// The run list of a prepared story: the text of every highlighted run and every page line
// ("♭♪", page, "♪♭"), in story order, TAB turned into U+3000.
std::vector<std::u16string> CollectMarkedRuns(TextDocument& story);

// The story's part of the entry list, as BuildEntryLines leaves it: one paragraph per
// run-list paragraph, each an entry line or empty (page lines and empty items), joined by
// CR; and the number of entry lines.
struct StoryEntries {
  std::string text;
  int64_t entry_count = 0;
};
// Builds the entry lines of a run list. Uses ctx.divider, ctx.lookup and ctx.progress;
// shows ctx.entries->entry_count() plus the lines so far as the EntryCount; does not change
// ctx.entries.
Result<StoryEntries> BuildEntryLines(const std::vector<std::u16string>& run_list,
                                     AnalysisContext& ctx);

// The page field of a page text: the whole number without leading zeros ("0012" → "12",
// "12345" → "12345"). Fails with kFormatError when the text is not a number; the message
// names the page text and `term`.
Result<std::string> PageNumberText(std::string_view page_text, std::string_view term);

}  // namespace mirune
