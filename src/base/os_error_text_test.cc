#include "base/os_error_text.h"

#include <gtest/gtest.h>

#include <cerrno>

namespace mirune {
namespace {

TEST(OsErrorTextTest, ErrnoValuesReadAsJapaneseCauses) {
  const struct {
    int value;
    const char* cause;
  } cases[] = {
      {ENOSPC, "ディスクの空きがありません"},
      {EACCES, "アクセスが拒否されました（権限がありません）"},
      {EROFS, "読み取り専用のドライブです"},
      {ENAMETOOLONG, "名前が長すぎます"},
      {ENOENT, "ファイルまたはフォルダーがありません"},
      {EFBIG, "ファイルが大きすぎます"},
      {99999, "システムエラーが起きました（errno 99999）"},
  };
  for (const auto& c : cases) EXPECT_EQ(ErrnoCause(c.value), c.cause) << c.value;
}

TEST(OsErrorTextTest, WindowsCodesReadAsJapaneseCauses) {
  const struct {
    unsigned long value;
    const char* cause;
  } cases[] = {
      {112, "ディスクの空きがありません"},
      {39, "ディスクの空きがありません"},
      {32, "ほかのプログラムがファイルを開いています"},
      {3, "フォルダーがありません"},
      {206, "名前が長すぎます"},
      {4294967295ul, "システムエラーが起きました（エラー 4294967295）"},
  };
  for (const auto& c : cases) EXPECT_EQ(WindowsErrorCause(c.value), c.cause) << c.value;
}

}  // namespace
}  // namespace mirune
