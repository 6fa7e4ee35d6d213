#pragma once

// The services behind the readings: a phonetic lookup (text → reading in katakana, as the
// Japanese input method derives it) and a word divider (text → its words). Implementations:
// MeCab with the IPA dictionary on Linux (mecab_phonetic.h); fakes in tests. All text is
// UTF-8.

#include <memory>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "analysis/reading_check.h"
#include "base/result.h"

namespace mirune {

class PhoneticLookup {
 public:
  virtual ~PhoneticLookup() = default;
  // The reading of `text` in katakana. Parts the lookup cannot read (Latin letters, unknown
  // kanji) come back as they are written. Fails only when the service itself fails.
  virtual Result<std::string> Phonetic(std::string_view text) = 0;
  // The reading the user taught the program for the whole term `term`, which comes before
  // any rule (kana and Latin terms included); nullopt when there is none.
  virtual Result<std::optional<std::string>> LearnedReading(std::string_view term) {
    return std::optional<std::string>();
  }
};

class WordDivider {
 public:
  virtual ~WordDivider() = default;
  // The words of `text`, in order. A divider should return pieces that, joined, give the
  // text back (spaces belong to the word before them); the readings cope with one that
  // does not.
  virtual Result<std::vector<std::string>> DivideWords(std::string_view text) = 0;
  // Whether the word of the last division was read from the user's own dictionary, which
  // comes before the whole-term dictionary. None by default.
  virtual bool FromUserDictionary(std::string_view word) const { return false; }
};

// What the reading sources doubt about the term they divided last.
class ReadingDoubts {
 public:
  virtual ~ReadingDoubts() = default;
  // Why the reading of the term last divided (DivideWords) may be wrong, with the other
  // readings; nullopt when the sources agree or cannot tell.
  virtual std::optional<ReadingDoubt> DoubtOfLastTerm() const = 0;
  // The readings a dictionary lists for the whole `term` (hiragana), in its order; empty when
  // none does or the source cannot tell.
  virtual std::vector<std::string> ListedReadings(std::string_view term) const { return {}; }
};

// Both services from one source, as the system readings provide them; a source that cannot
// tell doubts nothing.
class ReadingService : public PhoneticLookup, public WordDivider, public ReadingDoubts {
 public:
  std::optional<ReadingDoubt> DoubtOfLastTerm() const override { return std::nullopt; }
};

// A divider of the core's own for builds and tests without a dictionary: a word is a run of
// characters of one script (kanji with 々 〆 〇 仝, hiragana, katakana with ー, Latin letters
// and digits, anything else one character each), with the spaces after it.
class ScriptWordDivider : public WordDivider {
 public:
  Result<std::vector<std::string>> DivideWords(std::string_view text) override;
};

// The readings where there is no reading dictionary: words divided by script
// (ScriptWordDivider) and every word read as written, so kana and Latin terms still get their
// reading and kanji terms keep their written form, which carries the re-check mark
// (term_reading.h). The one fallback of every job; OpenJobReadings chooses it.
class WrittenFormReadings : public ReadingService {
 public:
  Result<std::string> Phonetic(std::string_view text) override { return std::string(text); }
  Result<std::vector<std::string>> DivideWords(std::string_view text) override {
    return divider_.DivideWords(text);
  }

 private:
  ScriptWordDivider divider_;
};

// What a job tells the user when it reads with WrittenFormReadings.
inline constexpr std::string_view kWrittenFormReadingsNotice =
    "読みの辞書がないため、漢字の語句には読みを付けずに「★読み再確認★」を付けます。";

struct ReadingServiceOptions {
  // A MeCab user dictionary (compiled .dic) with the user's own readings; empty for none.
  std::string user_dictionary;
  // The system dictionary folder (sys.dic, dicrc, ...); empty for the IPA dictionary in the
  // folder "dic" beside the program, then (Linux) where the system installs it.
  std::string dictionary_folder;
  // The whole-term dictionary (SKK format); empty for kWholeTermDictionaryName in
  // dictionary_folder when given, then in "dic" beside the program, then (Linux) where the
  // skkdic package installs it.
  std::string whole_term_dictionary;
  // Leaves the whole-term dictionary out (measurements).
  bool without_whole_term_dictionary = false;
  // The reading memory file (learned readings); empty for none.
  std::string reading_memory;
};

inline constexpr std::string_view kWholeTermDictionaryName = "SKK-JISYO.L";

// The machine's reading service: MeCab with the IPA dictionary. Fails with
// kUnsupported in a build that has none, with kNotFound when the dictionary is missing, and
// with kFormatError when a dictionary cannot be used; the message says which file.
Result<std::unique_ptr<ReadingService>> OpenSystemReadings(const ReadingServiceOptions& options);

// The readings of a job (reading_resolver.h): the reading memory, the whole-term dictionary
// and the machine's reading service, or WrittenFormReadings (and `written_form` set) in its
// place when the build has none and no user dictionary was asked for. Any other failure of
// OpenSystemReadings is returned: a user dictionary that cannot be used is never passed over
// silently. A whole-term dictionary that is missing or damaged, and damaged lines of the
// memory, do not stop the job: `notices` says so (Japanese, one sentence each), and the job
// must show them to the user.
struct JobReadings {
  std::unique_ptr<ReadingService> service;
  bool written_form = false;
  std::vector<std::string> notices;
};
Result<JobReadings> OpenJobReadings(const ReadingServiceOptions& options);

}  // namespace mirune
