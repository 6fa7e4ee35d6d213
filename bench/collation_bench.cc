// Sorting 65,536 readings by the Japanese collation, as the index workbook sorts column B:
// a sort key for every reading, then a stable sort of the rows by key. ICU's "ja" sort keys
// (the order the sort followed before it had a rule of its own) serve as the reference.

#include <benchmark/benchmark.h>

#include <algorithm>
#include <numeric>
#include <string>
#include <vector>

#include "automation/excel_engine/ja_collator.h"
#include "base/utf.h"
#include "bench/bench_entries.h"

#ifdef MIRUNE_HAVE_ICU
#include <unicode/ucol.h>
#endif

namespace {

// The readings of the workbook benchmark's entries; every seventh term's with a long-vowel
// mark after its first kana, every eleventh's in katakana, every thirteenth's left with kanji
// and marked for re-check.
std::vector<std::string> Readings() {
  std::vector<std::string> readings;
  for (const mirune::bench::BenchEntry& e : mirune::bench::MakeBenchEntries()) {
    std::string reading;
    for (char32_t c : mirune::Utf8ToUtf32(e.reading)) {
      mirune::AppendUtf8(reading, e.term % 11 == 0 ? c + 0x60 : c);  // ア … ン
      if (e.term % 7 == 0 && reading.size() == 3) reading += "ー";
    }
    if (e.term % 13 == 0) reading += "漢字★読み再確認★";
    readings.push_back(std::move(reading));
  }
  return readings;
}

template <typename MakeKey>
void KeysOnly(benchmark::State& state, MakeKey make_key) {
  const std::vector<std::string> readings = Readings();
  for (auto _ : state) {
    for (const std::string& reading : readings) benchmark::DoNotOptimize(make_key(reading));
  }
  state.SetItemsProcessed(state.iterations() * static_cast<int64_t>(readings.size()));
}

template <typename MakeKey>
void SortByKeys(benchmark::State& state, MakeKey make_key) {
  const std::vector<std::string> readings = Readings();
  for (auto _ : state) {
    std::vector<std::string> keys(readings.size());
    for (size_t i = 0; i < readings.size(); ++i) keys[i] = make_key(readings[i]);
    std::vector<uint32_t> order(readings.size());
    std::iota(order.begin(), order.end(), 0u);
    std::stable_sort(order.begin(), order.end(),
                     [&](uint32_t a, uint32_t b) { return keys[a] < keys[b]; });
    benchmark::DoNotOptimize(order.data());
  }
  state.SetItemsProcessed(state.iterations() * static_cast<int64_t>(readings.size()));
}

std::string RuleKey(const std::string& text) { return mirune::JaSortKey(text); }

void BM_SortReadings65536(benchmark::State& state) { SortByKeys(state, RuleKey); }
BENCHMARK(BM_SortReadings65536)->Unit(benchmark::kMillisecond);
void BM_KeysOf65536Readings(benchmark::State& state) { KeysOnly(state, RuleKey); }
BENCHMARK(BM_KeysOf65536Readings)->Unit(benchmark::kMillisecond);

#ifdef MIRUNE_HAVE_ICU
std::string IcuKey(UCollator* collator, const std::string& text) {
  const std::u16string u = mirune::Utf8ToUtf16(text);
  std::string key(u.size() * 4 + 16, '\0');
  for (;;) {
    const int32_t need = ucol_getSortKey(
        collator, reinterpret_cast<const UChar*>(u.data()), static_cast<int32_t>(u.size()),
        reinterpret_cast<uint8_t*>(key.data()), static_cast<int32_t>(key.size()));
    if (need <= static_cast<int32_t>(key.size())) {
      key.resize(need > 0 ? static_cast<size_t>(need - 1) : 0);
      return key;
    }
    key.resize(static_cast<size_t>(need));
  }
}

template <bool kSort>
void IcuReference(benchmark::State& state) {
  UErrorCode status = U_ZERO_ERROR;
  UCollator* collator = ucol_open("ja", &status);
  if (U_FAILURE(status)) {
    state.SkipWithError("ICU's ja collator is not available");
    return;
  }
  auto key = [collator](const std::string& text) { return IcuKey(collator, text); };
  if (kSort) {
    SortByKeys(state, key);
  } else {
    KeysOnly(state, key);
  }
  ucol_close(collator);
}

void BM_SortReadings65536IcuReference(benchmark::State& state) { IcuReference<true>(state); }
BENCHMARK(BM_SortReadings65536IcuReference)->Unit(benchmark::kMillisecond);
void BM_KeysOf65536ReadingsIcuReference(benchmark::State& state) { IcuReference<false>(state); }
BENCHMARK(BM_KeysOf65536ReadingsIcuReference)->Unit(benchmark::kMillisecond);
#endif

}  // namespace

BENCHMARK_MAIN();
