#pragma once

// Readings of whole terms (compound words, proper nouns) from a kana-to-kanji conversion
// dictionary in the SKK format (SKK-JISYO.L of the skkdic package): lines
// "reading /candidate/candidate;annotation/…/". Only the section "okuri-nasi" is read, and of
// it only entries whose key is hiragana (with ー) and whose candidate holds a kanji; Lisp
// candidates "(…)" and candidates annotated as misreadings ("誤読", "誤用", "の誤り") are left
// out. The file is EUC-JP unless its first line declares "coding: utf-8".
//
// Readings are hiragana as the program writes them: ゔ ゕ ゖ become ヴ ヵ ヶ (code page 932 has
// no hiragana for them, so the program's own readings keep the katakana).

#include <cstdint>
#include <memory>
#include <string>
#include <string_view>
#include <vector>

#include "base/result.h"

namespace mirune {

class WholeTermDictionary {
 public:
  // Loads `path`. Errors, Japanese and naming the file: kNotFound (no such file), kIoError
  // (unreadable), kFormatError (no entry could be read, or more than one line in a hundred
  // is not EUC-JP: the message names the first such line).
  static Result<std::unique_ptr<WholeTermDictionary>> LoadSkk(const std::string& path);
  // What LoadSkk makes of the file's bytes, for a dictionary at `path` (the same errors but
  // kNotFound and kIoError).
  static Result<std::unique_ptr<WholeTermDictionary>> ParseSkk(const std::string& path,
                                                               std::string_view bytes);

  // A dictionary of the given entries (term, reading), in that order; for tests.
  static std::unique_ptr<WholeTermDictionary> FromEntries(
      const std::vector<std::pair<std::string, std::string>>& entries);

  // The readings of `term` in the dictionary's order, each once; empty when it is absent.
  // The views stay valid as long as the dictionary.
  std::vector<std::string_view> Readings(std::string_view term) const;
  bool Contains(std::string_view term) const;
  // Whether the dictionary lists `reading` among the readings of `term` (no allocation).
  bool Lists(std::string_view term, std::string_view reading) const;

  size_t term_count() const { return terms_.size(); }
  // The longest term, in bytes: a longer text is not looked up.
  size_t longest_term_bytes() const { return longest_term_bytes_; }
  const std::string& path() const { return path_; }

 private:
  WholeTermDictionary() = default;
  void Add(std::string_view term, std::string_view reading);

  struct Reading {
    std::string_view text;
    uint32_t next;  // index of the term's next reading, or kEnd
  };
  static constexpr uint32_t kEnd = UINT32_MAX;
  struct Term {
    std::string_view text;
    uint32_t first;  // its first and last reading in readings_
    uint32_t last;
  };

  std::string path_;
  size_t longest_term_bytes_ = 0;
  std::string arena_;  // the decoded text all views point into; never reallocated
  std::vector<Reading> readings_;
  // An open-addressing table of the terms: index + 1 into terms_, 0 for an empty slot; its size
  // is a power of two, at most half full. Flat, so loading allocates nothing per term.
  std::vector<Term> terms_;
  std::vector<uint32_t> slots_;
  const Term* Find(std::string_view term) const;
  void Grow();
  // Two bits per term of a bit set far smaller than the table: most texts looked up are not
  // terms, and one look at the bits tells so without a walk through the table's memory.
  std::vector<uint64_t> filter_;
  // The first and the last characters of the terms (the Basic Multilingual Plane, one bit
  // each; 8 KiB apiece, so they stay in the cache): a text whose ends match no term is not
  // looked up further.
  std::vector<uint64_t> first_chars_;
  std::vector<uint64_t> last_chars_;
  bool MayContain(std::string_view term) const;
  void Remember(std::string_view term);
};

}  // namespace mirune
