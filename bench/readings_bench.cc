// Reading benchmarks through the calls a job makes: OpenJobReadings once, then TermReading
// per term. BM_ResolveShortTerms reads 100,000 short terms (2-6 characters, kanji and kana,
// nearly all distinct) made from the development set of readings; BM_OpenReadings opens the
// readings from nothing to ready (dictionaries loaded).

#include <benchmark/benchmark.h>

#include <string>
#include <unordered_set>
#include <vector>

#include "analysis/phonetic.h"
#include "analysis/term_reading.h"
#include "base/file.h"
#include "base/utf.h"
#include "tools/reading_set.h"

namespace mirune {
namespace {

constexpr size_t kTermCount = 100000;
constexpr size_t kMaxLength = 6;

std::u32string Katakana(std::u32string text) {
  for (char32_t& c : text) {
    if (c >= U'ぁ' && c <= U'ゖ') c += 0x60;
  }
  return text;
}

// The terms of the development set (dev_nouns.tsv) first, then joins of two of them (as
// they are, with の or と between, or the first in katakana) up to kMaxLength characters, in
// a fixed order, each term once.
Result<std::vector<std::string>> MakeShortTerms() {
  const std::string path = MIRUNE_SOURCE_DIR "/tests/data/readings/dev_nouns.tsv";
  MIRUNE_ASSIGN_OR_RETURN(std::string bytes, ReadFileBytes(path));
  MIRUNE_ASSIGN_OR_RETURN(std::vector<tools::ReadingSetEntry> set,
                          tools::ParseReadingSet(bytes, path));
  std::vector<std::u32string> words, readings;
  for (const auto& entry : set) {
    words.push_back(Utf8ToUtf32(entry.term));
    readings.push_back(Utf8ToUtf32(entry.readings.front()));
  }
  std::unordered_set<std::u32string> seen;
  std::vector<std::string> terms;
  auto add = [&](const std::u32string& term) {
    if (term.size() >= 2 && term.size() <= kMaxLength && terms.size() < kTermCount &&
        seen.insert(term).second) {
      terms.push_back(Utf32ToUtf8(term));
    }
  };
  for (const auto& w : words) add(w);
  const size_t n = words.size();
  for (size_t k = 0; terms.size() < kTermCount && k < 50 * kTermCount; ++k) {
    const size_t a = k % n, b = (k * 7919 + k / n * 104729 + 13) % n;
    switch (k % 4) {
      case 0:
        add(words[a] + words[b]);
        break;
      case 1:
        add(words[a] + U"の" + words[b]);
        break;
      case 2:
        add(words[a] + U"と" + words[b]);
        break;
      default:
        add(Katakana(readings[a]) + words[b]);
    }
  }
  if (terms.size() < kTermCount) return Error{ErrorCode::kInternal, "too few distinct terms"};
  return terms;
}

void BM_ResolveShortTerms(benchmark::State& state) {
  Result<std::vector<std::string>> terms = MakeShortTerms();
  if (!terms.ok()) {
    state.SkipWithError(terms.message().c_str());
    return;
  }
  // Argument 1: the whole resolver; 0: the morpheme analysis alone, for comparison.
  ReadingServiceOptions options;
  options.without_whole_term_dictionary = state.range(0) == 0;
  Result<JobReadings> readings = OpenJobReadings(options);
  if (!readings.ok()) {
    state.SkipWithError(readings.message().c_str());
    return;
  }
  ReadingService& service = *readings->service;
  for (auto _ : state) {
    for (const std::string& term : *terms) {
      Result<std::string> r = TermReading(term, service, service);
      benchmark::DoNotOptimize(r);
    }
  }
  state.counters["written_form"] = readings->written_form ? 1 : 0;
  state.SetItemsProcessed(state.iterations() * static_cast<int64_t>(terms->size()));
}
BENCHMARK(BM_ResolveShortTerms)->Arg(1)->Arg(0)->Unit(benchmark::kMillisecond);

void BM_OpenReadings(benchmark::State& state) {
  bool written_form = false;
  for (auto _ : state) {
    Result<JobReadings> readings = OpenJobReadings({});
    if (!readings.ok()) {
      state.SkipWithError(readings.message().c_str());
      return;
    }
    benchmark::DoNotOptimize(readings->service.get());
    written_form = readings->written_form;
    // Closing is not part of the start-up.
    state.PauseTiming();
    readings->service.reset();
    state.ResumeTiming();
  }
  state.counters["written_form"] = written_form ? 1 : 0;
}
BENCHMARK(BM_OpenReadings)->Unit(benchmark::kMillisecond);

}  // namespace
}  // namespace mirune

BENCHMARK_MAIN();
