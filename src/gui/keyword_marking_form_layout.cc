#include "gui/keyword_marking_form_layout.h"

#include <array>

namespace mirune::keyword_form {
namespace {

using main_form::ControlKind;

constexpr std::string_view kLabel1 =
    "「一括マーキング処理」は、Keyword.xlsのＢ列にあるキーワード群を元に、InDesign文書に"
    "一括でマーキングを行うものです。　";

constexpr std::string_view kLabel4 =
    "次の手順で進めて下さい。\r\n"
    "\r\n"
    "１．Excelについても必ず管理者として実行して下さい。\r\n"
    "　注）Keyword.xlsをダブルクリックしただけでは管理者とならず、\r\n"
    "　　「OK」ボタンを押しても実行されません。\r\n"
    "\r\n"
    "２．キーワードの入ったKeyword.xlsを開きます。\r\n"
    "\r\n"
    "３．対象となるInDesign文書を開きます。\r\n"
    "\r\n"
    "４．検索／置換ウィンドウで必要な設定を行います。\r\n"
    "　・置換形式に「RazozaMark～」のスウォッチ名またはスタイル名を設定します。\r\n"
    "　　その他は、必要に応じて設定します。\r\n"
    "\r\n"
    "５．対象となるInDesign文書だけが、画面に出ているようにします。\r\n"
    "　・単独のドキュメントは、そのドキュメントのみ表示します。\r\n"
    "　・ブックは、ブック内ドキュメントを全て閉じて、ブックのパレットのみ表示します。";

constexpr std::string_view kLabel3 =
    "ＯＫを押すと実行前のチェックが行われ、\r\n実行開始画面が表示されます。";

constexpr std::array kControls = {
    ControlLayout{"Label1", kIdIntroText, ControlKind::kLabel, kLabel1, {240, 240, 7320, 480}},
    ControlLayout{"Label4", kIdStepsText, ControlKind::kLabel, kLabel4, {240, 840, 7320, 3720}},
    ControlLayout{"Label3", kIdOkHint, ControlKind::kLabel, kLabel3, {240, 4680, 7320, 480}},
    ControlLayout{"Frame1",
                  kIdIdmlFrame,
                  ControlKind::kFrame,
                  "InDesignがないとき：IDML文書に一括マーキング（結果は別の名前で保存）",
                  {240, 5280, 7320, 2160}},
    ControlLayout{"Label5",
                  kIdIdmlHint,
                  ControlKind::kLabel,
                  "文書（.idml）またはブックのフォルダー：",
                  {120, 300, 4800, 255},
                  false,
                  kIdIdmlFrame},
    ControlLayout{"Text1",
                  kIdDocumentPath,
                  ControlKind::kEdit,
                  "",
                  {120, 570, 4800, 315},
                  false,
                  kIdIdmlFrame},
    ControlLayout{"Command3",
                  kIdChooseDocument,
                  ControlKind::kButton,
                  "文書…",
                  {5040, 555, 780, 345},
                  false,
                  kIdIdmlFrame},
    ControlLayout{"Command4",
                  kIdChooseFolder,
                  ControlKind::kButton,
                  "フォルダー…",
                  {5880, 555, 1320, 345},
                  false,
                  kIdIdmlFrame},
    ControlLayout{"Label6",
                  kIdKeywordsLabel,
                  ControlKind::kLabel,
                  "キーワードのブック（Keyword.xls）：",
                  {120, 990, 4800, 255},
                  false,
                  kIdIdmlFrame},
    ControlLayout{"Text2",
                  kIdKeywordsPath,
                  ControlKind::kEdit,
                  "",
                  {120, 1260, 4800, 315},
                  false,
                  kIdIdmlFrame},
    ControlLayout{"Command5",
                  kIdChooseKeywords,
                  ControlKind::kButton,
                  "参照…",
                  {5040, 1245, 780, 345},
                  false,
                  kIdIdmlFrame},
    ControlLayout{"Label7",
                  kIdMarkLabel,
                  ControlKind::kLabel,
                  "付けるマーク：",
                  {120, 1700, 1260, 255},
                  false,
                  kIdIdmlFrame},
    ControlLayout{"Combo1",
                  kIdMarkKind,
                  ControlKind::kChoiceList,
                  "",
                  {1380, 1660, 1500, 315},
                  false,
                  kIdIdmlFrame},
    ControlLayout{"Combo2",
                  kIdMarkName,
                  ControlKind::kChoiceList,
                  "",
                  {3000, 1660, 1800, 315},
                  false,
                  kIdIdmlFrame},
    ControlLayout{"Command6",
                  kIdRunOnIdml,
                  ControlKind::kButton,
                  "IDMLに実行",
                  {5520, 1640, 1680, 375},
                  false,
                  kIdIdmlFrame},
    ControlLayout{"Command1", kIdOkButton, ControlKind::kButton, "OK", {4440, 7620, 1320, 420}},
    ControlLayout{
        "Command2", kIdCancelButton, ControlKind::kButton, "キャンセル", {5880, 7620, 1680, 420}},
};

}  // namespace

std::span<const ControlLayout> Form11Controls() { return kControls; }
std::string_view Label1Text() { return kLabel1; }
std::string_view Label4Text() { return kLabel4; }
std::string_view Label3Text() { return kLabel3; }

}  // namespace mirune::keyword_form
