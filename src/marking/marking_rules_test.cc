#include "marking/marking_rules.h"

#include <gtest/gtest.h>

#include <vector>

#include "marking/keyword_report.h"
#include "marking/marking_messages.h"

namespace mirune {
namespace {

TEST(SearchCallForVersion, GenerationChoosesTheCall) {
  struct Case {
    const char* version;
    KeywordSearchCall call;
  };
  const Case cases[] = {
      {"2.0", KeywordSearchCall::kSearchFourArguments},
      {"2", KeywordSearchCall::kSearchFourArguments},
      {"3.0.1", KeywordSearchCall::kSearchSixArguments},
      {"4.0", KeywordSearchCall::kSearchSixArguments},
      {"5.0", KeywordSearchCall::kFindChangeText},
      {"7.5", KeywordSearchCall::kFindChangeText},
      {"12.0", KeywordSearchCall::kFindChangeText},  // first character "1"
      {"20.0", KeywordSearchCall::kFindChangeText},  // InDesign 2025: generation 20, not 2
      {"2.0.2", KeywordSearchCall::kSearchFourArguments},
      {"30.1", KeywordSearchCall::kFindChangeText},
      {"4", KeywordSearchCall::kSearchSixArguments},
      {"v4.0", KeywordSearchCall::kFindChangeText},
      {"", KeywordSearchCall::kFindChangeText},
      {"２", KeywordSearchCall::kFindChangeText},  // full-width digit is not "2"
  };
  for (const Case& c : cases) {
    EXPECT_EQ(SearchCallForVersion(c.version), c.call) << c.version;
  }
}

TEST(KeywordProgressValue, RoundsHalvesToEven) {
  struct Case {
    int64_t k, total;
    int32_t value;
  };
  const Case cases[] = {
      {1, 1, 99},        // the last keyword ends at 99, never 100
      {1, 2, 60},        // 59.5 → 60
      {1, 158, 20},      // 20.5 → 20
      {3, 158, 22},      // 21.5 → 22
      {5, 158, 22},      // 22.5 → 22
      {1, 5, 36},        // 35.8
      {2, 5, 52},        // 51.6
      {1, 1000000, 20},  // many keywords: starts just above 20
  };
  for (const Case& c : cases) {
    EXPECT_EQ(KeywordProgressValue(c.k, c.total), c.value) << c.k << "/" << c.total;
  }
}

TEST(CounterText, JoinsWithSpacedSlash) { EXPECT_EQ(CounterText(3, 12), "3 / 12"); }

TEST(MarkingMessages, TextsTitlesAndStyles) {
  const MarkingMessageBox m1 = MarkingMessageFor(MarkingMessage::kOpenKeywordWorkbook);
  EXPECT_EQ(m1.text,
            "一括マーキング処理を実行する前に、\r\nKeyword.xlsを開いておいて下さい。\r\n\r\n"
            "確認後、再度実行して下さい。");
  EXPECT_EQ(m1.title, "確認");
  EXPECT_EQ(m1.style, 48);

  const MarkingMessageBox m7 =
      MarkingMessageFor(MarkingMessage::kConfirmStart, "C:\\book\\本.indb");
  EXPECT_EQ(m7.text,
            "以下のドキュメントの一括マーキング処理を開始します。\r\n\r\nC:\\book\\本.indb\r\n\r\n"
            "・処理を途中で止めることはできません。\r\n・置換形式にRazozaMarkが設定されていないと、"
            "\r\n　実行してもマーキングはされません。\r\n\r\n一括マーキング処理を実行しますか？");
  EXPECT_EQ(m7.style, 65);

  const MarkingMessageBox m8 = MarkingMessageFor(MarkingMessage::kFinished);
  EXPECT_EQ(m8.text, "一括マーキング処理が終了しました。");
  EXPECT_EQ(m8.style, 64);

  const MarkingMessageBox m10 = MarkingMessageFor(MarkingMessage::kFailed);
  EXPECT_EQ(m10.text.substr(0, m10.text.find("\r\n")),
            "処理を開始または続行することができませんでした。");
  EXPECT_NE(m10.text.find("\r\n　　継続できない状態にある。\r\n"), std::string::npos);
  EXPECT_EQ(m10.style, 48);

  for (MarkingMessage m : {MarkingMessage::kNoSheet1, MarkingMessage::kNoKeywords,
                           MarkingMessage::kNoDocument, MarkingMessage::kSeveralDocuments,
                           MarkingMessage::kEmptyBook, MarkingMessage::kExcelUnreachable}) {
    const MarkingMessageBox box = MarkingMessageFor(m);
    EXPECT_EQ(box.style, 48) << MarkingMessageTag(m);
    EXPECT_EQ(box.title, "確認");
    // Second line is the empty line of every refusal.
    EXPECT_NE(box.text.find("\r\n\r\n"), std::string::npos) << MarkingMessageTag(m);
  }
  EXPECT_EQ(MarkingMessageFor(MarkingMessage::kExcelUnreachable).text,
            "処理を開始または続行することができませんでした。\r\n\r\n"
            "本ソフトとExcel間の通信が、何らかの原因により\r\n開始できない状態にあります。\r\n\r\n"
            "全てのソフトを「管理者として実行」モードで起動して、\r\nもう一度実行して下さい。");
}

TEST(FormatKeywordReport, CountsThenMissingKeywords) {
  const std::vector<KeywordTally> tallies = {
      {1, "索引", 12}, {2, "読み", 0}, {3, "", 0}, {4, "InDesign", 1}, {5, "ノンブル", 0}};
  EXPECT_EQ(FormatKeywordReport(tallies),
            "キーワードごとのマーキング箇所数:\n"
            "  B1\t索引\t12\n"
            "  B2\t読み\t0\n"
            "  B4\tInDesign\t1\n"
            "  B5\tノンブル\t0\n"
            "見つからなかったキーワード: 2語\n"
            "  B2\t読み\n"
            "  B5\tノンブル\n");
}

TEST(FormatKeywordReport, AllFound) {
  EXPECT_EQ(FormatKeywordReport({{1, "索引", 2}}),
            "キーワードごとのマーキング箇所数:\n  B1\t索引\t2\n"
            "見つからなかったキーワードはありません。\n");
}

}  // namespace
}  // namespace mirune
