#pragma once

// The readings of a job: several sources in a fixed order, one term at a time.
//
//   1. The user's learned readings (the reading memory): a learned term, or a learned part of
//      a term, is read as the user wrote it.
//   2. The user's own dictionary (a MeCab user dictionary, --user-dic): a word the analysis read
//      from it keeps that reading and is never part of a run looked up in the dictionary below.
//   3. The whole-term dictionary (compound words and proper nouns, whole_term_dictionary.h).
//   4. The morpheme analysis (MeCab with the IPA dictionary): it divides the term and reads
//      the parts that no whole-term source knows.
//
// Division: the analysis divides the term into morphemes; from left to right, the longest
// run of morphemes that holds a kanji and that a whole-term source knows becomes one word
// (正|倉|院 becomes 正倉院), every other morpheme stays a word of its own. A word the
// dictionary knows keeps the analysis's reading when the dictionary lists it among its
// readings; otherwise it takes the listed reading closest to the analysis's (the fewest
// characters changed; the dictionary's order breaks ties).
//
// Doubt (reading_check.h): a term is in doubt when its reading was put together from two or
// more words that hold kanji (no source knows the whole term), when the dictionary lists
// other readings and the analysis's reading is not among them, when the analysis read a
// single morpheme of its own dictionary otherwise than the whole-term dictionary does, or when
// a learned reading differs from what the dictionaries give.

#include <functional>
#include <memory>
#include <optional>
#include <string>
#include <string_view>
#include <utility>
#include <vector>

#include "analysis/phonetic.h"
#include "analysis/reading_check.h"
#include "analysis/whole_term_dictionary.h"

namespace mirune {

// The learned reading of a whole term, or nullptr.
using LearnedReadingLookup = std::function<const std::string*(std::string_view term)>;

class ReadingResolver : public ReadingService {
 public:
  // `analysis` is required; `dictionary` and `learned` may be empty.
  ReadingResolver(std::unique_ptr<ReadingService> analysis,
                  std::unique_ptr<WholeTermDictionary> dictionary, LearnedReadingLookup learned);
  ~ReadingResolver() override;

  // The memory's reading of the whole term, when learned (it also divides the term, for the
  // doubt).
  Result<std::optional<std::string>> LearnedReading(std::string_view term) override;
  // Divides `text` as above and keeps the words' readings and the doubt for the lookups
  // that follow.
  Result<std::vector<std::string>> DivideWords(std::string_view text) override;
  // The reading of a word of the last division; any other text is divided and read as a
  // term of its own.
  Result<std::string> Phonetic(std::string_view text) override;
  std::optional<ReadingDoubt> DoubtOfLastTerm() const override;
  // The whole-term dictionary's readings of `term`.
  std::vector<std::string> ListedReadings(std::string_view term) const override;

  const WholeTermDictionary* dictionary() const { return dictionary_.get(); }

 private:
  struct Word {
    std::string text;
    std::string reading;  // katakana or hiragana, as the lookup returns it
  };
  struct Plan {
    std::vector<Word> words;  // the first `size` are the plan's; the rest keep their buffers
    size_t size = 0;
    std::optional<ReadingDoubt> doubt;
  };
  // Divides and reads `text` into `plan`. On an error the plan is left unfinished.
  Status Resolve(std::string_view text, Plan& plan);
  // Resolves `text` into last_ for the lookups that follow; an empty plan on an error.
  Status ResolveLast(std::string_view text);

  // A run of morphemes that a whole-term source knows, from the morpheme Resolve is at.
  struct WholeTermRun {
    size_t end = 0;       // one past its last morpheme; 0 when no source knows a run
    size_t key_size = 0;  // its text without trailing separators, in bytes
    const std::string* learned = nullptr;  // the memory's reading
    std::vector<std::string_view> listed;  // the whole-term dictionary's readings
  };
  // Appends a word to `plan`.
  static void AddWord(Plan& plan, std::string_view text, std::string_view reading);
  // Divides `text` into morphemes_ and reads each.
  Status ReadMorphemes(std::string_view text);
  // Joins morphemes_ into joined_ with their starts and the counts before each.
  void IndexMorphemes();
  // The longest run from morpheme `i` that a whole-term source knows: the dictionary knows
  // runs with a kanji (とんぼ返り, お茶), the memory any run.
  WholeTermRun FindWholeTermRun(size_t i) const;
  // The reading of `run` without its trailing separators; adds the causes of doubt and the
  // other readings of the run.
  static std::string ChooseRunReading(const WholeTermRun& run, const std::string& analysis_reading,
                                      bool analysis_whole, ReadingDoubt& doubt,
                                      std::vector<std::string>& others);
  // The term's whole readings with one word read otherwise, as the doubt's candidates.
  static void AddWholeTermCandidates(
      const Plan& plan, const std::vector<std::pair<size_t, std::string>>& alternatives,
      ReadingDoubt& doubt);

  struct Morpheme {
    std::string text;
    std::string reading;  // as the analysis returns it
    bool kanji = false;   // the morpheme holds a kanji
    bool known = false;   // a kanji morpheme the analysis could read
    bool user = false;    // read from the user's own dictionary
  };
  std::vector<Morpheme> morphemes_;  // scratch of Resolve
  std::string joined_;
  std::vector<size_t> start_;
  std::vector<size_t> kanji_before_;
  std::vector<size_t> user_before_;

  std::unique_ptr<ReadingService> analysis_;
  std::unique_ptr<WholeTermDictionary> dictionary_;
  LearnedReadingLookup learned_;
  Plan last_;
  size_t cursor_ = 0;  // the next word of last_ a lookup is expected for
};

}  // namespace mirune
