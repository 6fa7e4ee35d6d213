#pragma once

// The messages of the re-sort job (title "確認"); lines joined by CR LF.

#include <string_view>

namespace mirune {

inline constexpr std::string_view kResortTitle = "確認";

// Start confirmation (OK and Cancel, information).
inline constexpr std::string_view kResortStartMessage = "Excelソート処理を開始します。";
// No visible Excel window showing Razoza.xls (OK, exclamation).
inline constexpr std::string_view kResortOpenFirstMessage =
    "ソート処理を実行する前に、\r\nRazoza.xlsを開いておいて下さい。\r\n\r\n"
    "確認後、再度実行して下さい。";
// Completion (OK, information).
inline constexpr std::string_view kResortDoneMessage = "ソート処理が終了しました。";
// Excel could not be reached (OK, exclamation).
inline constexpr std::string_view kResortNoExcelMessage =
    "処理を開始または続行することができませんでした。\r\n\r\n"
    "本ソフトとExcel間の通信が、何らかの原因により\r\n開始できない状態にあります。\r\n\r\n"
    "もう一度実行しても処理できない場合は、\r\n本ソフト及びExcelを再起動してから実行して下さい。";
// Any other failure, a workbook without "Org" among them (OK, exclamation).
inline constexpr std::string_view kResortFailedMessage =
    "処理を開始または続行することができませんでした。\r\n\r\n"
    "シート名が正しくないか、または何らかの原因により\r\n"
    "本ソフトとExcel間の通信が開始できない状態にあります。\r\n\r\n"
    "正しいシート名で再実行しても処理できない場合は、\r\n"
    "本ソフト及びExcelを再起動してから実行して下さい。";

}  // namespace mirune
