#include "base/os_error_text.h"

#include <cerrno>

namespace mirune {

std::string ErrnoCause(int errno_value) {
  switch (errno_value) {
    case ENOSPC:
      return "ディスクの空きがありません";
#ifdef EDQUOT
    case EDQUOT:
      return "ディスクの使用量の上限（クォータ）を超えました";
#endif
    case EACCES:
    case EPERM:
      return "アクセスが拒否されました（権限がありません）";
    case EROFS:
      return "読み取り専用のドライブです";
    case ENOENT:
      return "ファイルまたはフォルダーがありません";
    case ENOTDIR:
      return "パスの途中にフォルダーでないものがあります";
    case EISDIR:
      return "同じ名前のフォルダーがあります";
    case ENAMETOOLONG:
      return "名前が長すぎます";
    case EEXIST:
      return "同じ名前のものが既にあります";
    case ENOTEMPTY:
      return "フォルダーが空ではありません";
    case EBUSY:
    case ETXTBSY:
      return "使用中です";
    case EXDEV:
      return "別のドライブへは移動できません";
    case EIO:
      return "入出力エラーが起きました（ディスクの故障や接続の切断）";
    case EMFILE:
    case ENFILE:
      return "開いているファイルが多すぎます";
    case ELOOP:
      return "シンボリックリンクが循環しているか、多すぎます";
    case ENOMEM:
      return "メモリーが足りません";
    case EFBIG:
      return "ファイルが大きすぎます";
    case EAGAIN:
      return "一時的に使えません";
    case EINVAL:
      return "この操作はできません（無効な指定です）";
    case ENXIO:
    case ENODEV:
      return "装置がありません";
    case EINTR:
      return "操作が中断されました";
    default:
      return "システムエラーが起きました（errno " + std::to_string(errno_value) + "）";
  }
}

std::string WindowsErrorCause(unsigned long error) {
  // Values of winerror.h; file_win.cc checks them against the header.
  switch (error) {
    case 2:  // ERROR_FILE_NOT_FOUND
      return "ファイルがありません";
    case 3:  // ERROR_PATH_NOT_FOUND
      return "フォルダーがありません";
    case 4:  // ERROR_TOO_MANY_OPEN_FILES
      return "開いているファイルが多すぎます";
    case 5:  // ERROR_ACCESS_DENIED
      return "アクセスが拒否されました（読み取り専用か、権限がないか、ほかのプログラムが使用中です"
             "）";
    case 8:   // ERROR_NOT_ENOUGH_MEMORY
    case 14:  // ERROR_OUTOFMEMORY
      return "メモリーが足りません";
    case 15:  // ERROR_INVALID_DRIVE
      return "ドライブがありません";
    case 17:  // ERROR_NOT_SAME_DEVICE
      return "別のドライブへは移動できません";
    case 19:  // ERROR_WRITE_PROTECT
      return "書き込み禁止のドライブです";
    case 21:  // ERROR_NOT_READY
      return "ドライブの準備ができていません";
    case 23:    // ERROR_CRC
    case 1117:  // ERROR_IO_DEVICE
      return "入出力エラーが起きました（ディスクの故障や接続の切断）";
    case 32:  // ERROR_SHARING_VIOLATION
    case 33:  // ERROR_LOCK_VIOLATION
      return "ほかのプログラムがファイルを開いています";
    case 39:   // ERROR_HANDLE_DISK_FULL
    case 112:  // ERROR_DISK_FULL
      return "ディスクの空きがありません";
    case 53:  // ERROR_BAD_NETPATH
    case 67:  // ERROR_BAD_NET_NAME
      return "ネットワーク上の場所が見つかりません";
    case 59:  // ERROR_UNEXP_NET_ERR
    case 64:  // ERROR_NETNAME_DELETED
      return "ネットワークの接続が切れました";
    case 65:  // ERROR_NETWORK_ACCESS_DENIED
      return "ネットワーク上の場所へのアクセスが拒否されました";
    case 80:   // ERROR_FILE_EXISTS
    case 183:  // ERROR_ALREADY_EXISTS
      return "同じ名前のものが既にあります";
    case 123:  // ERROR_INVALID_NAME
      return "名前に使えない文字が含まれています";
    case 145:  // ERROR_DIR_NOT_EMPTY
      return "フォルダーが空ではありません";
    case 206:  // ERROR_FILENAME_EXCED_RANGE
      return "名前が長すぎます";
    case 267:  // ERROR_DIRECTORY
      return "フォルダー名が正しくありません";
    case 1920:  // ERROR_CANT_ACCESS_FILE
      return "ファイルにアクセスできません";
    case 1921:  // ERROR_CANT_RESOLVE_FILENAME
      return "シンボリックリンクをたどれません";
    default:
      return "システムエラーが起きました（エラー " + std::to_string(error) + "）";
  }
}

}  // namespace mirune
