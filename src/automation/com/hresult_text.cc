#include "automation/com/hresult_text.h"

#include <cstdio>

namespace mirune::com {

std::string HresultHex(uint32_t hresult) {
  char text[16];
  std::snprintf(text, sizeof(text), "0x%08X", static_cast<unsigned>(hresult));
  return text;
}

std::string HresultCause(uint32_t hresult) {
  switch (hresult) {
    case 0x80020003u:
      return "メンバーが見つかりません";
    case 0x80020004u:
      return "引数が見つかりません";
    case 0x80020005u:
      return "引数の型が合いません";
    case 0x80020006u:
      return "名前が見つかりません";
    case 0x80020007u:
      return "名前付きの引数を受け付けません";
    case 0x80020009u:
      return "アプリケーションがエラーを返しました";
    case 0x8002000Au:
      return "値が範囲を超えています";
    case 0x8002000Bu:
      return "番号が範囲外です";
    case 0x8002000Eu:
      return "引数の数が合いません";
    case 0x8002000Fu:
      return "必要な引数がありません";
    case 0x80010001u:
      return "アプリケーションが呼び出しを受け付けません（ダイアログが開いているなど）";
    case 0x8001010Au:
      return "アプリケーションが処理中です";
    case 0x80010108u:
      return "アプリケーションとの接続が切れました";
    case 0x800706BAu:
      return "アプリケーションが終了したか、応答しません";
    case 0x800706BEu:
      return "アプリケーションの呼び出しが失敗しました";
    case 0x80040154u:
      return "アプリケーションが登録されていません";
    case 0x800401F3u:
      return "アプリケーションの名前（ProgID）が登録されていません";
    case 0x800401E3u:
      return "起動しているアプリケーションが見つかりません";
    case 0x80080005u:
      return "アプリケーションを起動できません";
    case 0x800401F0u:
      return "COM が初期化されていません";
    case 0x80010106u:
      return "このスレッドは別の方式で COM を初期化しています";
    case 0x80004002u:
      return "必要なインターフェイスがありません";
    case 0x80004001u:
      return "この操作はできません";
    case 0x8007000Eu:
      return "メモリが足りません";
    case 0x80070057u:
      return "引数が正しくありません";
    case 0x80070005u:
      return "アクセスが拒否されました";
    case 0x80004005u:
      return "原因不明のエラーです";
    default:
      return "不明なエラーです";
  }
}

std::string HresultDetail(uint32_t hresult) {
  return HresultHex(hresult) + ": " + HresultCause(hresult);
}

}  // namespace mirune::com
