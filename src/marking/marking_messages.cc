#include "marking/marking_messages.h"

#include <initializer_list>

namespace mirune {
namespace {

// Joins lines with CR LF; an empty line stands for one more CR LF.
std::string JoinLines(std::initializer_list<std::string_view> lines) {
  std::string out;
  bool first = true;
  for (std::string_view line : lines) {
    if (!first) out += "\r\n";
    out += line;
    first = false;
  }
  return out;
}

}  // namespace

MarkingMessageBox MarkingMessageFor(MarkingMessage message, std::string_view target_path,
                                    bool formatting_set) {
  switch (message) {
    case MarkingMessage::kOpenKeywordWorkbook:
      return {JoinLines({"一括マーキング処理を実行する前に、", "Keyword.xlsを開いておいて下さい。",
                         "", "確認後、再度実行して下さい。"}),
              kMarkingTitle, kStyleOkExclamation};
    case MarkingMessage::kNoSheet1:
      return {JoinLines(
                  {"Sheet1が見つかりませんでした。", "", "シート名を確認後、再度実行して下さい。"}),
              kMarkingTitle, kStyleOkExclamation};
    case MarkingMessage::kNoKeywords:
      return {JoinLines({"キーワード語句が見つかりませんでした。", "",
                         "Sheet1のB列の内容を確認後、再度実行して下さい。"}),
              kMarkingTitle, kStyleOkExclamation};
    case MarkingMessage::kNoDocument:
      return {
          JoinLines({"InDesign文書が見つかりませんでした。", "", "確認後、再度実行して下さい。"}),
          kMarkingTitle, kStyleOkExclamation};
    case MarkingMessage::kSeveralDocuments:
      return {JoinLines({"複数のInDesign文書が開かれています。", "",
                         "一括マーキング処理するブックまたはドキュメント以外は閉じて下さい。"}),
              kMarkingTitle, kStyleOkExclamation};
    case MarkingMessage::kEmptyBook:
      return {JoinLines({"対象ブック内にドキュメントが見つかりませんでした。", "",
                         "ブックの内容を確認してから、再度実行して下さい。"}),
              kMarkingTitle, kStyleOkExclamation};
    case MarkingMessage::kConfirmStart:
      if (formatting_set) {
        return {JoinLines({"以下のドキュメントの一括マーキング処理を開始します。", "", target_path,
                           "", "・処理を途中で止めることはできません。", "",
                           "一括マーキング処理を実行しますか？"}),
                kMarkingTitle, kStyleOkCancelInformation};
      }
      return {JoinLines({"以下のドキュメントの一括マーキング処理を開始します。", "", target_path,
                         "", "・処理を途中で止めることはできません。",
                         "・置換形式にRazozaMarkが設定されていないと、",
                         "　実行してもマーキングはされません。", "",
                         "一括マーキング処理を実行しますか？"}),
              kMarkingTitle, kStyleOkCancelInformation};
    case MarkingMessage::kFinished:
      return {JoinLines({"一括マーキング処理が終了しました。"}), kMarkingTitle,
              kStyleOkInformation};
    case MarkingMessage::kExcelUnreachable:
      return {
          JoinLines(
              {"処理を開始または続行することができませんでした。", "",
               "本ソフトとExcel間の通信が、何らかの原因により", "開始できない状態にあります。", "",
               "全てのソフトを「管理者として実行」モードで起動して、", "もう一度実行して下さい。"}),
          kMarkingTitle, kStyleOkExclamation};
    case MarkingMessage::kFailed:
      return {JoinLines({"処理を開始または続行することができませんでした。",
                         "以下の点が原因となっている可能性があります。", "",
                         "１．ダイアログ表示などが原因で、アプリケーション間の通信が",
                         "　　継続できない状態にある。",
                         "２．本ソフトで処理できない部分（予期しないデータ構造など）が、",
                         "　　対象データに含まれている。",
                         "３．本ソフト及びInDesign、Excelを「管理者として実行」",
                         "　　していない。", "", "上記を確認した上で、もう一度実行して下さい。"}),
              kMarkingTitle, kStyleOkExclamation};
  }
  return {{}, kMarkingTitle, kStyleOkExclamation};
}

std::string_view MarkingMessageTag(MarkingMessage message) {
  switch (message) {
    case MarkingMessage::kOpenKeywordWorkbook:
      return "kOpenKeywordWorkbook";
    case MarkingMessage::kNoSheet1:
      return "kNoSheet1";
    case MarkingMessage::kNoKeywords:
      return "kNoKeywords";
    case MarkingMessage::kNoDocument:
      return "kNoDocument";
    case MarkingMessage::kSeveralDocuments:
      return "kSeveralDocuments";
    case MarkingMessage::kEmptyBook:
      return "kEmptyBook";
    case MarkingMessage::kConfirmStart:
      return "kConfirmStart";
    case MarkingMessage::kFinished:
      return "kFinished";
    case MarkingMessage::kExcelUnreachable:
      return "kExcelUnreachable";
    case MarkingMessage::kFailed:
      return "kFailed";
  }
  return "M?";
}

}  // namespace mirune
