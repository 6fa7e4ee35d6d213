#include "gui/help_layout.h"

#include <array>

namespace mirune::help_form {
namespace {

using main_form::ControlKind;
using main_form::TwipsRect;

constexpr int kUsageFrame = kIdTabPages;
constexpr int kToolsFrame = kIdTabPages + 1;

// Buttons on the left of a frame, their labels beside them, the close button at the bottom
// right; the same places on both tabs.
constexpr TwipsRect ButtonRow(int row) { return {240, 240 + row * 900, 1920, 660}; }
constexpr TwipsRect LabelRow(int row) { return {2400, 330 + row * 900, 3600, 480}; }
constexpr TwipsRect kCloseButton = {3480, 3240, 2400, 660};

constexpr std::array kUtilityControls = {
    ControlLayout{"TabStrip1", kIdTabs, ControlKind::kTabStrip, "", {120, 120, 6360, 4560}},
    ControlLayout{"Frame1(0)", kUsageFrame, ControlKind::kFrame, "", {}, false, kIdTabs},
    ControlLayout{"Frame1(1)", kToolsFrame, ControlKind::kFrame, "", {}, false, kIdTabs},
    // "使い方"
    ControlLayout{"Command1(1)", kIdUsageButtons + kUsageFirstSteps, ControlKind::kButton,
                  "初めての方へ", ButtonRow(0), false, kUsageFrame},
    ControlLayout{"Label1(1)", kIdUsageLabels + kUsageFirstSteps, ControlKind::kLabel,
                  "ここを読むだけで簡単に　使い始められます", LabelRow(0), false, kUsageFrame},
    ControlLayout{"Command1(2)", kIdUsageButtons + kUsageManual, ControlKind::kButton, "使用説明書",
                  ButtonRow(1), false, kUsageFrame},
    ControlLayout{"Label1(2)", kIdUsageLabels + kUsageManual, ControlKind::kLabel,
                  "本ソフトの機能や注意点などの詳細なマニュアルです", LabelRow(1), false,
                  kUsageFrame},
    ControlLayout{"Command1(3)", kIdUsageButtons + kUsageFaq, ControlKind::kButton, "こんなときは",
                  ButtonRow(2), false, kUsageFrame},
    ControlLayout{"Label1(3)", kIdUsageLabels + kUsageFaq, ControlKind::kLabel,
                  "よくあるご質問や事例を　紹介します", LabelRow(2), false, kUsageFrame},
    ControlLayout{"Command1(0)", kIdUsageButtons + kUsageClose, ControlKind::kButton,
                  "ユーティリティを　閉じる", kCloseButton, false, kUsageFrame},
    ControlLayout{"Command5", kIdOpenResults, ControlKind::kButton, "結果のフォルダーを開く",
                  ButtonRow(3), false, kUsageFrame},
    // "ツール"
    ControlLayout{"Command4(2)", kIdToolButtons + kToolsMarking, ControlKind::kButton,
                  "一括マーキング", ButtonRow(0), false, kToolsFrame},
    ControlLayout{"Label4(2)", kIdToolLabels + kToolsMarking, ControlKind::kLabel,
                  "InDesign文書の同一語句を一括でマーキングします", LabelRow(0), false,
                  kToolsFrame},
    ControlLayout{"Command4(1)", kIdToolButtons + kToolsResort, ControlKind::kButton,
                  "Excelソート処理", ButtonRow(1), false, kToolsFrame},
    ControlLayout{"Label4(1)", kIdToolLabels + kToolsResort, ControlKind::kLabel,
                  "Razoza.xlsの読みを訂正後、あらためてソートを行います", LabelRow(1), false,
                  kToolsFrame},
    ControlLayout{"Check1",
                  kIdResortLearn,
                  ControlKind::kCheckBox,
                  "読みを記憶する",
                  {2400, 1740, 3600, 270},
                  false,
                  kToolsFrame},
    ControlLayout{"Command4(3)", kIdToolButtons + kToolsIndex, ControlKind::kButton, "索引作成",
                  ButtonRow(2), false, kToolsFrame},
    ControlLayout{"Label4(3)", kIdToolLabels + kToolsIndex, ControlKind::kLabel,
                  "訂正済みのRazoza.xlsから仕上がりの索引を作ります", LabelRow(2), false,
                  kToolsFrame},
    // The check of InDesign and Excel: below the other tools, left of the close button (no
    // label: the row's label place is the close button's).
    ControlLayout{"Command4(4)", kIdToolButtons + kToolsDiagnosis, ControlKind::kButton, "動作確認",
                  ButtonRow(3), false, kToolsFrame},
    ControlLayout{"Command4(0)", kIdToolButtons + kToolsClose, ControlKind::kButton,
                  "ユーティリティを　閉じる", kCloseButton, false, kToolsFrame},
};

constexpr TwipsRect kHelpCloseButton = {5880, 6000, 1680, 420};

constexpr std::array kFirstStepsControls = {
    ControlLayout{"Image1", kIdFirstStepsIcon, ControlKind::kPicture, "", {240, 240, 720, 720}},
    ControlLayout{"Text1", kIdFirstStepsText, ControlKind::kTextBox, "", {1080, 240, 6480, 5520}},
    ControlLayout{"Command2",
                  kIdFirstStepsManual,
                  ControlKind::kButton,
                  "使用説明書を読む",
                  {3720, 6000, 2040, 420}},
    ControlLayout{"Command1", kIdFirstStepsClose, ControlKind::kButton, "閉じる", kHelpCloseButton},
};

constexpr std::array kFaqControls = {
    ControlLayout{"Text1", kIdFaqText, ControlKind::kTextBox, "", {240, 240, 7320, 5520}},
    ControlLayout{"Command1", kIdFaqClose, ControlKind::kButton, "閉じる", kHelpCloseButton},
};

// A label and its list on one row of the index dialog.
constexpr TwipsRect FieldLabel(int row) { return {240, 1080 + row * 480, 2640, 255}; }
constexpr TwipsRect FieldList(int row) { return {3000, 1040 + row * 480, 3960, 315}; }

constexpr std::array kIndexControls = {
    ControlLayout{"Label1",
                  kIdIndexLabelBase,
                  ControlKind::kLabel,
                  "読みを訂正したブック（Razoza.xls）：",
                  {240, 240, 6720, 255}},
    ControlLayout{"Text1", kIdIndexWorkbook, ControlKind::kEdit, "", {240, 540, 5760, 315}},
    ControlLayout{"Command3", kIdIndexBrowse, ControlKind::kButton, "参照…", {6120, 525, 840, 345}},
    ControlLayout{"Label2", kIdIndexLabelBase + 1, ControlKind::kLabel, "シート：", FieldLabel(0)},
    ControlLayout{"Combo1", kIdIndexSheet, ControlKind::kChoiceList, "", FieldList(0)},
    ControlLayout{"Label3", kIdIndexLabelBase + 2, ControlKind::kLabel, "見出し：", FieldLabel(1)},
    ControlLayout{"Combo2", kIdIndexHeadings, ControlKind::kChoiceList, "", FieldList(1)},
    ControlLayout{"Label4", kIdIndexLabelBase + 3, ControlKind::kLabel, "英字・数字・記号の語句：",
                  FieldLabel(2)},
    ControlLayout{"Combo3", kIdIndexOthers, ControlKind::kChoiceList, "", FieldList(2)},
    ControlLayout{"Label5", kIdIndexLabelBase + 4, ControlKind::kLabel,
                  "続くページをまとめる記号：", FieldLabel(3)},
    ControlLayout{"Combo4", kIdIndexRangeMark, ControlKind::kChoiceList, "", FieldList(3)},
    ControlLayout{"Label6", kIdIndexLabelBase + 5, ControlKind::kLabel, "ページの区切り：",
                  FieldLabel(4)},
    ControlLayout{"Combo5", kIdIndexSeparator, ControlKind::kChoiceList, "", FieldList(4)},
    ControlLayout{"Label7", kIdIndexLabelBase + 6, ControlKind::kLabel, "数字でないノンブル：",
                  FieldLabel(5)},
    ControlLayout{"Combo6", kIdIndexTextPages, ControlKind::kChoiceList, "", FieldList(5)},
    ControlLayout{"Check1",
                  kIdIndexByMark,
                  ControlKind::kCheckBox,
                  "マーク番号（RazozaMark1～9）ごとに別の索引を作る",
                  {240, 4020, 6720, 300}},
    ControlLayout{
        "Command1", kIdIndexCreate, ControlKind::kButton, "作成", {3960, 4800, 1440, 420}, true},
    ControlLayout{
        "Command2", kIdIndexClose, ControlKind::kButton, "閉じる", {5520, 4800, 1440, 420}},
};

}  // namespace

int ArrayIndex(int base, int id) { return id >= base && id < base + kArraySize ? id - base : -1; }

std::span<const ControlLayout> UtilityWindowControls() { return kUtilityControls; }
std::span<const ControlLayout> FirstStepsWindowControls() { return kFirstStepsControls; }
std::span<const ControlLayout> FaqWindowControls() { return kFaqControls; }
std::span<const ControlLayout> IndexDialogControls() { return kIndexControls; }

}  // namespace mirune::help_form
