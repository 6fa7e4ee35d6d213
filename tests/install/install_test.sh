#!/usr/bin/env bash
# The release's install test, under Wine in a fresh prefix of its own (build/install-test):
#   0. mirune-win64.zip holds the very files the installer installs (the staged folder);
#   1. mirune-setup.exe /S installs into %LOCALAPPDATA%\Programs\ミルネ, and its uninstaller
#      takes the whole folder when the user has left nothing in it;
#   2. mirune-setup.exe /S /D=… installs for the user alone (no administrator), into a folder
#      with a Japanese, spaced name under %LOCALAPPDATA%\Programs; every staged file arrives
#      byte for byte, with the uninstaller, the start menu's "ミルネ" and the uninstall entry;
#   3. the installed mirune.exe extracts the bundled sample book with no data folder named: its
#      data folder is the program folder, and RazozaData\Razoza.txt is the Linux golden file;
#   4. the installed mirune-gui.exe starts to its main window and ends when it is closed
#      (mirune_gui_start_check.exe of the Windows build awaits the window itself);
#   5. uninstall.exe /S removes every installed file, the shortcut and the entry, and keeps the
#      user's RazozaData and ReadingMemory.txt (and so the folder that holds them).
#   tests/install/install_test.sh [PACKAGE_FOLDER]   (default build/package)
# Needs a display for step 4: without one it runs itself under xvfb-run. Uses what
# scripts/package.sh and the Windows build made; builds nothing.
set -euo pipefail
root=$(cd "$(dirname "$0")/../.." && pwd)
package=${1:-$root/build/package}
setup=$package/mirune-setup.exe
stage=$package/stage
helper=$root/build/windows/bin/mirune_gui_start_check.exe
golden=$root/tests/data/extraction/sample_book_Razoza.txt

fail() { echo "install_test: $*" >&2; exit 1; }
[ -f "$setup" ] && [ -d "$stage" ] || fail "$setup がありません。先に bash scripts/package.sh を実行して下さい"
[ -f "$helper" ] || fail "$helper がありません。Windows のビルド（scripts/build.sh windows）が必要です"

if [ -z "${DISPLAY:-}" ]; then
  exec xvfb-run -a bash "$0" "$@"
fi

work=$root/build/install-test
export WINEPREFIX=$work/prefix
export WINEDEBUG=-all WINEARCH=win64 LANG=ja_JP.UTF-8 LC_ALL=ja_JP.UTF-8
export WINEDLLOVERRIDES="mscoree,mshtml="
wine=/usr/lib/wine/wine64
# A server left by an earlier run of this test goes before its prefix does.
[ -d "$WINEPREFIX" ] && { wineserver -k >/dev/null 2>&1 || true; }
rm -rf "$work"
mkdir -p "$work"
echo "== 新しい Wine の環境: $WINEPREFIX"
$wine wineboot --init >/dev/null 2>&1
wineserver -w

# Windows' own folders of this prefix, as Windows names them and as this machine does.
win_env() { $wine cmd /c echo "%$1%" 2>/dev/null | tr -d '\r'; }
unix_path() { $wine winepath -u "$1" 2>/dev/null | tr -d '\r'; }
local_app_data=$(win_env LOCALAPPDATA)
app_data=$(win_env APPDATA)
[ -n "$local_app_data" ] && [ "$local_app_data" != "%LOCALAPPDATA%" ] || fail "LOCALAPPDATA が分かりません"
install_win="$local_app_data\\Programs\\ミルネ 検査"
install=$(unix_path "$install_win")
shortcut=$(unix_path "$app_data\\Microsoft\\Windows\\Start Menu\\Programs")/ミルネ.lnk
uninstall_key='HKCU\Software\Microsoft\Windows\CurrentVersion\Uninstall\Mirune'

failures=0
check() {  # check DESCRIPTION COMMAND...
  if "${@:2}"; then echo "  ok: $1"; else echo "  失敗: $1" >&2; failures=$((failures + 1)); fi
}
staged_files() { (cd "$stage" && find . -type f | sed 's|^\./||' | sort); }
all_installed() {
  local file
  while read -r file; do cmp -s "$stage/$file" "$install/$file" || { echo "    違う・ない: $file" >&2; return 1; }; done < <(staged_files)
}
none_left() {
  local file
  while read -r file; do [ ! -e "$install/$file" ] || { echo "    残っています: $file" >&2; return 1; }; done < <(staged_files)
}
registered() { $wine reg query "$uninstall_key" >/dev/null 2>&1; }
not_registered() { ! registered; }

echo "== zip の中身"
mkdir -p "$work/zip"
unzip -q "$package/mirune-win64.zip" -d "$work/zip"
check "mirune-win64.zip はインストーラーと同じファイルを持つ" diff -r -q "$stage" "$work/zip/mirune"

echo "== 既定のフォルダーへのインストールと、データのないときのアンインストール"
default=$(unix_path "$local_app_data\\Programs\\ミルネ")
$wine "$setup" /S || fail "mirune-setup.exe /S が失敗しました（終了コード $?）"
check "既定のインストール先は %LOCALAPPDATA%\\Programs\\ミルネ" test -f "$default/mirune-gui.exe"
$wine "$default/uninstall.exe" /S || fail "uninstall.exe が失敗しました（終了コード $?）"
wineserver -w
check "利用者のデータがなければ、フォルダーごと消えた" test ! -e "$default"
check "アプリの一覧から消えた" not_registered

echo "== インストール（/S /D=$install_win）"
# /D= must be the last argument and is taken unquoted even with spaces, as a user types it in
# cmd; Wine would quote an argument with a space, so cmd runs it from a batch file (read in
# the console's code page 932).
printf '@"%s" /S /D=%s\r\n@exit /b %%errorlevel%%\r\n' "Z:${setup//\//\\}" "$install_win" |
  iconv -f UTF-8 -t CP932 >"$work/install.bat"
$wine cmd /c "Z:${work//\//\\}\\install.bat" || fail "mirune-setup.exe が失敗しました（終了コード $?）"
check "同梱のファイルがすべて同じ内容で入った" all_installed
check "アンインストーラーがある" test -f "$install/uninstall.exe"
check "スタートメニューに「ミルネ」がある" test -f "$shortcut"
check "アプリの一覧に登録された" registered

echo "== インストールした mirune.exe でサンプルのブックを索引抽出"
mkdir -p "$work/本"
cp "$root"/samples/book/*.idml "$work/本/"
book_win="Z:${work//\//\\}\\本"
if $wine "$install/mirune.exe" extract --yes "$book_win" >"$work/extract.out" 2>"$work/extract.err"; then
  check "データフォルダーはプログラムのフォルダー、Razoza.txt は Linux 版の正解と同じ" \
    cmp -s "$install/RazozaData/Razoza.txt" "$golden"
else
  cat "$work/extract.out" "$work/extract.err" >&2
  check "mirune.exe extract が終了コード 0 で終わる" false
fi

echo "== インストールした mirune-gui.exe をメイン画面まで起動"
check "メイン画面が出て、閉じると終了する" \
  sh "$root/scripts/with_display.sh" $wine "$helper" "$install_win"

echo "== アンインストール（/S）"
# The user's reading memory, beside RazozaData: the uninstaller must keep both.
printf '文房四宝\tぶんぼうしほう\r\n' >"$install/ReadingMemory.txt"
$wine "$install/uninstall.exe" /S || fail "uninstall.exe が失敗しました（終了コード $?）"
# The uninstaller runs from a copy of itself in %TEMP% and returns at once; every process of
# this prefix has ended when the server has.
wineserver -w
check "インストールしたファイルがすべて消えた" none_left
check "アンインストーラーが消えた" test ! -e "$install/uninstall.exe"
check "スタートメニューの「ミルネ」が消えた" test ! -e "$shortcut"
check "アプリの一覧から消えた" not_registered
check "RazozaData は残っている" cmp -s "$install/RazozaData/Razoza.txt" "$golden"
check "ReadingMemory.txt は残っている" test -s "$install/ReadingMemory.txt"

wineserver -k >/dev/null 2>&1 || true
if [ $failures -gt 0 ]; then
  echo "install_test: $failures 件の確認が失敗しました（Wine の環境は $work に残しました）" >&2
  exit 1
fi
rm -rf "$work"
echo "install_test: インストール、索引抽出、起動、アンインストールを確かめました"
