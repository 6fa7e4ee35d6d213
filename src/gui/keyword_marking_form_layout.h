#pragma once

// The layout of the start dialog of keyword bulk marking, Form11 ("一括マーキング"), in twips
// as every form's table is (gui/form_layout.h). Label1, Label4 (the instructions), Label3,
// "OK" (Command1: the running InDesign and Excel) and "キャンセル" (Command2) as the system
// has them; below the instructions a frame for a user without InDesign: the IDML document or
// book folder and the keyword workbook as files, the mark to apply (swatch or character style
// RazozaMark1 … 9) and Command6 "IDMLに実行".

#include <span>
#include <string_view>

#include "gui/form_layout.h"

namespace mirune::keyword_form {

using main_form::ControlLayout;

inline constexpr std::string_view kWindowClass = "MiruneForm11";
inline constexpr std::string_view kCaption = "一括マーキング";

inline constexpr int kIdLabel1 = 1101;
inline constexpr int kIdLabel4 = 1102;
inline constexpr int kIdLabel3 = 1103;
inline constexpr int kIdCommand1 = 1104;  // "OK"
inline constexpr int kIdCommand2 = 1105;  // "キャンセル"
inline constexpr int kIdFrame1 = 1106;    // the IDML frame
inline constexpr int kIdLabel5 = 1107;
inline constexpr int kIdText1 = 1108;     // the document or book folder
inline constexpr int kIdCommand3 = 1109;  // "文書…"
inline constexpr int kIdCommand4 = 1110;  // "フォルダー…"
inline constexpr int kIdLabel6 = 1111;
inline constexpr int kIdText2 = 1112;     // the keyword workbook
inline constexpr int kIdCommand5 = 1113;  // "参照…"
inline constexpr int kIdLabel7 = 1114;
inline constexpr int kIdCombo1 = 1115;    // swatch or character style
inline constexpr int kIdCombo2 = 1116;    // RazozaMark1 … 9
inline constexpr int kIdCommand6 = 1117;  // "IDMLに実行"

inline constexpr int kClientWidthTwips = 7800;
inline constexpr int kClientHeightTwips = 8220;

std::span<const ControlLayout> Form11Controls();

// The fixed texts (lines joined by CR LF).
std::string_view Label1Text();
std::string_view Label4Text();
std::string_view Label3Text();

// The kinds of mark of Combo1 and the names of Combo2, in their order.
inline constexpr std::string_view kMarkKinds[] = {"スウォッチ", "文字スタイル"};
inline constexpr std::string_view kMarkNames[] = {"RazozaMark1", "RazozaMark2", "RazozaMark3",
                                                  "RazozaMark4", "RazozaMark5", "RazozaMark6",
                                                  "RazozaMark7", "RazozaMark8", "RazozaMark9"};

}  // namespace mirune::keyword_form
