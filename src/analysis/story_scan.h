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
// page of the next marker after it in its story, as its page field (analysis/page_field.h:
// "0012" gives 12, "iv" stays "iv"), or an empty page field when no marker follows. Page
// names that are not page numbers never stop the analysis; they are collected on the entry
// list (EntryList::text_pages) for the job's summary.
//
// Ruby (ruby_text.h) never enters a term's text: it gives readings (book_readings.h). The
// ruby of a story is collected before its terms are read.
//
// Text from the file loses its control characters first (base/control_chars.h). A mark opened
// and never closed gives no term; the entry list gets a warning naming the story, the tag and
// the first characters after it (EntryList::warnings).

#include <cstdint>
#include <functional>
#include <string>
#include <string_view>
#include <vector>

#include "analysis/book_readings.h"
#include "analysis/entry_list.h"
#include "analysis/phonetic.h"
#include "analysis/reading_check.h"
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
  // The story's name in warnings; empty for the name of the file read (none for bytes).
  std::string story_name;
  // Optional: what the reading sources doubt about each term; the doubtful terms, and those
  // whose reading keeps a kanji, go to the entry list's reading checks.
  const ReadingDoubts* doubts = nullptr;
  // Optional: the job's book ruby and the readings that depend on it (book_readings.h); the
  // caller calls its Finish at the job's end. Without it the story is a book of its own: its
  // ruby applies to its terms and is finished with the story.
  BookReadings* book = nullptr;
};

// The largest story file the analysis reads: 256 MiB of UTF-16 tagged text, about 130
// million characters, far beyond any book. The size is checked before the file is read; the
// analysis needs about one and a half times the file's size in memory.
inline constexpr uintmax_t kMaxStoryFileBytes = uintmax_t{256} << 20;

// The job's entry point, once per exported story. Reads `export_path` (UTF-16 tagged text:
// little-endian with BOM as InDesign exports it, big-endian, or without BOM; CR, LF or
// CR LF line ends), analyses it, appends the story's entry lines to ctx.entries and tidies
// the list. Progress goes to ctx.progress on a scale of 100 with kExtractingActivity at 43,
// 45, 46, 48, 50, 51, 52, 54, 55, 56, 58, and when the story has a run list also at 59, 60,
// once per run-list paragraph (i ÷ N × 37 + 60, rounded), 98 and 100, each followed by one
// YieldToMessageLoop; the job's EntryCount is shown in ProgressField::kEntryCount after each
// entry line. The file is deleted as soon as the marked runs are collected.
// Errors (the story's entry lines, pages and warnings are then not appended, and the entry
// count is unchanged), all with Japanese messages naming the file:
//   kNotFound / kIoError  the file cannot be read or deleted;
//   kOverflow             the file is larger than kMaxStoryFileBytes (it is not read);
//   kFormatError          not UTF-16 tagged text;
//   codes of the reading services when they fail.
Status ScanTaggedStory(const std::string& export_path, AnalysisContext& ctx);

// The same for a story file that is kept (the command line's `entries`): the same checks and
// errors, and the file is never deleted.
Status AnalyzeTaggedStoryFile(const std::string& path, AnalysisContext& ctx);

// The same for the bytes of a tagged-text file, without touching any file (kOverflow past
// kMaxStoryFileBytes). `after_collect`, when given, runs once the marked runs are collected;
// an error from it ends the analysis.
Status AnalyzeTaggedStory(std::string_view bytes, AnalysisContext& ctx,
                          const std::function<Status()>& after_collect = nullptr);

// A mark opened and never closed before the end of its story.
struct UnclosedMark {
  size_t position = 0;     // of the opening tag, in the text without header blocks
  std::string tag;         // the opening tag, e.g. "<cc:RazozaMark1>"
  std::string text_after;  // the first 20 characters after it, without tags
};
// The warning the entry list gets for it (Japanese, the cause first).
std::string UnclosedMarkWarning(std::string_view story_name, const UnclosedMark& mark);

// --- The steps, for tests and tools. -----------------------------------------------------

// Decodes a tagged-text file to UTF-16 with every paragraph break as CR (U+000D) and without
// control characters (base/control_chars.h). Fails with kFormatError (Japanese message
// naming the cause) when the bytes are not UTF-16 or do not begin with a tagged-text header
// such as "<UNICODE-WIN>".
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
  // Page names of entries that are not page numbers, each once, in order of appearance.
  std::vector<std::string> text_pages;
  // The terms whose reading may be wrong, one per entry line, with that line's page.
  std::vector<ReadingCheck> checks;
  // Every entry line's mark number, in order.
  std::vector<EntryMark> marks;
};
// Builds the entry lines of a run list. Uses ctx.divider, ctx.lookup and ctx.progress;
// shows ctx.entries->entry_count() plus the lines so far as the EntryCount; does not change
// ctx.entries.
Result<StoryEntries> BuildEntryLines(const std::vector<std::u16string>& run_list,
                                     AnalysisContext& ctx);

}  // namespace mirune
