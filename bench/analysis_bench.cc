// Story analysis benchmarks: the scan of a 1 MB story with 5,000 marked terms (readings
// left out), the readings of 100,000 short terms, and 100,000 "<t" without any ">>".

#include <benchmark/benchmark.h>

#include <memory>
#include <string>
#include <utility>
#include <vector>

#include "analysis/book_readings.h"
#include "analysis/entry_list.h"
#include "analysis/phonetic.h"
#include "analysis/story_scan.h"
#include "analysis/term_reading.h"

namespace mirune {
namespace {

const char16_t* const kWords[] = {
    u"索引",       u"見出し語", u"組版", u"校正",   u"電子書籍", u"データ", u"日本語",
    u"文字コード", u"活字",     u"版面", u"印刷所", u"編集者",   u"ルビ",   u"縦組み",
    u"横組み",     u"段落",     u"行間", u"字間",   u"禁則処理", u"約物",   u"InDesign",
};
constexpr size_t kWordCount = sizeof(kWords) / sizeof(kWords[0]);

std::string ToFileBytes(const std::u16string& text) {
  std::string bytes = "\xFF\xFE";
  bytes.reserve(2 + text.size() * 2);
  for (char16_t c : text) {
    bytes.push_back(static_cast<char>(c & 0xFF));
    bytes.push_back(static_cast<char>(c >> 8));
  }
  return bytes;
}

const std::u16string kHeader =
    u"<UNICODE-WIN>\r\n<vsn:16><fset:InDesign-Japanese><ctable:=<Black:COLOR:CMYK:Process:0,0,0,"
    u"1><RazozaMark1:COLOR:CMYK:Process:0,1,1,0>>\r\n<dps:NormalParagraphStyle=<Nextstyle:"
    u"NormalParagraphStyle>>\r\n";

// About 1 MB of UTF-16 tagged text: 5,000 marked terms in the three tag forms, a page
// marker about every 2,000 characters, a paragraph every 200.
std::string MakeStory() {
  std::u16string text = kHeader + u"<pstyle:NormalParagraphStyle>";
  const std::u16string filler = u"本文の文章がここに続き、組版の例として使われる。";
  int page = 1;
  size_t since_marker = 0, since_paragraph = 0;
  for (int term = 0; term < 5000 || text.size() < 512 * 1024; ++term) {
    const std::u16string word = kWords[term % kWordCount];
    if (term < 5000) {
      switch (term % 3) {
        case 0:
          text += u"<cc:RazozaMark1>" + word + u"<cc:>";
          break;
        case 1:
          text += u"<cstyle:RazozaMark2>" + word + u"<cstyle:>";
          break;
        default:
          text += u"<cColor:RazozaMark3>" + word + u"<cColor:>";
      }
    }
    for (int k = 0; k < 2; ++k) text += filler;
    since_marker += 2 * filler.size();
    since_paragraph += 2 * filler.size();
    if (since_paragraph > 200) {
      text += u"\r\n<pstyle:NormalParagraphStyle>";
      since_paragraph = 0;
    }
    if (since_marker > 2000) {
      char16_t digits[5];
      for (int d = 3, p = page; d >= 0; --d, p /= 10) digits[d] = u'0' + p % 10;
      text += u"◆♭♪" + std::u16string(digits, 4) + u"♪♭◆";
      ++page;
      since_marker = 0;
    }
  }
  return ToFileBytes(text);
}

// Readings left out: each term is one word, and the lookup answers at once.
class NoDivision : public WordDivider {
 public:
  Result<std::vector<std::string>> DivideWords(std::string_view text) override {
    return std::vector<std::string>{std::string(text)};
  }
};
class NoLookup : public PhoneticLookup {
 public:
  Result<std::string> Phonetic(std::string_view) override { return std::string(); }
};

void BM_Story1MB5000Terms(benchmark::State& state) {
  const std::string bytes = MakeStory();
  NoDivision divider;
  NoLookup lookup;
  int64_t entries = 0;
  for (auto _ : state) {
    EntryList list;
    AnalysisContext ctx{&list, &divider, &lookup, nullptr, 0, {}, nullptr};
    if (!AnalyzeTaggedStory(bytes, ctx).ok()) state.SkipWithError("analysis failed");
    entries = list.entry_count();
    benchmark::DoNotOptimize(list.text().data());
  }
  state.counters["bytes"] = static_cast<double>(bytes.size());
  state.counters["entries"] = static_cast<double>(entries);
  state.SetBytesProcessed(state.iterations() * static_cast<int64_t>(bytes.size()));
}
BENCHMARK(BM_Story1MB5000Terms)->Unit(benchmark::kMillisecond);

void BM_Hostile100000Lt(benchmark::State& state) {
  std::u16string text = kHeader;
  for (int i = 0; i < 100000; ++i) text += u"<t";
  const std::string bytes = ToFileBytes(text);
  NoDivision divider;
  NoLookup lookup;
  for (auto _ : state) {
    EntryList list;
    AnalysisContext ctx{&list, &divider, &lookup, nullptr, 0, {}, nullptr};
    if (!AnalyzeTaggedStory(bytes, ctx).ok()) state.SkipWithError("analysis failed");
  }
}
BENCHMARK(BM_Hostile100000Lt)->Unit(benchmark::kMillisecond);

#ifdef MIRUNE_HAVE_MECAB
// 100,000 short terms of one to three words through the readings: the whole resolver of a
// job (argument 2: SKK-JISYO.L over MeCab with the IPA dictionary), the resolver without the
// dictionary (1), and MeCab alone (0).
std::string Utf8Of(const std::u16string& t) {
  std::string utf8;
  for (char16_t c : t) {
    if (c < 0x80) {
      utf8.push_back(static_cast<char>(c));
    } else if (c < 0x800) {
      utf8.push_back(static_cast<char>(0xC0 | c >> 6));
      utf8.push_back(static_cast<char>(0x80 | (c & 0x3F)));
    } else {
      utf8.push_back(static_cast<char>(0xE0 | c >> 12));
      utf8.push_back(static_cast<char>(0x80 | (c >> 6 & 0x3F)));
      utf8.push_back(static_cast<char>(0x80 | (c & 0x3F)));
    }
  }
  return utf8;
}

// The 100,000 terms, each with the length of its first word in bytes.
std::vector<std::pair<std::string, size_t>> HundredThousandTerms() {
  std::vector<std::pair<std::string, size_t>> terms;
  for (size_t i = 0; i < 100000; ++i) {
    std::u16string t = kWords[i % kWordCount];
    const size_t first = Utf8Of(t).size();
    if (i % 3 != 0) t += kWords[(i / kWordCount + i) % kWordCount];
    if (i % 7 == 0) t += u"の" + std::u16string(kWords[(i / 7) % kWordCount]);
    terms.emplace_back(Utf8Of(t), first);
  }
  return terms;
}

std::unique_ptr<ReadingService> BenchReadings(int64_t sources) {
  ReadingServiceOptions options;
  options.without_whole_term_dictionary = sources == 1;
  if (sources == 0) {
    auto mecab = OpenSystemReadings(options);
    return mecab.ok() ? std::move(*mecab) : nullptr;
  }
  auto job = OpenJobReadings(options);
  return job.ok() ? std::move(job->service) : nullptr;
}

void BM_Readings100000Terms(benchmark::State& state) {
  std::unique_ptr<ReadingService> service = BenchReadings(state.range(0));
  if (!service) {
    state.SkipWithError("no readings");
    return;
  }
  std::vector<std::string> terms;
  for (auto& [term, first] : HundredThousandTerms()) terms.push_back(std::move(term));
  ReadingService& readings = *service;
  for (auto _ : state) {
    for (const auto& term : terms) {
      auto r = TermReading(term, readings, readings);
      benchmark::DoNotOptimize(r);
    }
  }
  state.SetItemsProcessed(state.iterations() * static_cast<int64_t>(terms.size()));
}
BENCHMARK(BM_Readings100000Terms)->Arg(2)->Arg(1)->Arg(0)->Unit(benchmark::kMillisecond);

// The same terms as a job reads them (BookReadings: the memory asked, the book's ruby, the
// readings that may depend on ruby found later kept, the book finished), with the whole
// resolver: argument 0 without ruby, n with ruby on every n-th term. A term with ruby is made
// a text no other term is (真 before it, the ruby over 真 and its first word), so the ruby
// costs its own reading and takes no work off the other terms.
void BM_Readings100000TermsBook(benchmark::State& state) {
  std::unique_ptr<ReadingService> service = BenchReadings(2);
  if (!service) {
    state.SkipWithError("no readings");
    return;
  }
  const int64_t every = state.range(0);
  std::vector<TermWithRuby> terms;
  size_t i = 0;
  for (auto& [term, first] : HundredThousandTerms()) {
    TermWithRuby t;
    t.text = std::move(term);
    if (every > 0 && i % static_cast<size_t>(every) == 0) {
      t.text = "真" + t.text;
      t.ruby.push_back({0, first + 3, "まことのよみ"});
    }
    terms.push_back(std::move(t));
    ++i;
  }
  ReadingService& readings = *service;
  const std::string page = "1";
  int64_t ruby_read = 0;
  for (auto _ : state) {
    ruby_read = 0;
    BookReadings book;
    EntryList entries;
    for (size_t k = 0; k < terms.size(); ++k) {
      auto r = book.Read(terms[k], k, page, readings, readings, &readings);
      if (!r.ok()) {
        state.SkipWithError(r.message().c_str());
        return;
      }
      ruby_read += r->ruby ? 1 : 0;
      benchmark::DoNotOptimize(r);
    }
    book.Finish(entries, &readings);
  }
  state.SetItemsProcessed(state.iterations() * static_cast<int64_t>(terms.size()));
  state.counters["ruby_read"] = static_cast<double>(ruby_read);
}
BENCHMARK(BM_Readings100000TermsBook)->Arg(0)->Arg(10)->Unit(benchmark::kMillisecond);
#endif

}  // namespace
}  // namespace mirune

BENCHMARK_MAIN();
