// The kana order of the index workbook's sort: one table of cases with one answer each, the
// same in every build.

#include "automation/excel_engine/ja_collator.h"

#include <gtest/gtest.h>

#include <cstdint>

#include <algorithm>
#include <random>
#include <set>
#include <string>
#include <string_view>
#include <vector>

#include "base/utf.h"

namespace mirune {
namespace {

int Sign(int v) { return v < 0 ? -1 : (v > 0 ? 1 : 0); }

constexpr int kBefore = -1, kSame = 0, kAfter = 1;

struct Row {
  const char* a;
  const char* b;
  int order;  // sign of JaCompare(a, b)
};

const Row kRows[] = {
    // Voiced and semi-voiced kana right after their plain kana; the letters decide first.
    {"か", "が", kBefore},
    {"が", "き", kBefore},
    {"は", "ば", kBefore},
    {"ば", "ぱ", kBefore},
    {"ぱ", "ひ", kBefore},
    {"かき", "かぎ", kBefore},
    {"かぎ", "がき", kBefore},
    {"はは", "ばば", kBefore},
    {"ばば", "ぱぱ", kBefore},
    {"がき", "かく", kBefore},
    {"か\u3099", "が", kSame},  // a combining voiced sound mark joins its kana
    {"は\u309A", "ぱ", kSame},
    {"あ\u3099", "あ", kAfter},  // あ takes no mark: the mark stands alone, as a symbol
    // Small kana beside their full-size ones, before them.
    {"つ", "っ", kAfter},
    {"や", "ゃ", kAfter},
    {"あ", "ぁ", kAfter},
    {"わ", "ゎ", kAfter},
    {"ヵ", "か", kBefore},
    {"ㇰ", "く", kBefore},
    {"いっか", "いつか", kBefore},
    {"いつか", "いっかい", kBefore},
    {"きゃく", "きやく", kBefore},
    {"ゃ", "い", kAfter},
    // The long-vowel mark ー: the vowel of the kana before it, ahead of that vowel written out.
    {"かーど", "かいど", kBefore},
    {"かあど", "かーど", kAfter},
    {"かー", "かぁ", kBefore},
    {"こーひー", "こうひい", kAfter},
    {"こーひー", "こおひい", kBefore},
    {"っー", "っう", kBefore},
    {"っー", "っえ", kBefore},
    {"ゃー", "ゃい", kBefore},
    {"ラーメン", "らあめん", kBefore},
    {"ｺｰﾋｰ", "こおひい", kBefore},
    // ー at the start, after ん or after a non-kana is a symbol.
    {"ー", "あ", kBefore},
    {"ー", "0", kBefore},
    {"んー", "んあ", kBefore},
    {"aー", "aa", kBefore},
    // ゔ with う, after it.
    {"う", "ゔ", kBefore},
    {"ゔ", "え", kBefore},
    {"ゔぁ", "うぁ", kAfter},
    {"ゔ", "ヴ", kBefore},
    {"ヷ", "わ", kAfter},
    {"ヷ", "ゐ", kBefore},
    // Iteration marks repeat the kana before them (ゞ voiced).
    {"かゝ", "かか", kBefore},
    {"かか", "かゞ", kBefore},
    {"かゞ", "かが", kBefore},
    {"かゝ", "かぁ", kAfter},
    {"ゝ", "あ", kBefore},
    // Hiragana before katakana before half-width katakana, when nothing else decides.
    {"あ", "ア", kBefore},
    {"かな", "カナ", kBefore},
    {"カナ", "きな", kBefore},
    {"ア", "ｱ", kBefore},
    {"ｶﾞ", "ガ", kAfter},
    {"ｶﾞ", "き", kBefore},
    {"ｷｬ", "きゃ", kAfter},
    {"ｷｬ", "きや", kBefore},
    {"ﾊﾟ", "ば", kAfter},
    {"カあ", "かア", kAfter},  // the first difference of a level decides it
    // Latin letters: case and width only when the letters are equal; lowercase first.
    {"a", "b", kBefore},
    {"a", "A", kBefore},
    {"A", "b", kBefore},
    {"a", "ａ", kBefore},
    {"Ａ", "a", kAfter},
    {"ａ", "A", kBefore},
    {"word", "Word", kBefore},
    {"Word", "words", kBefore},
    {"e", "é", kBefore},
    {"é", "f", kBefore},
    {"café", "cafes", kBefore},
    {"z", "あ", kBefore},
    // Digits as characters, full-width beside ASCII.
    {"1", "a", kBefore},
    {"10", "2", kBefore},
    {"1", "１", kBefore},
    {"１０", "２", kBefore},
    {"9", "あ", kBefore},
    // Symbols before digits, by code point.
    {"-", "1", kBefore},
    {"(", "a", kBefore},
    {" ", "-", kBefore},
    {" ", "　", kBefore},
    {"！", "!", kAfter},
    {"・", "あ", kBefore},
    {"！", "あ", kBefore},
    {"★", "あ", kBefore},
    {"?かい", "あ", kBefore},  // "?" stands in readings for a character outside Shift_JIS
    // Kana before kanji of JIS X 0208 (level 1, then level 2) before other kanji, by code
    // point, before other scripts.
    {"ん", "一", kBefore},
    {"亜", "一", kBefore},
    {"漢字", "腕", kBefore},
    {"腕", "弌", kBefore},
    {"熙", "纊", kBefore},  // 纊 is an IBM extension kanji
    {"丂", "仝", kBefore},
    {"仝", "纊", kBefore},
    {"纊", "𠀋", kBefore},  // ICU orders other kanji by radical and strokes: 𠀋 before 仝
    {"𠀋", "α", kBefore},
    {"α", "я", kBefore},
    {"я", "가", kBefore},
    {"가", "\xFF", kBefore},  // ill-formed UTF-8 as U+FFFD
    // Readings that keep kanji, with the re-check mark, after every kana reading.
    {"さくいん", "索引", kBefore},
    {"かんじ", "漢字★読み再確認★", kBefore},
    {"うつ", "鬱★読み再確認★", kBefore},
    {"漢字", "漢字★読み再確認★", kBefore},
    {"かんじ", "かん字★読み再確認★", kBefore},
    // Gojūon order to the end; prefixes first; the empty text first.
    {"わ", "ゐ", kBefore},
    {"い", "ヰ", kBefore},
    {"ゐ", "ゑ", kBefore},
    {"ゑ", "を", kBefore},
    {"を", "ん", kBefore},
    {"さく", "さくいん", kBefore},
    {"さくいん", "さくいん", kSame},
    {"", "あ", kBefore},
    {"", " ", kBefore},
    {"", "", kSame},
    // Long texts: the last character decides.
    {"じゅげむじゅげむごこうのすりきれかいじゃりすいぎょのすいぎょうまつ",
     "じゅげむじゅげむごこうのすりきれかいじゃりすいぎょのすいぎょうまつうんらいまつ", kBefore},
    {"じゅげむじゅげむごこうのすりきれかいじゃりすいぎょのすいぎょうまつ",
     "じゅげむじゅげむごこうのすりきれかいじゃりすいぎょのすいぎょうまっ", kAfter},
    {"ジュゲムジュゲムゴコウノスリキレカイジャリスイギョノスイギョウマツ",
     "じゅげむじゅげむごこうのすりきれかいじゃりすいぎょのすいぎょうまつ", kAfter},
};

TEST(JaCollatorTest, Table) {
  for (const Row& row : kRows) {
    EXPECT_EQ(JaCompare(row.a, row.b), row.order) << row.a << " / " << row.b;
    EXPECT_EQ(JaCompare(row.b, row.a), -row.order) << row.b << " / " << row.a;
  }
}

TEST(JaCollatorTest, SortKeysOrderAsCompareOnAllPairsOfTheTable) {
  std::set<std::string> texts;
  for (const Row& row : kRows) {
    texts.insert(row.a);
    texts.insert(row.b);
  }
  for (const std::string& a : texts) {
    const std::string ka = JaSortKey(a);
    for (const std::string& b : texts) {
      EXPECT_EQ(Sign(ka.compare(JaSortKey(b))), JaCompare(a, b)) << a << " / " << b;
    }
  }
}

// Texts in ascending order, no two equal.
const char* const kSorted[] = {
    "",       " ",      "　",   "-",    "?",    "?かい",
    "★",      "・",     "ー",   "1",    "１",   "10",
    "2",      "a",      "ａ",   "A",    "b",    "e",
    "é",      "f",      "word", "Word", "ぁ",   "あ",
    "ア",     "ｱ",      "あい", "う",   "ゔ",   "ヴ",
    "うぁ",   "ゔぁ",   "え",   "か",   "カ",   "が",
    "ガ",     "ｶﾞ",     "かー", "かぁ", "かあ", "かゝ",
    "かか",   "かゞ",   "かが", "かき", "かぎ", "がき",
    "きゃく", "きやく", "っ",   "つ",   "はは", "ばば",
    "ぱぱ",   "わ",     "ヷ",   "ゐ",   "ゑ",   "を",
    "ん",     "んー",   "んあ", "亜",   "漢字", "漢字★読み再確認★",
    "腕",     "弌",     "熙",   "丂",   "仝",   "纊",
    "α",      "я",      "가",
};

TEST(JaCollatorTest, SortingAShuffledListGivesTheOrder) {
  const std::vector<std::string> expected(std::begin(kSorted), std::end(kSorted));
  std::mt19937 random(20261207);
  for (int round = 0; round < 20; ++round) {
    std::vector<std::string> texts = expected;
    std::shuffle(texts.begin(), texts.end(), random);
    std::sort(texts.begin(), texts.end(), [](const std::string& a, const std::string& b) {
      return JaSortKey(a) < JaSortKey(b);
    });
    ASSERT_EQ(texts, expected);
    std::shuffle(texts.begin(), texts.end(), random);
    std::sort(texts.begin(), texts.end(),
              [](const std::string& a, const std::string& b) { return JaCompare(a, b) < 0; });
    ASSERT_EQ(texts, expected);
  }
  for (size_t i = 1; i < expected.size(); ++i) {
    EXPECT_LT(JaCompare(expected[i - 1], expected[i]), 0)
        << expected[i - 1] << " / " << expected[i];
  }
}

// Every build must give the same keys, also where they come from the platform's code page 932
// tables (the order of the JIS X 0208 kanji): a digest of the keys of every character of the
// CJK blocks, kana and forms, and of generated readings, fixed here for all builds.
uint64_t Fnv1a(uint64_t hash, std::string_view bytes) {
  for (const char c : bytes) {
    hash ^= static_cast<unsigned char>(c);
    hash *= 0x100000001B3ull;
  }
  return hash;
}

TEST(JaCollatorTest, KeysAreTheSameInEveryBuild) {
  uint64_t hash = 0xCBF29CE484222325ull;
  std::u32string alphabet;
  for (char32_t c = 0x20; c < 0x180; ++c) alphabet.push_back(c);
  for (char32_t c = 0x3000; c < 0x3100; ++c) alphabet.push_back(c);
  for (char32_t c = 0x31F0; c < 0x3200; ++c) alphabet.push_back(c);
  for (char32_t c = 0xFF01; c < 0xFFA0; ++c) alphabet.push_back(c);
  std::u32string all = alphabet;
  for (char32_t c = 0x4E00; c < 0xA000; ++c) all.push_back(c);
  for (char32_t c = 0xF900; c < 0xFB00; ++c) all.push_back(c);
  for (const char32_t c : all) {
    std::string text;
    AppendUtf8(text, c);
    hash = Fnv1a(hash, JaSortKey(text));
  }
  std::mt19937 random(3);
  for (int i = 0; i < 20000; ++i) {
    std::u32string text;
    for (size_t k = 1 + random() % 6; k > 0; --k)
      text.push_back(alphabet[random() % alphabet.size()]);
    hash = Fnv1a(hash, JaSortKey(Utf32ToUtf8(text)));
  }
  EXPECT_EQ(hash, 3327724842513130534ull);
}

}  // namespace
}  // namespace mirune
