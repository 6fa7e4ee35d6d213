#pragma once

// The entry list of one extraction job: every entry line (term TAB reading TAB page) of every
// story, in story order. The core keeps it in memory; the job writes it out at its end as
// Razoza.doc, Razoza.txt and the Org sheet of Razoza.xls.

#include <cstdint>
#include <string>
#include <string_view>
#include <unordered_map>
#include <unordered_set>
#include <utility>
#include <vector>

#include "analysis/reading_check.h"

namespace mirune {

// The clean-up of the entry list text, applied after each story: manual line breaks (U+000B)
// become line breaks, runs of line breaks collapse into one, and leading and trailing line
// breaks go. Paragraph breaks may be CR, LF or CR LF in the input; the result has one entry
// per line, each line ended by LF, and no empty line (empty text when there is no line).
std::string TidyIndexDocument(std::string_view text);

// The mark of one entry line: the number of the RazozaMark style or swatch its term was
// marked with (1 to 9; 0 for a mark of another name).
struct EntryMark {
  std::string term;
  std::string page;  // PageField::text
  int mark = 0;
};

// A new reading for entry line number `entry` (0-based, in the job's order) of `term`.
struct EntryRevision {
  size_t entry = 0;
  std::string term;
  std::string reading;
};

class EntryList {
 public:
  // Appends a story's text (its entry lines and the empty paragraphs left of its page lines,
  // separated by paragraph breaks) and tidies the list. Only the new part and its junction
  // are looked at, so a job costs linear time in its whole output.
  void AppendStoryText(std::string_view story_text);

  // The entry lines written in the current job (the job's EntryCount). BuildEntryLines adds
  // one per entry line it writes. A 64-bit count: no job passes it.
  int64_t entry_count() const { return entry_count_; }
  void AddEntries(int64_t n) { entry_count_ += n; }

  // The whole list as text: one entry per line, each line ended by LF. Empty when the job
  // extracted nothing.
  const std::string& text() const { return text_; }
  bool empty() const { return text_.empty(); }
  // Number of lines of text() (a manual line break inside a term makes two lines of one
  // entry, so this can exceed entry_count()).
  size_t line_count() const { return line_count_; }
  // The lines of text(), without their LF.
  std::vector<std::string> Lines() const;

  // Page names of the job's entries that are not page numbers ("iv", "A-3"; see
  // page_field.h), each once, in order of first appearance: the job's summary lists them.
  const std::vector<std::string>& text_pages() const { return text_pages_; }
  void AddTextPage(const std::string& page);

  // The job's terms whose reading may be wrong (reading_check.h), each term and reading once
  // in order of first appearance, with every page it stands on (each once, in order).
  const std::vector<ReadingCheck>& reading_checks() const { return reading_checks_; }
  // Adds `check`, or adds its pages to the check of the same term and reading.
  void AddReadingCheck(const ReadingCheck& check);
  // Removes the check of `term` with `reading`, if there is one.
  void RemoveReadingCheck(const std::string& term, const std::string& reading);

  // Gives entry lines new readings (`revisions` sorted by entry); a line whose term is not
  // the revision's is left alone. One pass over the list when there is any revision.
  void ReviseReadings(const std::vector<EntryRevision>& revisions);

  // Every entry line's mark, in the order of the entry lines written (the marks do not appear
  // in the entry lines; the workbook keeps them on a sheet of their own).
  const std::vector<EntryMark>& entry_marks() const { return entry_marks_; }
  void AddEntryMark(const EntryMark& mark) { entry_marks_.push_back(mark); }

  // Warnings of the job's analysis (a mark never closed …), Japanese, in order: the job
  // passes them on to the user.
  const std::vector<std::string>& warnings() const { return warnings_; }
  void AddWarning(std::string warning) { warnings_.push_back(std::move(warning)); }

  // Starts a new job.
  void Clear();

 private:
  std::string text_;
  size_t line_count_ = 0;
  int64_t entry_count_ = 0;
  std::vector<std::string> text_pages_;
  std::unordered_set<std::string> text_page_set_;
  std::vector<std::string> warnings_;
  std::vector<ReadingCheck> reading_checks_;
  std::vector<EntryMark> entry_marks_;
  std::unordered_map<std::string, size_t> reading_check_index_;  // term TAB reading → index
};

}  // namespace mirune
