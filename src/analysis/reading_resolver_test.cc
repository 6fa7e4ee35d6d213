#include "analysis/reading_resolver.h"

#include <gtest/gtest.h>

#include <map>

#include "analysis/term_reading.h"
#include "analysis/testing/table_analysis.h"

namespace mirune {
namespace {

using testing::TableAnalysis;

const TableAnalysis::Table kAnalysis = {
    {"正倉院", {{"正", "セイ"}, {"倉", "クラ"}, {"院", "イン"}}},
    {"正倉院展", {{"正", "セイ"}, {"倉", "クラ"}, {"院", "イン"}, {"展", "テン"}}},
    {"日本", {{"日本", "ニッポン"}}},
    {"日本語", {{"日本語", "ニホンゴ"}}},
    {"索引作成", {{"索引", "サクイン"}, {"作成", "サクセイ"}}},
    {"索引", {{"索引", "サクイン"}}},
    {"文房四宝", {{"文房", "ブンボウ"}, {"四", "ヨン"}, {"宝", "タカラ"}}},
    {"生物", {{"生物", "イキモノ"}}},
    {"データの管理", {{"データ", "データ"}, {"の", "ノ"}, {"管理", "カンリ"}}},
    {"正倉院 宝物", {{"正", "セイ"}, {"倉", "クラ"}, {"院 ", "イン "}, {"宝物", "ホウモツ"}}},
    {"鬱", {{"鬱", "鬱"}}},
};

std::unique_ptr<WholeTermDictionary> Dictionary() {
  return WholeTermDictionary::FromEntries({
      {"正倉院", "しょうそういん"},
      {"正倉院", "しょうぞういん"},
      {"日本", "にほん"},
      {"日本", "にっぽん"},
      {"生物", "せいぶつ"},
      {"生物", "なまもの"},
      {"日本語", "にほんご"},
      {"宝物", "ほうもつ"},
  });
}

struct Case {
  const char* term;
  const char* reading;
  const char* why;  // nullptr: no doubt; else a cause the doubt holds
  std::vector<std::string> candidates;
};

void Check(ReadingResolver& resolver, const Case& c) {
  auto reading = TermReading(c.term, resolver, resolver);
  ASSERT_TRUE(reading.ok()) << reading.message();
  EXPECT_EQ(*reading, c.reading) << c.term;
  const std::optional<ReadingDoubt> doubt = resolver.DoubtOfLastTerm();
  if (!c.why) {
    EXPECT_FALSE(doubt.has_value()) << c.term << ": " << doubt->why;
    return;
  }
  ASSERT_TRUE(doubt.has_value()) << c.term;
  EXPECT_NE(doubt->why.find(c.why), std::string::npos) << c.term << ": " << doubt->why;
  EXPECT_EQ(doubt->candidates, c.candidates) << c.term;
}

TEST(ReadingResolverTest, WholeTermDictionaryOverTheAnalysis) {
  ReadingResolver resolver(std::make_unique<TableAnalysis>(kAnalysis), Dictionary(), nullptr);
  const Case cases[] = {
      // Composed from morphemes, the dictionary knows the whole: its reading (the nearest to
      // the analysis's, the dictionary's order on a tie), doubted as it lists two.
      {"正倉院", "しょうそういん", kDoubtSeveralReadings, {"しょうぞういん"}},
      // The analysis's reading is among the dictionary's: sure.
      {"日本", "にっぽん", nullptr, {}},
      {"日本語", "にほんご", nullptr, {}},
      // The analysis read one word of its own otherwise: the sources disagree.
      {"生物", "なまもの", kDoubtSourcesDisagree, {"いきもの", "せいぶつ"}},
      // The longest known run becomes one word; the rest is put together.
      {"正倉院展", "しょうそういんてん", kDoubtComposed, {"しょうぞういんてん"}},
      {"正倉院 宝物", "しょうそういん ほうもつ", kDoubtComposed, {"しょうぞういん ほうもつ"}},
      // No whole-term source: put together from two words with kanji.
      {"索引作成", "さくいんさくせい", kDoubtComposed, {}},
      {"文房四宝", "ぶんぼうよんたから", kDoubtComposed, {}},
      // One word with kanji and kana around it: sure.
      {"索引", "さくいん", nullptr, {}},
      {"データの管理", "でーたのかんり", nullptr, {}},
      {"データ", "でーた", nullptr, {}},
  };
  for (const Case& c : cases) Check(resolver, c);
}

TEST(ReadingResolverTest, LearnedReadingsComeFirst) {
  const std::map<std::string, std::string, std::less<>> learned = {
      {"文房四宝", "ぶんぼうしほう"}, {"正倉院", "しょうぞういん"}, {"日本", "やまと"},
      {"索引", "さくいん"},           {"生物", "なまもの"},
  };
  ReadingResolver resolver(std::make_unique<TableAnalysis>(kAnalysis), Dictionary(),
                           [&](std::string_view term) -> const std::string* {
                             auto it = learned.find(term);
                             return it == learned.end() ? nullptr : &it->second;
                           });
  const Case cases[] = {
      // What no dictionary knows is simply learned.
      {"文房四宝", "ぶんぼうしほう", nullptr, {}},
      // Learned, and one of the dictionary's readings: sure.
      {"正倉院", "しょうぞういん", nullptr, {}},
      {"生物", "なまもの", nullptr, {}},
      // Learned against the dictionary: used, and shown with what the dictionaries say.
      {"日本", "やまと", kDoubtLearnedDisagrees, {"にっぽん", "にほん"}},
      // A learned part of a longer term.
      {"正倉院展", "しょうぞういんてん", kDoubtComposed, {}},
      {"索引作成", "さくいんさくせい", kDoubtComposed, {}},
  };
  for (const Case& c : cases) Check(resolver, c);
}

TEST(ReadingResolverTest, WithoutDictionaryTheAnalysisReads) {
  ReadingResolver resolver(std::make_unique<TableAnalysis>(kAnalysis), nullptr, nullptr);
  const Case cases[] = {
      {"正倉院", "せいくらいん", kDoubtComposed, {}},
      {"日本", "にっぽん", nullptr, {}},
      // An unread kanji is no doubt of the resolver's: the re-check mark tells.
      {"鬱", "鬱★読み再確認★", nullptr, {}},
  };
  for (const Case& c : cases) Check(resolver, c);
}

TEST(ReadingResolverTest, TextOutsideTheLastDivisionIsReadWhole) {
  ReadingResolver resolver(std::make_unique<TableAnalysis>(kAnalysis), Dictionary(), nullptr);
  ASSERT_TRUE(resolver.DivideWords("索引").ok());
  auto reading = resolver.Phonetic("正倉院展");
  ASSERT_TRUE(reading.ok());
  EXPECT_EQ(*reading, "しょうそういんテン");
  ASSERT_TRUE(resolver.DoubtOfLastTerm().has_value());
}

}  // namespace
}  // namespace mirune
