#include "analysis/book_readings.h"

#include <algorithm>
#include <utility>

#include "analysis/term_reading.h"

namespace mirune {
namespace {

void AddCause(ReadingDoubt& doubt, std::string_view why) {
  if (!doubt.why.empty()) doubt.why += "、";
  doubt.why += why;
}

void AddCandidate(ReadingDoubt& doubt, const std::string& reading, const std::string& used) {
  if (reading.empty() || reading == used) return;
  if (std::find(doubt.candidates.begin(), doubt.candidates.end(), reading) !=
      doubt.candidates.end()) {
    return;
  }
  doubt.candidates.push_back(reading);
}

bool Contains(const std::vector<std::string>& list, const std::string& value) {
  return std::find(list.begin(), list.end(), value) != list.end();
}

}  // namespace

void BookReadings::AddRuby(std::string_view term, std::string_view reading) {
  if (term.empty() || reading.empty() || reading.find(kRecheckMark) != std::string_view::npos) {
    return;
  }
  RubyTerm& entry = ruby_[std::string(term)];
  if (!Contains(entry.readings, std::string(reading))) entry.readings.emplace_back(reading);
}

const std::string* BookReadings::FirstRuby(std::string_view term) const {
  if (ruby_.empty()) return nullptr;
  const auto it = ruby_.find(std::string(term));
  return it == ruby_.end() ? nullptr : &it->second.readings.front();
}

std::vector<std::string> BookReadings::RubyReadings(std::string_view term) const {
  const auto it = ruby_.find(std::string(term));
  return it == ruby_.end() ? std::vector<std::string>() : it->second.readings;
}

const std::vector<std::string>& BookReadings::DictionaryReadings(const std::string& term,
                                                                 const ReadingDoubts* doubts) {
  std::vector<std::string>& readings = dictionary_[term];
  if (doubts) {
    for (std::string& listed : doubts->ListedReadings(term)) {
      if (!Contains(readings, listed)) readings.push_back(std::move(listed));
    }
  }
  return readings;
}

Result<BookReadings::Reading> BookReadings::Read(const TermWithRuby& term, size_t entry,
                                                 const std::string& page, WordDivider& divider,
                                                 PhoneticLookup& lookup,
                                                 const ReadingDoubts* doubts) {
  const std::string& t = term.text;
  Reading out;
  MIRUNE_ASSIGN_OR_RETURN(const std::optional<std::string> learned, lookup.LearnedReading(t));
  const std::string* book = term.ruby.empty() && !learned ? FirstRuby(t) : nullptr;
  if (learned || (term.ruby.empty() && !book)) {
    // The memory, or no ruby: the job's readings, as for a book without ruby.
    MIRUNE_ASSIGN_OR_RETURN(out.reading, TermReading(t, divider, lookup));
    if (doubts) out.doubt = doubts->DoubtOfLastTerm();
    if (out.reading.find(kRecheckMark) != std::string::npos) {
      if (!out.doubt) out.doubt.emplace();
      if (!out.doubt->why.empty()) out.doubt->why += "、";
      out.doubt->why += kDoubtKanjiLeft;
    }
    if (!learned) {
      // The book may give the term ruby later.
      auto [it, added] = early_.try_emplace(t);
      EarlyTerm& early = it->second;
      if (added) {
        early.reading = out.reading;
        early.checked = out.doubt.has_value();
        if (out.doubt) early.candidates = out.doubt->candidates;
      }
      early.entries.push_back(entry);
    }
    return out;
  }
  out.ruby = true;
  if (!term.ruby.empty()) {
    MIRUNE_ASSIGN_OR_RETURN(out.reading, RubyTermReading(t, term.ruby, divider, lookup));
    AddRuby(t, out.reading);
  } else {
    out.reading = *book;
  }
  // What the dictionaries give the term, for the sheet.
  if (!dictionary_.count(t)) {
    MIRUNE_ASSIGN_OR_RETURN(std::string reading, TermReading(t, divider, lookup));
    std::vector<std::string> readings;
    if (reading.find(kRecheckMark) == std::string::npos) readings.push_back(std::move(reading));
    if (doubts) {
      if (std::optional<ReadingDoubt> doubt = doubts->DoubtOfLastTerm()) {
        for (std::string& c : doubt->candidates) {
          if (!Contains(readings, c)) readings.push_back(std::move(c));
        }
      }
    }
    dictionary_[t] = std::move(readings);
    DictionaryReadings(t, doubts);
  }
  ruby_entries_.push_back({entry, t, out.reading, page});
  return out;
}

void BookReadings::Finish(EntryList& entries, const ReadingDoubts* doubts) {
  // Occurrences read before the book gave their term ruby, in the order of their first entry.
  std::vector<std::pair<size_t, const std::string*>> late;
  for (const auto& [term, early] : early_) {
    if (FirstRuby(term)) late.emplace_back(early.entries.front(), &term);
  }
  std::sort(late.begin(), late.end());
  std::vector<EntryRevision> revisions;
  for (const auto& [first, term] : late) {
    EarlyTerm& early = early_.at(*term);
    const std::string& ruby = *FirstRuby(*term);
    if (early.checked) entries.RemoveReadingCheck(*term, early.reading);
    if (!dictionary_.count(*term)) {
      std::vector<std::string> readings;
      if (early.reading.find(kRecheckMark) == std::string::npos) readings.push_back(early.reading);
      for (const std::string& c : early.candidates) {
        if (!Contains(readings, c)) readings.push_back(c);
      }
      dictionary_[*term] = std::move(readings);
      DictionaryReadings(*term, doubts);
    }
    const std::vector<EntryMark>& marks = entries.entry_marks();
    for (const size_t entry : early.entries) {
      revisions.push_back({entry, *term, ruby});
      ruby_entries_.push_back({entry, *term, ruby, entry < marks.size() ? marks[entry].page : ""});
    }
  }
  std::sort(ruby_entries_.begin(), ruby_entries_.end(),
            [](const RubyEntry& a, const RubyEntry& b) { return a.entry < b.entry; });
  for (const RubyEntry& e : ruby_entries_) {
    ReadingDoubt doubt;
    const std::vector<std::string> ruby = RubyReadings(e.term);
    if (ruby.size() > 1) {
      AddCause(doubt, kDoubtRubyDiffers);
      for (const std::string& r : ruby) AddCandidate(doubt, r, e.reading);
    }
    const std::vector<std::string>& known = dictionary_[e.term];
    if (!Contains(known, e.reading)) {
      AddCause(doubt, kDoubtRubyNotInDictionary);
      for (const std::string& r : known) AddCandidate(doubt, r, e.reading);
    }
    if (e.reading.find(kRecheckMark) != std::string::npos) AddCause(doubt, kDoubtKanjiLeft);
    if (!doubt.why.empty())
      entries.AddReadingCheck({e.term, e.reading, std::move(doubt), {e.page}});
  }
  std::sort(revisions.begin(), revisions.end(),
            [](const EntryRevision& a, const EntryRevision& b) { return a.entry < b.entry; });
  entries.ReviseReadings(revisions);
  Clear();
}

void BookReadings::Clear() {
  ruby_.clear();
  early_.clear();
  dictionary_.clear();
  ruby_entries_.clear();
}

}  // namespace mirune
