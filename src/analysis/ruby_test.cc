// Readings from the book's own ruby: the tags in both forms, the ruby of a term and of the
// book, the order of the sources and the sheet of readings to check.

#include <gtest/gtest.h>

#include <map>
#include <memory>
#include <string>
#include <vector>

#include "analysis/book_readings.h"
#include "analysis/reading_resolver.h"
#include "analysis/ruby_text.h"
#include "analysis/story_scan.h"
#include "analysis/term_reading.h"
#include "analysis/testing/table_analysis.h"
#include "base/utf.h"

namespace mirune {
namespace {

using testing::TableAnalysis;

std::string TaggedFile(std::u16string_view body) {
  std::u16string text =
      u"<UNICODE-WIN>\r\n<vsn:16><fset:InDesign-Japanese><ctable:=<Black:"
      u"COLOR:CMYK:Process:0,0,0,1><RazozaMark1:COLOR:CMYK:Process:0,1,1,0>>\r\n";
  text += body;
  std::string bytes = "\xFF\xFE";
  for (char16_t c : text) {
    bytes.push_back(static_cast<char>(c & 0xFF));
    bytes.push_back(static_cast<char>(c >> 8));
  }
  return bytes;
}

const TableAnalysis::Table kAnalysis = {
    {"角田", {{"角田", "ツノダ"}}},     {"角田市", {{"角田", "ツノダ"}, {"市", "シ"}}},
    {"強敵", {{"強敵", "キョウテキ"}}}, {"東海林", {{"東海林", "ショウジ"}}},
    {"索引", {{"索引", "サクイン"}}},
};

// The readings of a job: the memory, the whole-term dictionary and the table's analysis.
struct Job {
  std::map<std::string, std::string, std::less<>> memory;
  ReadingResolver resolver{std::make_unique<TableAnalysis>(kAnalysis),
                           WholeTermDictionary::FromEntries({{"角田", "つのだ"},
                                                             {"角田", "かくた"},
                                                             {"強敵", "きょうてき"},
                                                             {"東海林", "しょうじ"},
                                                             {"東海林", "とうかいりん"}}),
                           [this](std::string_view term) -> const std::string* {
                             auto it = memory.find(term);
                             return it == memory.end() ? nullptr : &it->second;
                           }};
  EntryList entries;
  BookReadings book;
  AnalysisContext ctx{&entries, &resolver, &resolver, nullptr, 0, {}, &resolver, &book};

  // One story of the book.
  void Story(std::u16string_view body) {
    const Status s = AnalyzeTaggedStory(TaggedFile(body), ctx);
    ASSERT_TRUE(s.ok()) << s.ToString();
  }
  // The book's end.
  std::string Finish() {
    book.Finish(entries, &resolver);
    return entries.text();
  }
};

std::string OneStory(std::u16string_view body) {
  Job job;
  job.Story(body);
  return job.Finish();
}

TEST(RubyTest, TagFormsGiveTheReading) {
  struct Case {
    const char16_t* body;
    const char* entries;
  } cases[] = {
      // Group ruby, abbreviated and verbose.
      {u"<cc:RazozaMark1><cr:1><crstr:かどた>角田<cr:><crstr:><cc:>◆♭♪0001♪♭◆",
       "角田\tかどた\t1\n"},
      {u"<cColor:RazozaMark1><cRuby:1><cRubyString:かどた><cMojiRuby:0>角田<cRuby:>"
       u"<cRubyString:><cMojiRuby:><cColor:>◆♭♪0001♪♭◆",
       "角田\tかどた\t1\n"},
      // The ruby's tags outside the mark's.
      {u"<cr:1><crstr:かどた><cstyle:RazozaMark2>角田<cstyle:><cr:><crstr:>◆♭♪0001♪♭◆",
       "角田\tかどた\t1\n"},
      // Per-character ruby: spaces, half or full width, separate the characters' readings.
      {u"<cc:RazozaMark1><cr:1><crstr:かど た><cmr:1>角田<cr:><crstr:><cmr:><cc:>◆♭♪0001♪♭◆",
       "角田\tかどた\t1\n"},
      {u"<cc:RazozaMark1><cRuby:1><cMojiRuby:1><cRubyString:かど　た>角田<cRuby:><cc:>"
       u"◆♭♪0001♪♭◆",
       "角田\tかどた\t1\n"},
      // One ruby per character is the same.
      {u"<cc:RazozaMark1><cr:1><crstr:かど>角<crstr:た>田<cr:><crstr:><cc:>◆♭♪0001♪♭◆",
       "角田\tかどた\t1\n"},
      // Katakana ruby becomes hiragana.
      {u"<cc:RazozaMark1><cr:1><crstr:カドタ>角田<cr:><crstr:><cc:>◆♭♪0001♪♭◆",
       "角田\tかどた\t1\n"},
      // Ruby that is not all kana is no reading (which ruby is kana: RubyReadings).
      {u"<cc:RazozaMark1><cr:1><crstr:かど※>角田<cr:><crstr:><cc:>◆♭♪0001♪♭◆", "角田\tつのだ\t1\n"},
      // The ruby string is tag text: its escaped brackets end neither the tag nor the term.
      {u"<cc:RazozaMark1><cr:1><crstr:\\<b\\>>角田<cr:><crstr:><cc:>◆♭♪0001♪♭◆",
       "角田\tつのだ\t1\n"},
      // Ruby off, or without a string, is no ruby.
      {u"<cc:RazozaMark1><cr:0><crstr:かどた>角田<cr:><crstr:><cc:>◆♭♪0001♪♭◆",
       "角田\tつのだ\t1\n"},
      {u"<cc:RazozaMark1><cr:1>角田<cr:><cc:>◆♭♪0001♪♭◆", "角田\tつのだ\t1\n"},
      // The frame's page marker inside the base moves behind the term; the ruby stays.
      {u"<cc:RazozaMark1><cr:1><crstr:かどた>角田◆♭♪0003♪♭◆<cr:><crstr:><cc:>",
       "角田\tかどた\t3\n"},
  };
  for (const Case& c : cases) {
    EXPECT_EQ(OneStory(c.body), c.entries) << Utf16ToUtf8(c.body);
  }
}

TEST(RubyTest, RubyOverPartOfATerm) {
  struct Case {
    const char16_t* body;
    const char* entries;
  } cases[] = {
      // The rest is read in the whole term's division: 市 as the suffix し.
      {u"<cc:RazozaMark1><cr:1><crstr:かどた>角田<cr:><crstr:>市<cc:>◆♭♪0001♪♭◆",
       "角田市\tかどたし\t1\n"},
      // A base that does not fit the division: each stretch is read on its own.
      {u"<cc:RazozaMark1>角<cr:1><crstr:だ>田市<cr:><crstr:><cc:>◆♭♪0001♪♭◆",
       "角田市\t角だ★読み再確認★\t1\n"},
      // A mark over part of a group ruby's base: the ruby is not the term's.
      {u"<cr:1><crstr:とうかいりん>東<cc:RazozaMark1>海林<cc:><cr:><crstr:>◆♭♪0001♪♭◆",
       "海林\t海林★読み再確認★\t1\n"},
      // … over part of a per-character ruby: its characters keep their readings.
      {u"<cr:1><crstr:かど た><cmr:1>角<cc:RazozaMark1>田<cc:><cr:><crstr:><cmr:>◆♭♪0001♪♭◆",
       "田\tた\t1\n"},
  };
  for (const Case& c : cases) {
    EXPECT_EQ(OneStory(c.body), c.entries) << Utf16ToUtf8(c.body);
  }
}

TEST(RubyTest, TheBooksRubyReadsEveryOccurrence) {
  struct Case {
    std::vector<const char16_t*> stories;
    const char* entries;
    bool checked = false;  // on the sheet: no dictionary gives the reading
  } cases[] = {
      // Earlier and later in the same story, unmarked.
      {{u"<cr:1><crstr:とうかいりん>東海林<cr:><crstr:>は<cc:RazozaMark1>東海林<cc:>◆♭♪0001♪♭◆"},
       "東海林\tとうかいりん\t1\n"},
      {{u"<cc:RazozaMark1>東海林<cc:>は<cr:1><crstr:とうかいりん>東海林<cr:><crstr:>◆♭♪0001♪♭◆"},
       "東海林\tとうかいりん\t1\n"},
      // In an earlier and in a later story; a marked occurrence with ruby serves too.
      {{u"<cr:1><crstr:とうかいりん>東海林<cr:><crstr:>◆♭♪0001♪♭◆",
        u"<cc:RazozaMark1>東海林<cc:>◆♭♪0002♪♭◆"},
       "東海林\tとうかいりん\t2\n"},
      {{u"<cc:RazozaMark1>東海林<cc:>◆♭♪0001♪♭◆",
        u"<cc:RazozaMark1><cr:1><crstr:とうかいりん>東海林<cr:><crstr:><cc:>◆♭♪0002♪♭◆"},
       "東海林\tとうかいりん\t1\n東海林\tとうかいりん\t2\n"},
      // A term with ruby over part of it gives its whole reading.
      {{u"<cc:RazozaMark1>角田市<cc:>◆♭♪0001♪♭◆",
        u"<cc:RazozaMark1><cr:1><crstr:かどた>角田<cr:><crstr:>市<cc:>◆♭♪0002♪♭◆"},
       "角田市\tかどたし\t1\n角田市\tかどたし\t2\n",
       true},
      // Ruby on another text is not the term's.
      {{u"<cc:RazozaMark1>角田<cc:>と<cr:1><crstr:かどたし>角田市<cr:><crstr:>◆♭♪0001♪♭◆"},
       "角田\tつのだ\t1\n"},
  };
  for (const Case& c : cases) {
    Job job;
    for (const char16_t* story : c.stories) job.Story(story);
    EXPECT_EQ(job.Finish(), c.entries) << Utf16ToUtf8(c.stories[0]);
    EXPECT_EQ(job.entries.reading_checks().size(), c.checked ? 1u : 0u)
        << Utf16ToUtf8(c.stories[0]);
  }
}

TEST(RubyTest, TheMemoryComesBeforeRuby) {
  Job job;
  job.memory["角田"] = "かくた";
  job.Story(u"<cc:RazozaMark1><cr:1><crstr:かどた>角田<cr:><crstr:><cc:>◆♭♪0001♪♭◆");
  job.Story(u"<cr:1><crstr:すみだ>角田<cr:><crstr:><cc:RazozaMark1>角田<cc:>◆♭♪0002♪♭◆");
  EXPECT_EQ(job.Finish(), "角田\tかくた\t1\n角田\tかくた\t2\n");
}

TEST(RubyTest, ConflictingRuby) {
  Job job;
  job.Story(u"<cc:RazozaMark1>角田<cc:>◆♭♪0001♪♭◆");
  job.Story(u"<cc:RazozaMark1><cr:1><crstr:かどた>角田<cr:><crstr:><cc:>◆♭♪0002♪♭◆");
  job.Story(
      u"<cc:RazozaMark1><cr:1><crstr:すみた>角田<cr:><crstr:><cc:>◆♭♪0003♪♭◆"
      u"<cc:RazozaMark1>角田<cc:>◆♭♪0004♪♭◆");
  // Each occurrence with ruby keeps its own; the others take the first in book order.
  EXPECT_EQ(job.Finish(), "角田\tかどた\t1\n角田\tかどた\t2\n角田\tすみた\t3\n角田\tかどた\t4\n");
  const auto& checks = job.entries.reading_checks();
  ASSERT_EQ(checks.size(), 2u);
  EXPECT_EQ(checks[0].reading, "かどた");
  EXPECT_EQ(checks[0].pages, (std::vector<std::string>{"1", "2", "4"}));
  EXPECT_EQ(checks[0].doubt.why, std::string(kDoubtRubyDiffers) + "、" + kDoubtRubyNotInDictionary);
  EXPECT_EQ(checks[0].doubt.candidates, (std::vector<std::string>{"すみた", "つのだ", "かくた"}));
  EXPECT_EQ(checks[1].reading, "すみた");
  EXPECT_EQ(checks[1].pages, (std::vector<std::string>{"3"}));
}

TEST(RubyTest, ARubyReadingNoDictionaryGivesGoesOnTheSheet) {
  struct Case {
    const char16_t* body;
    const char* why;  // nullptr: not on the sheet
    std::vector<std::string> candidates;
  } cases[] = {
      {u"<cc:RazozaMark1><cr:1><crstr:とも>強敵<cr:><crstr:><cc:>◆♭♪0001♪♭◆",
       kDoubtRubyNotInDictionary,
       {"きょうてき"}},
      // A reading the dictionary lists, though the analysis reads otherwise.
      {u"<cc:RazozaMark1><cr:1><crstr:とうかいりん>東海林<cr:><crstr:><cc:>◆♭♪0001♪♭◆",
       nullptr,
       {}},
      {u"<cc:RazozaMark1><cr:1><crstr:きょうてき>強敵<cr:><crstr:><cc:>◆♭♪0001♪♭◆", nullptr, {}},
  };
  for (const Case& c : cases) {
    Job job;
    job.Story(c.body);
    job.Finish();
    const auto& checks = job.entries.reading_checks();
    if (!c.why) {
      EXPECT_TRUE(checks.empty()) << Utf16ToUtf8(c.body);
      continue;
    }
    ASSERT_EQ(checks.size(), 1u) << Utf16ToUtf8(c.body);
    EXPECT_EQ(checks[0].doubt.why, c.why);
    EXPECT_EQ(checks[0].doubt.candidates, c.candidates);
    EXPECT_EQ(checks[0].pages, (std::vector<std::string>{"1"}));
  }
}

TEST(RubyTest, ALaterRubyReplacesTheCheckOfTheEarlierReading) {
  Job job;
  job.Story(u"<cc:RazozaMark1>海林<cc:>◆♭♪0001♪♭◆");
  ASSERT_EQ(job.entries.reading_checks().size(), 1u);
  job.Story(u"<cr:1><crstr:かいりん>海林<cr:><crstr:>◆♭♪0002♪♭◆");
  EXPECT_EQ(job.Finish(), "海林\tかいりん\t1\n");
  const auto& checks = job.entries.reading_checks();
  ASSERT_EQ(checks.size(), 1u);
  EXPECT_EQ(checks[0].reading, "かいりん");
  EXPECT_EQ(checks[0].doubt.why, kDoubtRubyNotInDictionary);
}

TEST(RubyTextTest, InlineGroupsAndWhatTheyGive) {
  std::u16string text = u"<cr:1><crstr:かど た><cmr:1>角田<cr:>と<cRuby:1><cRubyString:Latin>x";
  EXPECT_EQ(InlineRubyTags(text), 2u);
  EXPECT_EQ(text, u"\xDC52かど\xDC53角\xDC54\xDC52た\xDC53田\xDC54とx");
  std::vector<std::pair<std::string, std::string>> groups;
  ForEachRubyGroup(text, [&](const std::string& base, const std::string& reading) {
    groups.emplace_back(base, reading);
  });
  EXPECT_EQ(groups, (std::vector<std::pair<std::string, std::string>>{
                        {"角", "かど"}, {"田", "た"}, {"角田", "かどた"}}));
  const TermWithRuby term = StripRubyGroups(text);
  EXPECT_EQ(term.text, "角田とx");
  EXPECT_EQ(term.ruby, (std::vector<RubySpan>{{0, 3, "かど"}, {3, 6, "た"}}));
  RemoveRubyGroups(text);
  EXPECT_EQ(text, u"角田とx");

  // Text without ruby tags is left as it is.
  std::u16string plain = u"<cc:RazozaMark1>crstr<cc:> <cr> \\<cr:1\\>";
  EXPECT_EQ(InlineRubyTags(plain), 0u);
  EXPECT_EQ(plain, u"<cc:RazozaMark1>crstr<cc:> <cr> \\<cr:1\\>");
}

TEST(RubyTextTest, RubyReadings) {
  EXPECT_EQ(RubyReadingOf(u"カド タ"), "かどた");
  EXPECT_EQ(RubyReadingOf(u"ヴぁーゝ"), "ヴぁーゝ");
  EXPECT_EQ(RubyReadingOf(u"kado"), "");
  EXPECT_EQ(RubyReadingOf(u"角"), "");
  EXPECT_EQ(RubyReadingOf(u"・"), "");
  EXPECT_EQ(RubyReadingOf(u" "), "");
}

}  // namespace
}  // namespace mirune
