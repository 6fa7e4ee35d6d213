#pragma once

// The readings of a job's marked terms with the book's own ruby (ルビ).
//
// Sources of a marked occurrence's reading, in this order:
//   1. the reading memory (the user's correction of the whole term);
//   2. the occurrence's own ruby (ruby_text.h): over the whole term it is the reading; over
//      part of it, that part's reading, the rest read by the job's readings and the parts
//      joined at the ruby's base (RubyTermReading);
//   3. the book's ruby for the term: the first ruby the book gives the term (a ruby base, or a
//      marked term with ruby), in book order, from any story, before or after the occurrence;
//   4. the job's readings (reading_resolver.h: the dictionaries and the morpheme analysis).
//
// The ruby of a story is added (AddRuby) before its terms are read; an occurrence read before
// the book gave its term any ruby is read again by Finish at the job's end, which also puts on
// the sheet of readings to check every ruby reading that no dictionary gives for the term
// (kDoubtRubyNotInDictionary, the dictionaries' readings as the other candidates) and every
// term to which the book gives different ruby (kDoubtRubyDiffers). Ruby readings carry no
// other doubt, and their checks follow the job's other checks.

#include <cstddef>
#include <optional>
#include <string>
#include <string_view>
#include <unordered_map>
#include <vector>

#include "analysis/entry_list.h"
#include "analysis/phonetic.h"
#include "analysis/reading_check.h"
#include "analysis/ruby_text.h"
#include "base/result.h"

namespace mirune {

class BookReadings {
 public:
  // A ruby reading (hiragana) the book gives `term`, in book order. Empty readings and readings
  // with the re-check mark are no ruby.
  void AddRuby(std::string_view term, std::string_view reading);
  // The first ruby reading of `term`; nullptr when the book gives it none (yet).
  const std::string* FirstRuby(std::string_view term) const;
  // Every ruby the book gives `term`, each once, first first; empty for none.
  std::vector<std::string> RubyReadings(std::string_view term) const;

  // The reading of one marked occurrence: `term` with its own ruby, entry number `entry` of
  // the job (0-based), on `page`. `doubt` is what goes on the sheet for it now (the doubt of
  // `doubts` and the re-check mark, as before); a ruby reading has none (`ruby` set): Finish
  // decides. Fails only when a reading service fails.
  struct Reading {
    std::string reading;
    std::optional<ReadingDoubt> doubt;
    bool ruby = false;
  };
  Result<Reading> Read(const TermWithRuby& term, size_t entry, const std::string& page,
                       WordDivider& divider, PhoneticLookup& lookup, const ReadingDoubts* doubts);

  // The job's end: occurrences read before the book gave their term ruby take the first ruby
  // (their entry lines and reading checks revised in `entries`), and the checks of the ruby
  // readings are added. `doubts` may be null (no dictionary readings are then known besides
  // those seen). Leaves the ledger empty for the next job.
  void Finish(EntryList& entries, const ReadingDoubts* doubts);

  void Clear();

 private:
  struct RubyTerm {
    std::vector<std::string> readings;  // distinct, first first
  };
  struct EarlyTerm {
    std::string reading;  // what the job's readings gave
    std::vector<std::string> candidates;
    bool checked = false;         // the term went on the sheet with that reading
    std::vector<size_t> entries;  // their pages are the entry list's (entry_marks)
  };
  struct RubyEntry {
    size_t entry = 0;
    std::string term;
    std::string reading;
    std::string page;
  };
  const std::vector<std::string>& DictionaryReadings(const std::string& term,
                                                     const ReadingDoubts* doubts);

  std::unordered_map<std::string, RubyTerm> ruby_;
  std::unordered_map<std::string, EarlyTerm> early_;
  // The dictionaries' readings of terms read from ruby: the job's reading first.
  std::unordered_map<std::string, std::vector<std::string>> dictionary_;
  std::vector<RubyEntry> ruby_entries_;
};

}  // namespace mirune
