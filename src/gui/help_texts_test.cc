#include "gui/help_texts.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

namespace mirune::help {
namespace {

std::vector<std::string> Lines(std::string_view text) {
  std::vector<std::string> lines;
  size_t start = 0;
  for (;;) {
    const size_t end = text.find("\r\n", start);
    lines.emplace_back(text.substr(start, end == std::string_view::npos ? end : end - start));
    if (end == std::string_view::npos) return lines;
    start = end + 2;
  }
}

// Every line break is CR LF: a text box shows a lone LF as a box.
void ExpectCrLfOnly(std::string_view text) {
  for (size_t i = 0; i < text.size(); ++i) {
    if (text[i] == '\n') {
      EXPECT_TRUE(i > 0 && text[i - 1] == '\r') << "lone LF at " << i;
    }
    if (text[i] == '\r') {
      EXPECT_TRUE(i + 1 < text.size() && text[i + 1] == '\n') << i;
    }
  }
}

bool StartsWith(const std::string& line, std::string_view prefix) {
  return line.compare(0, prefix.size(), prefix) == 0;
}

TEST(FirstStepsText, GreetsAndGivesTheSevenStepsInOrder) {
  const std::vector<std::string> lines = Lines(FirstStepsText());
  ExpectCrLfOnly(FirstStepsText());
  ASSERT_FALSE(lines.empty());
  EXPECT_NE(lines[0].find("ミルネ"), std::string::npos);
  EXPECT_NE(std::find(lines.begin(), lines.end(), "「ミルネ」の進め方"), lines.end());
  const std::string_view steps[] = {"①", "②", "③", "④", "⑤", "⑥", "⑦"};
  size_t next = 0;
  for (const std::string& line : lines) {
    for (size_t s = 0; s < std::size(steps); ++s) {
      if (StartsWith(line, steps[s])) {
        EXPECT_EQ(s, next) << line;
        next = s + 1;
      }
    }
  }
  EXPECT_EQ(next, std::size(steps));
  EXPECT_NE(lines.back().find("使用説明書"), std::string::npos);
  // What the user is sent to exists in this program.
  for (std::string_view named : {"RazozaMark1", "Razoza.xls", "Razoza.doc", "Excelソート処理",
                                 "読み確認", "索引作成", "IDML"}) {
    EXPECT_NE(FirstStepsText().find(named), std::string_view::npos) << named;
  }
}

TEST(FaqText, SixSectionsOfQuestionsEachAnswered) {
  ExpectCrLfOnly(FaqText());
  const std::string_view sections[] = {"【マーキング】", "【語句の抽出】", "【読み】",
                                       "【ノンブル】",   "【実行環境】",   "【その他】"};
  size_t section = 0;
  int questions_in_section = 0;
  bool awaiting_answer = false;
  for (const std::string& line : Lines(FaqText())) {
    if (StartsWith(line, "【")) {
      ASSERT_LT(section, std::size(sections)) << line;
      EXPECT_EQ(line, sections[section]);
      EXPECT_FALSE(awaiting_answer) << "a question without its answer before " << line;
      if (section > 0) {
        EXPECT_GT(questions_in_section, 0) << sections[section - 1];
      }
      ++section;
      questions_in_section = 0;
    } else if (StartsWith(line, "Ｑ：")) {
      EXPECT_FALSE(awaiting_answer) << line;
      awaiting_answer = true;
      ++questions_in_section;
    } else if (StartsWith(line, "Ａ：")) {
      EXPECT_TRUE(awaiting_answer) << line;
      awaiting_answer = false;
    }
  }
  EXPECT_EQ(section, std::size(sections));
  EXPECT_GT(questions_in_section, 0);
  EXPECT_FALSE(awaiting_answer);
}

TEST(Manual, PathAndFailureMessage) {
  EXPECT_EQ(ManualPath("C:\\ミルネ"), "C:\\ミルネ\\使用説明書Win10対応.pdf");
  EXPECT_EQ(ManualPath("C:\\"), "C:\\使用説明書Win10対応.pdf");
  EXPECT_EQ(ManualFailureMessage("C:\\Program Files\\Mirune"),
            "使用説明書Win10対応.pdf を開くことができませんでした。\r\n"
            "\r\n"
            "C:\\Program Files\\Mirune\r\n"
            "\r\n"
            "上記のパスにファイルが存在するか、PDFファイルを開けるか\r\n"
            "を確認して下さい。");
}

}  // namespace
}  // namespace mirune::help
