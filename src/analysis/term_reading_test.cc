#include "analysis/term_reading.h"

#include <gtest/gtest.h>

#include "analysis/testing/fake_phonetic.h"

namespace mirune {
namespace {

// A divider that returns fixed words, whatever the text.
class FixedDivider : public WordDivider {
 public:
  explicit FixedDivider(std::vector<std::string> words) : words_(std::move(words)) {}
  Result<std::vector<std::string>> DivideWords(std::string_view) override { return words_; }

 private:
  std::vector<std::string> words_;
};

class FailingLookup : public PhoneticLookup {
 public:
  Result<std::string> Phonetic(std::string_view) override {
    return Error{ErrorCode::kHostError, "lookup unavailable"};
  }
};

TEST(TermReadingTest, ReadsAsTheRulesSay) {
  FakePhonetic lookup({{"索引", "サクイン"},
                       {"読", "ヨ"},
                       {"々", "ドウ"},
                       {"本", "ホン"},
                       {"日本", "ニホン"},
                       {"〇", "マル"}});
  ScriptWordDivider divider;
  struct Case {
    const char* term;
    const char* reading;
    int lookups;
  } cases[] = {
      // Kana and Latin are converted locally, without any lookup.
      {"データ", "でーた", 0},
      {"InDesign 2024", "InDesign 2024", 0},
      {"ヴァイオリン", "ヴぁいおりん", 0},
      // Beyond code page 932: a kanji goes to the lookup and, left unread, brings the mark;
      // other characters stay as they are.
      {"鷗外", "鷗外★読み再確認★", 1},
      {"𠮷", "𠮷★読み再確認★", 1},
      {"Lösung", "Lösung", 0},
      // Only kanji words go to the lookup.
      {"索引", "さくいん", 1},
      {"読み", "よみ", 1},
      {"日本のデータ", "にほんのでーた", 1},
      // 々 and 〇 make a kanji word, but left in a reading they bring no mark.
      {"々", "どう", 1},
      {"〇〇", "〇〇", 1},
      // A kanji the lookup cannot read stays, with the re-check mark.
      {"鬱", "鬱★読み再確認★", 1},
      {"鬱と本", "鬱とほん★読み再確認★", 2},
      // A reading holding "♭♪" gets no mark.
      {"♭♪鬱", "♭♪鬱", 1},
      // Control characters never reach the reading.
      {"A\vB", "AB", 0},
      {"", "", 0},
  };
  for (const auto& c : cases) {
    lookup.calls = 0;
    auto r = TermReading(c.term, divider, lookup);
    ASSERT_TRUE(r.ok()) << c.term;
    EXPECT_EQ(*r, c.reading) << c.term;
    EXPECT_EQ(lookup.calls, c.lookups) << c.term;
  }
}

TEST(TermReadingTest, FirstWordNotFoundSendsTheWholeTerm) {
  FakePhonetic lookup(FakePhonetic::Table{{"索引語", "サクインゴ"}});
  FixedDivider divider({"XX", "索引"});
  auto r = TermReading("索引語", divider, lookup);
  ASSERT_TRUE(r.ok());
  EXPECT_EQ(*r, "さくいんご");
  EXPECT_EQ(lookup.calls, 1);
  EXPECT_EQ(lookup.last_text, "索引語");
}

TEST(TermReadingTest, LaterWordNotFoundIsReadAllTheSame) {
  FakePhonetic lookup;
  FixedDivider divider({"ab", "ZZ", "c"});
  auto r = TermReading("abc", divider, lookup);
  ASSERT_TRUE(r.ok());
  EXPECT_EQ(*r, "abZZc");
}

TEST(TermReadingTest, ParagraphMarkWordAddsNothing) {
  FakePhonetic lookup;
  FixedDivider divider({"ab", "\r"});
  EXPECT_EQ(*TermReading("ab\r", divider, lookup), "ab");
}

TEST(TermReadingTest, LookupFailureIsAnError) {
  FailingLookup lookup;
  ScriptWordDivider divider;
  EXPECT_TRUE(TermReading("かな", divider, lookup).ok());
  auto r = TermReading("漢字", divider, lookup);
  ASSERT_FALSE(r.ok());
  EXPECT_EQ(r.code(), ErrorCode::kHostError);
}

TEST(ScriptWordDividerTest, DividesByScriptWithSpacesAfter) {
  ScriptWordDivider divider;
  auto words = divider.DivideWords(" 日本語のテキスト InDesign 2024年、々");
  ASSERT_TRUE(words.ok());
  EXPECT_EQ(*words, (std::vector<std::string>{" ", "日本語", "の", "テキスト ", "InDesign ", "2024",
                                              "年", "、", "々"}));
}

}  // namespace
}  // namespace mirune
