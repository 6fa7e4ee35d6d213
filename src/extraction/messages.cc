#include "extraction/messages.h"

#include <cstdio>
#include <initializer_list>

namespace mirune {
namespace {

std::string Join(std::initializer_list<std::string_view> lines) {
  std::string out;
  bool first = true;
  for (const std::string_view line : lines) {
    if (!first) out += "\r\n";
    out += line;
    first = false;
  }
  return out;
}

}  // namespace

std::string MessageSomethingOpen() {
  return Join({"InDesign文書がオープンされています。",
               "索引抽出を実行する前に、文書は全て閉じておく必要があります。",
               "（マーキングし終わった文書は、確実に保存して下さい）", "",
               "準備ができたら、再度実行して下さい。"});
}

std::string MessageStartBook(std::string_view path) {
  return Join({"以下のブックの索引抽出を開始します。", "", path});
}

std::string MessageStartDocument(std::string_view path) {
  return Join({"以下のドキュメントの索引抽出を開始します。", "", path});
}

std::string MessageBookModified() {
  return Join({"対象文書（ブック）が変更されているため、処理を開始できません。", "",
               "（注）単に保存が済んでいない場合と、CSで2.0のブックを開くなど、",
               "　　　自動変換されて未保存の状態になっている場合があります。", "",
               "ブックを保存してから、再度実行して下さい。"});
}

std::string MessageBookEmpty() {
  return Join({"対象ブック内にドキュメントが見つかりませんでした。", "",
               "ブックの内容を確認してから、再度実行して下さい。"});
}

std::string MessageDocumentModified() {
  return Join({"対象文書（ドキュメント）が、未保存の状態になっています。",
               "このまま実行すると、対象文書は保存されません。", "", "実行してもよろしいですか？"});
}

std::string MessageTargetNotFound() {
  return Join({"対象文書を発見または特定できませんでした。", "",
               "対象文書のファイル名やパスを変えて、再度実行して下さい。"});
}

std::string MessageNothingExtracted() {
  return Join({"索引語句は抽出されませんでした。", "",
               "マーキングがされているかなど、対象文書を確認して下さい。"});
}

std::string MessageCompleted(double elapsed_seconds, int64_t extracted_count,
                             std::string_view results_folder) {
  char seconds[64];
  std::snprintf(seconds, sizeof seconds, "%.1f", elapsed_seconds < 0 ? 0.0 : elapsed_seconds);
  std::string text = std::string("索引抽出処理が終了しました。") + "\n\r" +
                     "処理にかかった時間は " + seconds + " 秒で、" +
                     std::to_string(extracted_count) + "ヵ所抽出しました。";
  if (!results_folder.empty()) {
    text += "\r\n結果のフォルダー: ";
    text += results_folder;
  }
  return text;
}

std::string MessageAborted() { return "中止しました。前回の結果はそのまま残っています。"; }

std::string MessageCannotContinue() {
  return Join({"処理を開始または続行することができませんでした。",
               "以下の点が原因となっている可能性があります。", "",
               "１．起動したInDesignと対象文書のバージョンが異なる。",
               "　（例えばCC2017でCS6の文書を開いた場合、自動変換されるため",
               "　　処理が続行できなくなります）", "２．フォントがない、またはリンクが切れている。",
               "３．InDesignなど本ソフト以外で、ダイアログ入力待ちがある。",
               "４．本ソフトで処理できない部分（予期しないデータ構造など）が、",
               "　　対象文書に含まれている。",
               "５．本ソフト及びInDesignを「管理者として実行」していない。", "",
               "特にInDesign文書オープン時、変換や警告に注意願います。",
               "上記に原因が見当たらない場合は、本ソフト及びInDesignを",
               "一旦終了してから再度試して下さい。"});
}

std::string MessageCloseWordAndExcel() {
  return Join({"索引抽出処理を実行する前に、", "起動しているWord・Excelは終了する必要があります。",
               "", "Word・Excelを終了してから、再度実行して下さい。"});
}

std::string ReadingCheckSummary(int64_t count) {
  return "読みを確かめてほしい語句が " + std::to_string(count) +
         " 件あります（Razoza.xls のシート「読み確認」）。";
}

}  // namespace mirune
