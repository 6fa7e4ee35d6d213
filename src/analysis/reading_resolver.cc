#include "analysis/reading_resolver.h"

#include <algorithm>
#include <utility>

#include "analysis/char_class.h"
#include "base/utf.h"

namespace mirune {
namespace {

// A run of morphemes longer than this is never looked up as one term: index terms are short,
// and a long paragraph must not cost quadratic time.
constexpr size_t kMaxRunMorphemes = 16;

// At most this many other readings are offered for one term.
constexpr size_t kMaxCandidates = 8;

// Separators the analysis leaves at the end of a word (spaces and controls, as MeCab's
// division keeps them with the word before).
size_t TrailingSeparatorBytes(std::string_view text) {
  size_t n = 0;
  while (n < text.size() && static_cast<unsigned char>(text[text.size() - 1 - n]) <= 0x20) ++n;
  return n;
}

// Characters changed, inserted or deleted to turn `a` into `b`.
size_t EditDistance(std::string_view a8, std::string_view b8) {
  const std::u32string a = Utf8ToUtf32(a8);
  const std::u32string b = Utf8ToUtf32(b8);
  std::vector<size_t> row(b.size() + 1);
  for (size_t j = 0; j <= b.size(); ++j) row[j] = j;
  for (size_t i = 1; i <= a.size(); ++i) {
    size_t diagonal = row[0];
    row[0] = i;
    for (size_t j = 1; j <= b.size(); ++j) {
      const size_t above = row[j];
      row[j] = std::min({row[j] + 1, row[j - 1] + 1, diagonal + (a[i - 1] == b[j - 1] ? 0 : 1)});
      diagonal = above;
    }
  }
  return row[b.size()];
}

void AddCause(ReadingDoubt& doubt, std::string_view why) {
  if (doubt.why.find(why) != std::string::npos) return;
  if (!doubt.why.empty()) doubt.why += "、";
  doubt.why += why;
}

}  // namespace

ReadingResolver::ReadingResolver(std::unique_ptr<ReadingService> analysis,
                                 std::unique_ptr<WholeTermDictionary> dictionary,
                                 LearnedReadingLookup learned)
    : analysis_(std::move(analysis)),
      dictionary_(std::move(dictionary)),
      learned_(std::move(learned)) {}

ReadingResolver::~ReadingResolver() = default;

Status ReadingResolver::Resolve(std::string_view text, Plan& plan) {
  plan.size = 0;
  plan.doubt.reset();
  MIRUNE_RETURN_IF_ERROR(ReadMorphemes(text));
  IndexMorphemes();
  const std::vector<Morpheme>& m = morphemes_;

  // Other readings of words of the plan (word index, reading), for the term's candidates.
  std::vector<std::pair<size_t, std::string>> alternatives;
  ReadingDoubt doubt;
  for (size_t i = 0; i < m.size();) {
    const WholeTermRun run = FindWholeTermRun(i);
    if (run.end == 0) {
      AddWord(plan, m[i].text, m[i].reading);
      ++i;
      continue;
    }
    std::string analysis_reading;
    std::string run_text;
    for (size_t k = i; k < run.end; ++k) {
      analysis_reading += ToHiragana(m[k].reading);
      run_text += m[k].text;
    }
    const std::string trailing = run_text.substr(run.key_size);
    analysis_reading.resize(analysis_reading.size() -
                            std::min(analysis_reading.size(), trailing.size()));
    // The analysis read one morpheme of its own dictionary: a whole-term source of its own.
    const bool analysis_whole = run.end == i + 1 && m[i].known;
    std::vector<std::string> others;
    const std::string chosen =
        ChooseRunReading(run, analysis_reading, analysis_whole, doubt, others);
    for (std::string& other : others) {
      other += trailing;
      alternatives.emplace_back(plan.size, std::move(other));
    }
    AddWord(plan, run_text, chosen + trailing);
    i = run.end;
  }

  size_t kanji_words = 0;
  for (size_t k = 0; k < plan.size; ++k) kanji_words += HoldsKanji(plan.words[k].text) ? 1 : 0;
  if (kanji_words >= 2) AddCause(doubt, kDoubtComposed);

  if (!doubt.why.empty()) {
    AddWholeTermCandidates(plan, alternatives, doubt);
    plan.doubt = std::move(doubt);
  }
  return Status::Ok();
}

void ReadingResolver::AddWord(Plan& plan, std::string_view text, std::string_view reading) {
  // The plan's words are reused, strings and all: a job reads many short terms.
  if (plan.size == plan.words.size()) plan.words.emplace_back();
  Word& w = plan.words[plan.size++];
  w.text.assign(text);
  w.reading.assign(reading);
}

Status ReadingResolver::ReadMorphemes(std::string_view text) {
  MIRUNE_ASSIGN_OR_RETURN(std::vector<std::string> divided, analysis_->DivideWords(text));
  // The scratch of the last term is reused: a job reads many short terms, and their strings'
  // buffers need not be made anew each time.
  std::vector<Morpheme>& m = morphemes_;
  m.resize(divided.size());
  for (size_t k = 0; k < divided.size(); ++k) {
    Morpheme& x = m[k];
    x.text.swap(divided[k]);
    x.kanji = HoldsKanji(x.text);
    x.user = analysis_->FromUserDictionary(x.text);
    x.known = false;
    if (x.kanji) {
      MIRUNE_ASSIGN_OR_RETURN(x.reading, analysis_->Phonetic(x.text));
      x.known = !HoldsKanji(x.reading);
    } else {
      x.reading.assign(x.text);
    }
  }
  return Status::Ok();
}

void ReadingResolver::IndexMorphemes() {
  // A run is a view into joined_, and whether it holds a kanji or a word of the user's
  // dictionary costs nothing.
  const std::vector<Morpheme>& m = morphemes_;
  joined_.clear();
  start_.assign(m.size() + 1, 0);
  kanji_before_.assign(m.size() + 1, 0);
  user_before_.assign(m.size() + 1, 0);
  for (size_t k = 0; k < m.size(); ++k) {
    joined_ += m[k].text;
    start_[k + 1] = joined_.size();
    kanji_before_[k + 1] = kanji_before_[k] + (m[k].kanji ? 1 : 0);
    user_before_[k + 1] = user_before_[k] + (m[k].user ? 1 : 0);
  }
}

ReadingResolver::WholeTermRun ReadingResolver::FindWholeTermRun(size_t i) const {
  WholeTermRun run;
  if (!learned_ && !dictionary_) return run;
  const std::vector<Morpheme>& m = morphemes_;
  const size_t longest_term = dictionary_ ? dictionary_->longest_term_bytes() : 0;
  for (size_t j = std::min(m.size(), i + kMaxRunMorphemes); j > i; --j) {
    std::string_view candidate = std::string_view(joined_).substr(start_[i], start_[j] - start_[i]);
    candidate.remove_suffix(TrailingSeparatorBytes(candidate));
    const std::string* learned = learned_ ? learned_(candidate) : nullptr;
    // The user's own dictionary comes before the whole-term dictionary: a run holding one of
    // its words is not looked up there.
    const bool in_dictionary = dictionary_ && kanji_before_[j] > kanji_before_[i] &&
                               user_before_[j] == user_before_[i] &&
                               candidate.size() <= longest_term && dictionary_->Contains(candidate);
    if (!learned && !in_dictionary) continue;
    // The common case costs nothing more: one morpheme the dictionary reads as the analysis
    // does.
    if (!learned && j == i + 1) {
      const std::string reading = ToHiragana(m[i].reading);
      const size_t trailing = m[i].text.size() - candidate.size();
      if (reading.size() >= trailing &&
          dictionary_->Lists(candidate,
                             std::string_view(reading).substr(0, reading.size() - trailing))) {
        return run;
      }
    }
    run.end = j;
    run.key_size = candidate.size();
    run.learned = learned;
    if (in_dictionary) run.listed = dictionary_->Readings(candidate);
    return run;
  }
  return run;
}

std::string ReadingResolver::ChooseRunReading(const WholeTermRun& run,
                                              const std::string& analysis_reading,
                                              bool analysis_whole, ReadingDoubt& doubt,
                                              std::vector<std::string>& others) {
  const std::vector<std::string_view>& listed = run.listed;
  auto listed_has = [&](std::string_view r) {
    return std::find(listed.begin(), listed.end(), r) != listed.end();
  };
  if (run.learned) {
    // The learned reading wins; the sources that read the run otherwise are offered.
    const std::string learned_hiragana = ToHiragana(*run.learned);
    const bool disagrees =
        (!listed.empty() && !listed_has(learned_hiragana)) ||
        (listed.empty() && analysis_whole && analysis_reading != learned_hiragana);
    if (disagrees) {
      AddCause(doubt, kDoubtLearnedDisagrees);
      if (analysis_whole && analysis_reading != learned_hiragana)
        others.push_back(analysis_reading);
      for (std::string_view r : listed) {
        if (r != learned_hiragana && r != analysis_reading) others.emplace_back(r);
      }
    }
    return *run.learned;
  }
  if (listed_has(analysis_reading)) return analysis_reading;
  // The listed reading nearest to the analysis's; the dictionary's order breaks ties.
  std::vector<std::pair<size_t, size_t>> ranked;  // (distance, index)
  for (size_t k = 0; k < listed.size(); ++k) {
    ranked.emplace_back(EditDistance(listed[k], analysis_reading), k);
  }
  std::stable_sort(ranked.begin(), ranked.end());
  if (analysis_whole) {
    AddCause(doubt, kDoubtSourcesDisagree);
    others.push_back(analysis_reading);
  }
  if (listed.size() > 1) AddCause(doubt, kDoubtSeveralReadings);
  for (size_t k = 1; k < ranked.size(); ++k) others.emplace_back(listed[ranked[k].second]);
  return std::string(listed[ranked[0].second]);
}

void ReadingResolver::AddWholeTermCandidates(
    const Plan& plan, const std::vector<std::pair<size_t, std::string>>& alternatives,
    ReadingDoubt& doubt) {
  // The term's reading with one word read otherwise.
  std::vector<std::string> word_hiragana;
  for (size_t k = 0; k < plan.size; ++k) word_hiragana.push_back(ToHiragana(plan.words[k].reading));
  for (const auto& [w, alternative] : alternatives) {
    std::string reading;
    for (size_t k = 0; k < word_hiragana.size(); ++k) {
      reading += k == w ? ToHiragana(alternative) : word_hiragana[k];
    }
    if (doubt.candidates.size() < kMaxCandidates &&
        std::find(doubt.candidates.begin(), doubt.candidates.end(), reading) ==
            doubt.candidates.end()) {
      doubt.candidates.push_back(std::move(reading));
    }
  }
}

Status ReadingResolver::ResolveLast(std::string_view text) {
  cursor_ = 0;
  const Status resolved = Resolve(text, last_);
  if (!resolved.ok()) {
    // Nothing of an unfinished plan is handed out.
    last_.size = 0;
    last_.doubt.reset();
  }
  return resolved;
}

Result<std::optional<std::string>> ReadingResolver::LearnedReading(std::string_view term) {
  const std::string* learned = learned_ ? learned_(term) : nullptr;
  if (!learned) return std::optional<std::string>();
  // The division keeps what the sources doubt about the learned reading.
  MIRUNE_RETURN_IF_ERROR(DivideWords(term).status());
  return std::optional<std::string>(*learned);
}

Result<std::vector<std::string>> ReadingResolver::DivideWords(std::string_view text) {
  MIRUNE_RETURN_IF_ERROR(ResolveLast(text));
  std::vector<std::string> words;
  words.reserve(last_.size);
  for (size_t k = 0; k < last_.size; ++k) words.push_back(last_.words[k].text);
  return words;
}

Result<std::string> ReadingResolver::Phonetic(std::string_view text) {
  for (size_t k = cursor_; k < last_.size; ++k) {
    if (last_.words[k].text == text) {
      cursor_ = k + 1;
      return last_.words[k].reading;
    }
  }
  // Not a word of the last division (the whole term, when its first word could not be
  // located): read it as a term of its own.
  MIRUNE_RETURN_IF_ERROR(ResolveLast(text));
  std::string reading;
  for (size_t k = 0; k < last_.size; ++k) reading += last_.words[k].reading;
  cursor_ = last_.size;
  return reading;
}

std::optional<ReadingDoubt> ReadingResolver::DoubtOfLastTerm() const { return last_.doubt; }

std::vector<std::string> ReadingResolver::ListedReadings(std::string_view term) const {
  std::vector<std::string> listed;
  if (dictionary_ && dictionary_->Contains(term)) {
    for (std::string_view r : dictionary_->Readings(term)) listed.emplace_back(r);
  }
  return listed;
}

}  // namespace mirune
