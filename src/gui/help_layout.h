#pragma once

// The layout of the utility window (Form3), the first-steps window (Form4), the FAQ window
// (Form10) and the dialog of the finished index, in twips as the main window's table is
// (gui/form_layout.h: the same control records, pixels = twips × dpi ÷ 1440). The control ids
// are shared by the window code and by the programs that drive the windows from outside.
//
// Form3 holds the tab strip TabStrip1 and one frame per tab (Frame1(0) "使い方",
// Frame1(1) "ツール"); the frames fill the strip's display area, and the buttons and labels
// of a tab lie in its frame. The control arrays keep their indexes: Command1 0 close,
// 1 "初めての方へ", 2 "使用説明書", 3 "こんなときは"; Command4 0 close, 1 "Excelソート処理",
// 2 "一括マーキング", 3 "索引作成". Label1(i) and Label4(i) describe the button of index i.

#include <span>
#include <string_view>

#include "gui/form_layout.h"

namespace mirune::help_form {

using main_form::ControlLayout;

// Window class names (the programs that drive the windows find them by these).
inline constexpr std::string_view kUtilityWindowClass = "MiruneForm3";
inline constexpr std::string_view kFirstStepsWindowClass = "MiruneForm4";
inline constexpr std::string_view kFaqWindowClass = "MiruneForm10";
inline constexpr std::string_view kIndexDialogClass = "MiruneIndexDialog";

inline constexpr std::string_view kUtilityCaption = "ユーティリティ";
inline constexpr std::string_view kFirstStepsCaption = "初めての方へ";
inline constexpr std::string_view kFaqCaption = "こんなときは";
inline constexpr std::string_view kIndexDialogCaption = "索引作成";

// The tabs of Form3 in order; the frame of tab i is Frame1(i).
inline constexpr std::string_view kUsageTab = "使い方";
inline constexpr std::string_view kToolsTab = "ツール";
inline constexpr int kTabCount = 2;

// Form3's ids. Control arrays: the element of index i has the array's base id + i.
inline constexpr int kIdTabs = 301;
inline constexpr int kIdTabPages = 310;
inline constexpr int kIdUsageButtons = 320;
inline constexpr int kIdUsageLabels = 330;
inline constexpr int kIdToolButtons = 340;
inline constexpr int kIdToolLabels = 350;
inline constexpr int kArraySize = 5;  // indexes 0 … 4 of every array
// On the "使い方" frame, below the help buttons: Explorer on the results' folder.
inline constexpr int kIdOpenResults = 360;
// On the "ツール" frame, under the re-sort's description: learn the corrected readings (on
// at first), as `mirune resort` does unless told --no-learn.
inline constexpr int kIdResortLearn = 361;

// Command1's indexes.
inline constexpr int kUsageClose = 0;
inline constexpr int kUsageFirstSteps = 1;
inline constexpr int kUsageManual = 2;
inline constexpr int kUsageFaq = 3;
// Command4's indexes.
inline constexpr int kToolsClose = 0;
inline constexpr int kToolsResort = 1;
inline constexpr int kToolsMarking = 2;
inline constexpr int kToolsIndex = 3;
inline constexpr int kToolsDiagnosis = 4;

// The index of the element `id` of the control array whose base id is `base`, or -1.
int ArrayIndex(int base, int id);

// Form4's ids.
inline constexpr int kIdFirstStepsText = 401;
inline constexpr int kIdFirstStepsIcon = 402;
inline constexpr int kIdFirstStepsClose = 403;   // "閉じる"
inline constexpr int kIdFirstStepsManual = 404;  // "使用説明書を読む"
// Form10's ids.
inline constexpr int kIdFaqText = 451;
inline constexpr int kIdFaqClose = 452;  // "閉じる"

// The index dialog's ids.
inline constexpr int kIdIndexWorkbook = 501;   // the workbook's path
inline constexpr int kIdIndexBrowse = 502;     // "参照…"
inline constexpr int kIdIndexSheet = 503;      // sheet: automatic, AfterSort, Sort_Syori1
inline constexpr int kIdIndexHeadings = 504;   // kana rows, each kana, none
inline constexpr int kIdIndexOthers = 505;     // Latin, digits, symbols after or before
inline constexpr int kIdIndexRangeMark = 506;  // "–", "-", "～"
inline constexpr int kIdIndexSeparator = 507;  // "、", ", "
inline constexpr int kIdIndexTextPages = 508;  // pages that are no numbers first or last
inline constexpr int kIdIndexByMark = 509;     // one index per mark number
inline constexpr int kIdIndexCreate = 510;     // "作成"
inline constexpr int kIdIndexClose = 511;      // "閉じる"
inline constexpr int kIdIndexLabelBase = 520;  // the labels in front of the fields

// Client areas.
inline constexpr int kUtilityClientWidthTwips = 6600;
inline constexpr int kUtilityClientHeightTwips = 4800;
inline constexpr int kHelpClientWidthTwips = 7800;
inline constexpr int kHelpClientHeightTwips = 6600;
inline constexpr int kIndexClientWidthTwips = 7200;
inline constexpr int kIndexClientHeightTwips = 5460;

std::span<const ControlLayout> UtilityWindowControls();
std::span<const ControlLayout> FirstStepsWindowControls();
std::span<const ControlLayout> FaqWindowControls();
std::span<const ControlLayout> IndexDialogControls();

// The choices of the index dialog's lists, in their order; the first is the default.
inline constexpr std::string_view kSheetChoices[] = {"自動（AfterSort、なければ Sort_Syori1）",
                                                     "AfterSort", "Sort_Syori1"};
inline constexpr std::string_view kHeadingChoices[] = {"あ行、か行…（行ごと）",
                                                       "あ、い、う…（かなごと）", "なし"};
inline constexpr std::string_view kOthersChoices[] = {"かなの後", "かなの前"};
// The range marks and separators are shown in an example, and their values kept apart.
inline constexpr std::string_view kRangeMarkChoices[] = {"12–14（ダッシュ）", "12-14（ハイフン）",
                                                         "12～14（波ダッシュ）"};
inline constexpr std::string_view kRangeMarks[] = {"–", "-", "～"};
inline constexpr std::string_view kSeparatorChoices[] = {"12、15（読点）", "12, 15（コンマ）"};
inline constexpr std::string_view kSeparators[] = {"、", ", "};
inline constexpr std::string_view kTextPagesChoices[] = {"数字の前", "数字の後"};

}  // namespace mirune::help_form
