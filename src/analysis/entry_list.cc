#include "analysis/entry_list.h"

#include <algorithm>

namespace mirune {

std::string TidyIndexDocument(std::string_view text) {
  std::string out;
  out.reserve(text.size() + 1);
  size_t line_start = 0;
  auto flush = [&](size_t end) {
    if (end > line_start) {
      out.append(text.substr(line_start, end - line_start));
      out.push_back('\n');
    }
  };
  for (size_t i = 0; i < text.size(); ++i) {
    const char c = text[i];
    if (c == '\r' || c == '\n' || c == '\v') {
      flush(i);
      line_start = i + 1;
    }
  }
  flush(text.size());
  return out;
}

void EntryList::AppendStoryText(std::string_view story_text) {
  // The list is already tidy and ends in LF, so tidying the new text alone gives the same
  // result as tidying the whole.
  const std::string tidy = TidyIndexDocument(story_text);
  for (char c : tidy) {
    if (c == '\n') ++line_count_;
  }
  text_ += tidy;
}

std::vector<std::string> EntryList::Lines() const {
  std::vector<std::string> lines;
  lines.reserve(line_count_);
  size_t start = 0;
  for (size_t i = 0; i < text_.size(); ++i) {
    if (text_[i] == '\n') {
      lines.emplace_back(text_, start, i - start);
      start = i + 1;
    }
  }
  return lines;
}

void EntryList::AddTextPage(const std::string& page) {
  if (text_page_set_.insert(page).second) text_pages_.push_back(page);
}

void EntryList::AddReadingCheck(const ReadingCheck& check) {
  const auto [it, added] =
      reading_check_index_.try_emplace(check.term + '\t' + check.reading, reading_checks_.size());
  if (added) {
    reading_checks_.push_back(check);
    reading_checks_.back().pages.clear();
  }
  std::vector<std::string>& pages = reading_checks_[it->second].pages;
  for (const std::string& page : check.pages) {
    if (!page.empty() && std::find(pages.begin(), pages.end(), page) == pages.end()) {
      pages.push_back(page);
    }
  }
}

void EntryList::RemoveReadingCheck(const std::string& term, const std::string& reading) {
  const auto it = reading_check_index_.find(term + '\t' + reading);
  if (it == reading_check_index_.end()) return;
  reading_checks_.erase(reading_checks_.begin() + static_cast<std::ptrdiff_t>(it->second));
  reading_check_index_.clear();
  for (size_t i = 0; i < reading_checks_.size(); ++i) {
    reading_check_index_.emplace(reading_checks_[i].term + '\t' + reading_checks_[i].reading, i);
  }
}

void EntryList::ReviseReadings(const std::vector<EntryRevision>& revisions) {
  if (revisions.empty()) return;
  // Every entry line is one line of the list (its fields hold no line break), in order.
  std::string out;
  out.reserve(text_.size() + revisions.size() * 16);
  size_t next = 0;
  size_t line = 0;
  size_t start = 0;
  while (start < text_.size()) {
    size_t end = text_.find('\n', start);
    if (end == std::string::npos) end = text_.size();
    const std::string_view text(text_.data() + start, end - start);
    while (next < revisions.size() && revisions[next].entry < line) ++next;
    const size_t tab = text.find('\t');
    const size_t tab2 = tab == std::string_view::npos ? tab : text.find('\t', tab + 1);
    if (next < revisions.size() && revisions[next].entry == line &&
        tab2 != std::string_view::npos && text.substr(0, tab) == revisions[next].term) {
      out.append(text.substr(0, tab + 1));
      out.append(revisions[next].reading);
      out.append(text.substr(tab2));
    } else {
      out.append(text);
    }
    if (end < text_.size()) out.push_back('\n');
    start = end + 1;
    ++line;
  }
  text_.swap(out);
}

void EntryList::Clear() {
  entry_marks_.clear();
  reading_checks_.clear();
  reading_check_index_.clear();
  text_pages_.clear();
  text_page_set_.clear();
  warnings_.clear();
  text_.clear();
  line_count_ = 0;
  entry_count_ = 0;
}

}  // namespace mirune
