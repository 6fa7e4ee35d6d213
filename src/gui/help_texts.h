#pragma once

// The fixed texts of the help windows and of the manual opener, in one place so that the user
// manual can quote them: the first-steps text of Form4, the questions and answers of Form10,
// the manual's file name and the message shown when it cannot be opened. Lines are joined by
// CR LF, as a multi-line text box and a message box show them.

#include <string>
#include <string_view>

namespace mirune::help {

// The first steps (Form4): a greeting, the title "「ミルネ」の進め方", seven steps ① … ⑦,
// and a pointer to the manual.
std::string_view FirstStepsText();

// Questions ("Ｑ：") and answers ("Ａ：") in six sections, in this order: 【マーキング】,
// 【語句の抽出】, 【読み】, 【ノンブル】, 【実行環境】, 【その他】.
std::string_view FaqText();

// The manual in the program folder.
inline constexpr std::string_view kManualFileName = "使用説明書Win10対応.pdf";

// The manual's full path: the program folder (with or without a closing "\"), "\", the name.
std::string ManualPath(std::string_view program_folder);

// The message when the manual cannot be opened (title "確認", OK, exclamation): what failed,
// the program folder, and what to check.
std::string ManualFailureMessage(std::string_view program_folder);
inline constexpr std::string_view kManualFailureTitle = "確認";
inline constexpr int kManualFailureStyle = 48;

}  // namespace mirune::help
