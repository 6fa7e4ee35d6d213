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

inline constexpr int kIdIntroText = 1101;
inline constexpr int kIdStepsText = 1102;
inline constexpr int kIdOkHint = 1103;
inline constexpr int kIdOkButton = 1104;      // "OK"
inline constexpr int kIdCancelButton = 1105;  // "キャンセル"
inline constexpr int kIdIdmlFrame = 1106;     // the IDML frame
inline constexpr int kIdIdmlHint = 1107;
inline constexpr int kIdDocumentPath = 1108;    // the document or book folder
inline constexpr int kIdChooseDocument = 1109;  // "文書…"
inline constexpr int kIdChooseFolder = 1110;    // "フォルダー…"
inline constexpr int kIdKeywordsLabel = 1111;
inline constexpr int kIdKeywordsPath = 1112;    // the keyword workbook
inline constexpr int kIdChooseKeywords = 1113;  // "参照…"
inline constexpr int kIdMarkLabel = 1114;
inline constexpr int kIdMarkKind = 1115;   // swatch or character style
inline constexpr int kIdMarkName = 1116;   // RazozaMark1 … 9
inline constexpr int kIdRunOnIdml = 1117;  // "IDMLに実行"

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
