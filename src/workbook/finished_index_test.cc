#include "workbook/finished_index.h"

#include <gtest/gtest.h>

#include "base/utf.h"
#include "workbook/index_output.h"

namespace mirune {
namespace {

TEST(FinishedIndexTest, PagesAsPrinted) {
  FinishedIndexOptions options;
  FinishedIndexOptions hyphen_last;
  hyphen_last.range_mark = "-";
  hyphen_last.page_separator = ", ";
  hyphen_last.text_pages_first = false;
  using V = std::vector<std::string>;
  const struct {
    V pages;
    const FinishedIndexOptions* options;
    const char* printed;
  } cases[] = {
      {V{"12"}, &options, "12"},
      // Two consecutive pages stay apart; three or more become a range.
      {V{"12", "13"}, &options, "12、13"},
      {V{"12", "13", "14"}, &options, "12–14"},
      {V{"3", "5", "6", "7", "8", "10", "11"}, &options, "3、5–8、10、11"},
      // Numbers ascending and once each, whatever the order they came in.
      {V{"14", "12", "13", "12"}, &options, "12–14"},
      {V{"100", "9", "99", "98"}, &options, "9、98–100"},
      // Pages that are not numbers: once each, in their order, before or after the numbers.
      {V{"12", "iv", "ii", "iv", "13"}, &options, "iv、ii、12、13"},
      {V{"12", "iv", "13", "14"}, &hyphen_last, "12-14, iv"},
      {V{}, &options, ""},
  };
  for (const auto& c : cases) EXPECT_EQ(FormatPages(c.pages, *c.options), c.printed);
}

TEST(FinishedIndexTest, Headings) {
  const struct {
    const char* reading;
    KanaHeadings headings;
    const char* heading;
  } cases[] = {
      {"あい", KanaHeadings::kRows, "あ行"},
      {"ぁ", KanaHeadings::kRows, "あ行"},
      {"ヴぁいおりん", KanaHeadings::kRows, "あ行"},
      {"がっこう", KanaHeadings::kRows, "か行"},
      {"ヵげつ", KanaHeadings::kRows, "か行"},
      {"じしょ", KanaHeadings::kRows, "さ行"},
      {"っ", KanaHeadings::kRows, "た行"},
      {"ぬ", KanaHeadings::kRows, "な行"},
      {"ぽすと", KanaHeadings::kRows, "は行"},
      {"も", KanaHeadings::kRows, "ま行"},
      {"ゃ", KanaHeadings::kRows, "や行"},
      {"ろ", KanaHeadings::kRows, "ら行"},
      {"を", KanaHeadings::kRows, "わ行"},
      {"ん", KanaHeadings::kRows, "わ行"},
      {"データ", KanaHeadings::kRows, "た行"},
      {"ぱ", KanaHeadings::kEachKana, "は"},
      {"ぢ", KanaHeadings::kEachKana, "ち"},
      {"ょ", KanaHeadings::kEachKana, "よ"},
      {"さ", KanaHeadings::kNone, ""},
      {"InDesign", KanaHeadings::kRows, "英字"},
      {"ＩＴ", KanaHeadings::kNone, "英字"},
      {"2024ねん", KanaHeadings::kRows, "数字"},
      {"ー", KanaHeadings::kRows, "記号"},
      {"★", KanaHeadings::kRows, "記号"},
      {"", KanaHeadings::kRows, "記号"},
      // As the sort reads them: half-width katakana, combining voiced marks, small katakana.
      {"ｾﾝﾉﾘｷｭｳ", KanaHeadings::kRows, "さ行"},
      {"ｾﾝﾉﾘｷｭｳ", KanaHeadings::kEachKana, "せ"},
      {"ｶﾞｯｺｳ", KanaHeadings::kRows, "か行"},
      {"ｦ", KanaHeadings::kRows, "わ行"},
      {"か\u3099く", KanaHeadings::kEachKana, "か"},
      {"ㇰ", KanaHeadings::kRows, "か行"},
      {"ｰ", KanaHeadings::kRows, "記号"},
  };
  for (const auto& c : cases) EXPECT_EQ(HeadingOf(c.reading, c.headings), c.heading) << c.reading;
}

std::vector<IndexSourceRow> SampleRows() {
  return {
      {"InDesign", "InDesign", {"3"}},
      {"愛", "あい", {"1", "2", "3"}},
      {"アイロン", "あいろん", {"5", "6"}},
      {"学校", "がっこう", {"iv", "12"}},
      {"2024年", "2024ねん", {"7"}},
      {"", "", {"9"}},
      {"<記号>", "★", {}},
      {"和紙", "わし", {"1"}},
  };
}

TEST(FinishedIndexTest, GroupsInOrder) {
  FinishedIndexOptions options;
  std::vector<IndexLine> lines = BuildFinishedIndex(SampleRows(), options);
  std::string text = FinishedIndexText(lines);
  EXPECT_EQ(text,
            "あ行\r\n愛\t1–3\r\nアイロン\t5、6\r\nか行\r\n学校\tiv、12\r\nわ行\r\n和紙\t1\r\n"
            "英字\r\nInDesign\t3\r\n数字\r\n2024年\t7\r\n記号\r\n<記号>\t\r\n");
  options.others = OtherGroupsPlace::kBeforeKana;
  options.headings = KanaHeadings::kNone;
  lines = BuildFinishedIndex(SampleRows(), options);
  EXPECT_EQ(FinishedIndexText(lines),
            "英字\r\nInDesign\t3\r\n数字\r\n2024年\t7\r\n記号\r\n<記号>\t\r\n愛\t1–3\r\n"
            "アイロン\t5、6\r\n学校\tiv、12\r\n和紙\t1\r\n");
}

TEST(FinishedIndexTest, TaggedTextEscapesAndStyles) {
  const std::vector<IndexLine> lines = {{true, "あ行", {}}, {false, "<a\\b>", "1–3"}};
  const std::string bytes = FinishedIndexTaggedText(lines);
  ASSERT_GE(bytes.size(), 2u);
  EXPECT_EQ(bytes.substr(0, 2), "\xFF\xFE");
  std::u16string utf16;
  for (size_t i = 2; i + 1 < bytes.size(); i += 2) {
    utf16.push_back(static_cast<char16_t>(static_cast<unsigned char>(bytes[i]) |
                                          static_cast<unsigned char>(bytes[i + 1]) << 8));
  }
  const std::string text = Utf16ToUtf8(utf16);
  EXPECT_EQ(text.rfind("<UNICODE-WIN>\r\n", 0), 0u);
  EXPECT_NE(text.find("<dps:索引見出し=<Nextstyle:索引項目>>"), std::string::npos);
  EXPECT_NE(text.find("<dcs:索引ノンブル=<Nextstyle:索引ノンブル>>"), std::string::npos);
  const std::string body = text.substr(text.find("<pstyle:"));
  EXPECT_EQ(body,
            "<pstyle:索引見出し>あ行\r\n<pstyle:索引項目>\\<a\\\\b\\>\t<cstyle:索引ノンブル>1–3"
            "<cstyle:>");
}

}  // namespace
}  // namespace mirune
