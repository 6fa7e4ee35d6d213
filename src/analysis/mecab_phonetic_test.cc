#include "analysis/mecab_phonetic.h"

#include <gtest/gtest.h>

#include <string>

#include "analysis/phonetic.h"
#include "analysis/story_scan.h"
#include "analysis/term_reading.h"
#include "base/file.h"

namespace mirune {
namespace {

const std::string kData = std::string(MIRUNE_SOURCE_DIR) + "/tests/data/analysis/";

std::unique_ptr<MecabReadings> OpenOrDie(const ReadingServiceOptions& options = {}) {
  auto r = MecabReadings::Open(options);
  EXPECT_TRUE(r.ok()) << r.message();
  return r.ok() ? std::move(*r) : nullptr;
}

std::string Join(const std::vector<std::string>& words) {
  std::string out;
  for (const auto& w : words) out += w;
  return out;
}

TEST(MecabReadingsTest, ReadsTermsThroughTheDictionary) {
  auto mecab = OpenOrDie();
  ASSERT_TRUE(mecab);
  struct Case {
    const char* term;
    const char* reading;
  } cases[] = {
      {"索引", "さくいん"},
      {"読み", "よみ"},
      {"本の最後", "ほんのさいご"},
      {"データ", "でーた"},
      // Unknown words keep their written form; a kanji left brings the re-check mark.
      {"InDesign", "InDesign"},
      {"Adobe InDesign", "Adobe InDesign"},
      {"鬱", "鬱★読み再確認★"},
      {"", ""},
  };
  for (const auto& c : cases) {
    auto r = TermReading(c.term, *mecab, *mecab);
    ASSERT_TRUE(r.ok()) << c.term << ": " << r.message();
    EXPECT_EQ(*r, c.reading) << c.term;
  }
}

TEST(MecabReadingsTest, WordsGiveTheTextBack) {
  auto mecab = OpenOrDie();
  ASSERT_TRUE(mecab);
  std::string long_text;
  for (int i = 0; i < 3000; ++i) long_text += "索引語 ";
  for (const std::string& text :
       {std::string("Adobe  InDesign の\t索引"), std::string(" 先頭の空白"), std::string("a\0b", 3),
        std::string("\x01\x02漢字\x7f"), std::string("\x80\x80\xE3"), std::string("𠮷野家の鷗外"),
        long_text}) {
    auto words = mecab->DivideWords(text);
    ASSERT_TRUE(words.ok()) << words.message();
    EXPECT_EQ(Join(*words), text);
    for (const auto& w : *words) EXPECT_FALSE(w.empty());
    // The lookup of any text answers too.
    EXPECT_TRUE(mecab->Phonetic(text).ok());
  }
  auto words = mecab->DivideWords("本の 索引");
  ASSERT_TRUE(words.ok());
  EXPECT_EQ(*words, (std::vector<std::string>{"本", "の ", "索引"}));
  EXPECT_EQ(*mecab->Phonetic("の "), "ノ ");
  EXPECT_EQ(*mecab->Phonetic("最後"), "サイゴ");
}

TEST(MecabReadingsTest, UserDictionaryFixesReadings) {
  auto plain = OpenOrDie();
  ASSERT_TRUE(plain);
  EXPECT_NE(*TermReading("澪音", *plain, *plain), "みおね");
  ReadingServiceOptions options;
  options.user_dictionary = kData + "user_dictionary.dic";
  auto mecab = OpenOrDie(options);
  ASSERT_TRUE(mecab);
  EXPECT_EQ(*TermReading("澪音", *mecab, *mecab), "みおね");
  EXPECT_EQ(*TermReading("索引語句", *mecab, *mecab), "さくいんごく");
}

// The user's own dictionary is a choice: it comes before the whole-term dictionary, which lists
// 楮 as こうぞ and ちょ (the nearest to the user's かじ would be ちょ, neither reading).
TEST(MecabReadingsTest, UserDictionaryComesBeforeTheWholeTermDictionary) {
  ReadingServiceOptions options;
  auto without = OpenJobReadings(options);
  ASSERT_TRUE(without.ok()) << without.message();
  if (without->service && !without->notices.empty()) GTEST_SKIP() << without->notices[0];
  EXPECT_EQ(*TermReading("楮", *without->service, *without->service), "こうぞ");
  options.user_dictionary = kData + "user_dictionary_kozo.dic";
  auto with = OpenJobReadings(options);
  ASSERT_TRUE(with.ok()) << with.message();
  EXPECT_EQ(*TermReading("楮", *with->service, *with->service), "かじ");
  EXPECT_EQ(*TermReading("楮紙", *with->service, *with->service), "かじし");
  // Words the user dictionary does not give are read as before.
  EXPECT_EQ(*TermReading("正倉院", *with->service, *with->service), "しょうそういん");
}

TEST(MecabReadingsTest, BadDictionariesAreClearErrors) {
  ReadingServiceOptions missing_user;
  missing_user.user_dictionary = kData + "no_such.dic";
  auto r = MecabReadings::Open(missing_user);
  ASSERT_FALSE(r.ok());
  EXPECT_EQ(r.code(), ErrorCode::kNotFound);
  EXPECT_NE(r.message().find("no_such.dic"), std::string::npos);

  ReadingServiceOptions not_a_dic;
  not_a_dic.user_dictionary = kData + "user_dictionary.csv";
  r = MecabReadings::Open(not_a_dic);
  ASSERT_FALSE(r.ok());
  EXPECT_EQ(r.code(), ErrorCode::kFormatError);
  EXPECT_NE(r.message().find("user_dictionary.csv"), std::string::npos);

  // A damaged dictionary (cut short) is refused before MeCab maps it.
  const std::string cut = std::string(MIRUNE_BINARY_DIR) + "/analysis_cut_user.dic";
  ASSERT_TRUE(
      WriteFileAtomic(cut, ReadFileBytes(kData + "user_dictionary.dic")->substr(0, 3000)).ok());
  ReadingServiceOptions cut_dic;
  cut_dic.user_dictionary = cut;
  r = MecabReadings::Open(cut_dic);
  ASSERT_FALSE(r.ok());
  EXPECT_EQ(r.code(), ErrorCode::kFormatError);

  // A header whose character set field is no name: said so, without the field's bytes.
  std::string header(72, '\0');
  const uint32_t magic = 0xef718f77u ^ static_cast<uint32_t>(header.size());
  for (int i = 0; i < 4; ++i) {
    header[static_cast<size_t>(i)] = static_cast<char>((magic >> (8 * i)) & 0xFF);
  }
  header[4] = 102;
  header.replace(40, 6, "\xFF\xFE\x01\x9B\xE3\x81");
  const std::string garbled = std::string(MIRUNE_BINARY_DIR) + "/analysis_garbled_user.dic";
  ASSERT_TRUE(WriteFileAtomic(garbled, header).ok());
  ReadingServiceOptions garbled_dic;
  garbled_dic.user_dictionary = garbled;
  r = MecabReadings::Open(garbled_dic);
  ASSERT_FALSE(r.ok());
  EXPECT_NE(r.message().find("文字コードの欄が読めません"), std::string::npos) << r.message();
  EXPECT_EQ(r.message().find("\xFF"), std::string::npos);
  EXPECT_EQ(r.message().find('\x01'), std::string::npos);

  ReadingServiceOptions no_system;
  no_system.dictionary_folder = kData;
  r = MecabReadings::Open(no_system);
  ASSERT_FALSE(r.ok());
  EXPECT_EQ(r.code(), ErrorCode::kNotFound);
}

// The IPA dictionary the program reads by default: beside it (the Windows build puts it
// there), else where Debian installs it.
std::string DefaultDictionaryFolder() {
  const std::string beside = ProgramFolder() + "/dic";
  return FileExists(beside + "/sys.dic") ? beside : "/var/lib/mecab/dic/ipadic-utf8";
}

// A system dictionary folder named by the user: a copy of the IPA dictionary, whole or with
// one file missing or damaged. The folder's name has Japanese and a space, which must reach
// MeCab's own file calls intact.
TEST(MecabReadingsTest, NamedDictionaryFolders) {
  enum class Damage { kNone, kNoSysDic, kNoDicrc, kCutSysDic, kNoFolder };
  const struct {
    const char* name;
    Damage damage;
    ErrorCode expected;
    const char* message_part;  // found in the message when not empty
  } kCases[] = {
      {"whole", Damage::kNone, ErrorCode::kOk, ""},
      {"no sys.dic", Damage::kNoSysDic, ErrorCode::kNotFound, "sys.dic"},
      {"no dicrc", Damage::kNoDicrc, ErrorCode::kNotFound, "dicrc"},
      {"cut sys.dic", Damage::kCutSysDic, ErrorCode::kFormatError, "sys.dic"},
      {"no folder", Damage::kNoFolder, ErrorCode::kNotFound, "辞書 フォルダー"},
  };
  const std::string source = DefaultDictionaryFolder();
  const std::string scratch = std::string(MIRUNE_BINARY_DIR) + "/analysis_dictionaries";
  ASSERT_TRUE(CreateFolder(scratch).ok());
  int n = 0;
  for (const auto& c : kCases) {
    SCOPED_TRACE(c.name);
    const std::string folder = scratch + "/" + std::to_string(n++) + " 辞書 フォルダー";
    if (c.damage != Damage::kNoFolder) {
      ASSERT_TRUE(CreateFolder(folder).ok());
      for (const char* file : {"sys.dic", "matrix.bin", "char.bin", "unk.dic", "dicrc"}) {
        const std::string name = file;
        if (name == "sys.dic" && c.damage == Damage::kNoSysDic) continue;
        if (name == "dicrc" && c.damage == Damage::kNoDicrc) continue;
        auto bytes = ReadFileBytes(source + "/" + name);
        ASSERT_TRUE(bytes.ok()) << bytes.message();
        if (name == "sys.dic" && c.damage == Damage::kCutSysDic) bytes->resize(bytes->size() / 2);
        ASSERT_TRUE(WriteFileAtomic(folder + "/" + name, *bytes).ok());
      }
    }
    ReadingServiceOptions options;
    options.dictionary_folder = folder;
    auto r = MecabReadings::Open(options);
    if (c.expected == ErrorCode::kOk) {
      ASSERT_TRUE(r.ok()) << r.message();
      EXPECT_EQ(*TermReading("索引", **r, **r), "さくいん");
      continue;
    }
    ASSERT_FALSE(r.ok());
    EXPECT_EQ(r.code(), c.expected) << r.message();
    EXPECT_NE(r.message().find(c.message_part), std::string::npos) << r.message();
  }
}

}  // namespace
}  // namespace mirune

namespace mirune {
namespace {

// The bundled sample stories, analysed as one job, against their golden entry lists.
TEST(SampleStoriesTest, MatchTheirGoldenEntries) {
  struct Case {
    std::vector<std::string> stories;
    std::string user_dictionary;
    std::string golden;
  } cases[] = {
      {{"sample_story_1.txt", "sample_story_2.txt", "sample_story_3.txt"},
       "",
       "sample_entries.expected.txt"},
      {{"sample_story_3.txt"}, "user_dictionary.dic", "sample_story_3_user_dic.expected.txt"},
  };
  for (const auto& c : cases) {
    ReadingServiceOptions options;
    if (!c.user_dictionary.empty()) options.user_dictionary = kData + c.user_dictionary;
    auto service = OpenSystemReadings(options);
    ASSERT_TRUE(service.ok()) << service.message();
    EntryList entries;
    AnalysisContext ctx{&entries, service->get(), service->get(), nullptr, 0, {}, nullptr};
    for (const auto& story : c.stories) {
      auto bytes = ReadFileBytes(kData + story);
      ASSERT_TRUE(bytes.ok()) << bytes.message();
      Status s = AnalyzeTaggedStory(*bytes, ctx);
      ASSERT_TRUE(s.ok()) << story << ": " << s.message();
    }
    EXPECT_EQ(entries.text(), *ReadFileBytes(kData + c.golden)) << c.golden;
  }
}

}  // namespace
}  // namespace mirune
