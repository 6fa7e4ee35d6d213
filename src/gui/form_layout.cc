#include "gui/form_layout.h"

#include <array>
#include <cstdlib>

namespace mirune::main_form {
namespace {

// Label3 lies at (240, 360) inside Frame1 (6840, 720).
constexpr TwipsRect kFrame1 = {6840, 720, 2295, 1890};

constexpr std::array kMainControls = {
    ControlLayout{"Drive1", kIdDriveList, ControlKind::kDriveList, "", {360, 240, 3135, 300}},
    ControlLayout{"Check1",
                  kIdKeepFolderBox,
                  ControlKind::kCheckBox,
                  "次回も同じフォルダを表示する",
                  {3720, 270, 2895, 255}},
    ControlLayout{"Dir1", kIdFolderList, ControlKind::kFolderList, "", {360, 720, 2895, 3870}},
    ControlLayout{"File1", kIdFileList, ControlKind::kFileList, "", {3480, 720, 3135, 3870}},
    ControlLayout{"Frame1", kIdRunFrame, ControlKind::kFrame, "索引抽出処理の実行", kFrame1},
    ControlLayout{"Label3",
                  kIdRunHint,
                  ControlKind::kLabel,
                  "InDesign文書を選択し、ボタンを押して下さい。",
                  {kFrame1.left + 240, kFrame1.top + 360, 1935, 660}},
    ControlLayout{
        "Command1", kIdRunButton, ControlKind::kButton, "実行", {7320, 1680, 1215, 735}, true},
    ControlLayout{"Command2",
                  kIdUtilityButton,
                  ControlKind::kButton,
                  "ユーティリティ",
                  {7320, 2880, 1215, 735}},
    ControlLayout{"Command3", kIdQuitButton, ControlKind::kButton, "終了", {7320, 3720, 1215, 735}},
    ControlLayout{"Label1",
                  kIdFilterLabel,
                  ControlKind::kLabel,
                  "ファイルの種類 ：",
                  {2040, 4800, 1455, 255}},
    ControlLayout{"Combo1", kIdFilterBox, ControlKind::kFilterBox, "*.*", {3480, 4755, 3135, 300}},
    // Where the results are: Explorer on RazozaData.
    ControlLayout{"Command4",
                  kIdOpenResultsButton,
                  ControlKind::kButton,
                  "結果のフォルダーを開く",
                  {6840, 4710, 2295, 390}},
};

// The splash: picture on the left, the three labels on the right.
constexpr std::array kSplashControls = {
    ControlLayout{"Image1", kIdSplashIcon, ControlKind::kPicture, "", {360, 360, 960, 960}},
    ControlLayout{"Label1",
                  kIdSplashStatus,
                  ControlKind::kLabel,
                  "起動しています．．．　　InDesign確認中　しばらくお待ち下さい",
                  {1560, 360, 4680, 540}},
    ControlLayout{"Label2",
                  kIdSplashTitle,
                  ControlKind::kLabel,
                  "ミルネ Windows10 対応版\r\n© Tovas　無断で複製・転載することを禁じます",
                  {1560, 1200, 4680, 900}},
    ControlLayout{
        "Label3", kIdSplashEngine, ControlKind::kLabel, "Tovas Engine", {1560, 2400, 4680, 360}},
};

}  // namespace

std::span<const ControlLayout> MainWindowControls() { return kMainControls; }
std::span<const ControlLayout> SplashWindowControls() { return kSplashControls; }

}  // namespace mirune::main_form
