#include "analysis/whole_term_dictionary.h"

#include <gtest/gtest.h>

#include <filesystem>

#include "base/file.h"
#include "base/path.h"

namespace mirune {
namespace {

const std::string kData = MIRUNE_SOURCE_DIR "/tests/data/analysis/";

std::vector<std::string> ReadingsOf(const WholeTermDictionary& d, std::string_view term) {
  std::vector<std::string> out;
  for (std::string_view r : d.Readings(term)) out.emplace_back(r);
  return out;
}

TEST(WholeTermDictionaryTest, ReadsTheOkuriNasiEntriesOfAnSkkFile) {
  auto d = WholeTermDictionary::LoadSkk(kData + "skk_sample.euc");
  ASSERT_TRUE(d.ok()) << d.message();
  using V = std::vector<std::string>;
  const struct {
    const char* term;
    V readings;
  } cases[] = {
      // Readings of one term in the file's order, each once.
      {"正倉院", V{"しょうそういん", "しょうぞういん"}},
      {"日本", V{"にっぽん", "にほん"}},
      {"一", V{"いち"}},
      // Annotations are not part of the candidate; a misreading is left out.
      {"仮名", V{"かな"}},
      {"雰囲気", V{"ふんいき"}},
      {"文房", V{"ぶんぼう"}},
      // Left out: okuri-ari, keys that are not kana, candidates without kanji, Lisp.
      {"悪", V{}},
      {"ABC", V{}},
      {"的", V{}},
      {"かな", V{}},
      {"(concat \"1\")", V{}},
      {"正倉", V{}},
  };
  for (const auto& c : cases) EXPECT_EQ(ReadingsOf(**d, c.term), c.readings) << c.term;
}

TEST(WholeTermDictionaryTest, Utf8FileAndKatakanaWithoutHiragana) {
  const std::string dir = JoinPath(MIRUNE_BINARY_DIR, "whole_term_dictionary_test");
  std::filesystem::create_directories(dir);
  const std::string path = JoinPath(dir, "utf8.skk");
  ASSERT_TRUE(WriteFileAtomic(path,
                              ";; -*- coding: utf-8 -*-\n;; okuri-nasi entries.\n"
                              "ゔぃーなす /美神/\r\nこうぼう /弘法;空海/\n")
                  .ok());
  auto d = WholeTermDictionary::LoadSkk(path);
  ASSERT_TRUE(d.ok()) << d.message();
  // Code page 932 has no ゔ: the program's readings keep ヴ, and so does the dictionary.
  EXPECT_EQ(ReadingsOf(**d, "美神"), std::vector<std::string>{"ヴぃーなす"});
  EXPECT_EQ(ReadingsOf(**d, "弘法"), std::vector<std::string>{"こうぼう"});
}

TEST(WholeTermDictionaryTest, BadFilesAreNamed) {
  const std::string dir = JoinPath(MIRUNE_BINARY_DIR, "whole_term_dictionary_test");
  std::filesystem::create_directories(dir);
  std::string garbage = ";; okuri-nasi entries.\n";
  for (int i = 0; i < 50; ++i) garbage += "\xB0\x41\xFF\xFE /\xB0/\n";
  const struct {
    const char* name;
    std::string bytes;  // empty: no file
    ErrorCode code;
    const char* in_message;
  } cases[] = {
      {"missing.skk", "", ErrorCode::kNotFound, "読みの辞書が見つかりません"},
      {"garbage.skk", garbage, ErrorCode::kFormatError, "最初は 2 行目"},
      {"no_entries.skk", ";; okuri-ari entries.\nわるi /悪/\n", ErrorCode::kFormatError,
       "okuri-nasi"},
      {"cut.skk", ";; okuri-nasi entries.\n\xA4\xA2\xA4\xA4 /\xB0\xA6/\n\xB0",
       ErrorCode::kFormatError, "読めない行が 1 行"},
  };
  for (const auto& c : cases) {
    const std::string path = JoinPath(dir, c.name);
    std::filesystem::remove(path);
    if (!c.bytes.empty()) {
      ASSERT_TRUE(WriteFileAtomic(path, c.bytes).ok());
    }
    auto d = WholeTermDictionary::LoadSkk(path);
    ASSERT_FALSE(d.ok()) << c.name;
    EXPECT_EQ(d.code(), c.code) << c.name;
    EXPECT_NE(d.message().find(c.in_message), std::string::npos) << d.message();
    EXPECT_NE(d.message().find(path), std::string::npos) << d.message();
  }
}

}  // namespace
}  // namespace mirune
