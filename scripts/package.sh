#!/usr/bin/env bash
# Builds the Windows release:
#   build/package/mirune-setup.exe   the installer (NSIS, 64-bit, Japanese, per-user)
#   build/package/mirune-win64.zip   the same files in a folder "mirune", for use without setup
#   scripts/package.sh [--prebuilt]
# It builds the Windows program (scripts/build.sh windows) and the manual
# 使用説明書Win10対応.pdf from docs/manual/ with the pictures of the windows that the GUI tests
# leave in build/screenshots/ (scripts/test.sh makes them). With --prebuilt the Windows build
# must already be there and is not touched (scripts/test.sh, right after its own build).
# The shipped files are staged in build/package/stage; both packages are made from there.
set -euo pipefail
root=$(cd "$(dirname "$0")/.." && pwd)
version=1.0
prebuilt=0
for argument in "$@"; do
  case $argument in
    --prebuilt) prebuilt=1 ;;
    *) echo "package.sh: 知らない指定です: $argument（使えるのは --prebuilt だけです）" >&2; exit 2 ;;
  esac
done

die() { echo "package.sh: $*" >&2; exit 1; }

for tool in makensis pandoc weasyprint pdfinfo pdffonts pdftotext x86_64-w64-mingw32-objdump \
  x86_64-w64-mingw32-strip; do
  command -v "$tool" >/dev/null || die "$tool がありません。bash scripts/setup.sh で入れて下さい"
done

windows=$root/build/windows
if [ $prebuilt = 1 ]; then
  [ -f "$windows/build.ninja" ] || [ -f "$windows/Makefile" ] ||
    die "Windows のビルドがありません（$windows）。--prebuilt を付けずに実行して下さい"
else
  bash "$root/scripts/build.sh" windows
fi
bin=$windows/bin
for file in mirune.exe mirune-gui.exe dic/sys.dic dic/SKK-JISYO.L; do
  [ -f "$bin/$file" ] || die "$bin/$file がありません。Windows のビルドが終わっていません"
done

out=$root/build/package
stage=$out/stage
rm -rf "$stage" "$out/manual"
mkdir -p "$stage" "$out/manual"

echo "== 使用説明書"
manual_name=使用説明書Win10対応.pdf
# The messages the manual quotes must be the program's words before anything is built.
/usr/bin/python3 "$root/docs/manual/check_messages.py" "$root/docs/manual/manual.md" "$root/src"
bash "$root/docs/manual/build_manual.sh" "$root/build/screenshots" "$out/manual/$manual_name"
bash "$root/docs/manual/check_manual.sh" "$out/manual/$manual_name"

echo "== 同梱するファイル"
# Without their symbols: the user needs none, and each program is 2.6 MB smaller.
for exe in mirune-gui.exe mirune.exe; do
  x86_64-w64-mingw32-strip -o "$stage/$exe" "$bin/$exe"
done
cp -r "$bin/dic" "$stage/dic"
cp "$out/manual/$manual_name" "$stage/"

# Every DLL the programs import must be part of Windows itself: the build links its libraries
# and the compiler's runtime statically, and a DLL that crept in would be missing on the
# user's machine.
system_dlls=' kernel32.dll user32.dll gdi32.dll advapi32.dll shell32.dll comctl32.dll comdlg32.dll
  ole32.dll oleaut32.dll bcrypt.dll shlwapi.dll uxtheme.dll msvcrt.dll ucrtbase.dll ws2_32.dll
  version.dll imm32.dll '
# One space between names, also where the list breaks its line.
system_dlls=" $(echo $system_dlls) "
for exe in mirune.exe mirune-gui.exe; do
  while read -r dll; do
    lower=$(printf '%s' "$dll" | tr '[:upper:]' '[:lower:]')
    case $lower in api-ms-win-*) continue ;; esac
    case $system_dlls in *" $lower "*) continue ;; esac
    die "$exe が Windows にない DLL $dll を使います。静的にリンクするか、同梱するよう package.sh を直して下さい"
  done < <(x86_64-w64-mingw32-objdump -p "$bin/$exe" | sed -n 's/^[[:space:]]*DLL Name: //p')
done

# The licences of everything shipped: the programs contain MeCab, pugixml, libzip, zlib,
# CLI11 and the mingw-w64 and GCC runtimes; dic holds the IPA dictionary and SKK-JISYO.L.
# Debian's copyright files are the licences as Debian ships them; the full texts they refer to
# (/usr/share/common-licenses) are copied beside them, since a Windows machine has none.
licenses=$stage/licenses
mkdir -p "$licenses"
license_sources=(
  "MeCab.txt:/usr/share/doc/libmecab-dev/copyright"
  "IPAdic.txt:/usr/share/doc/mecab-ipadic/copyright"
  "SKK-JISYO.txt:/usr/share/doc/skkdic/copyright"
  "pugixml.txt:/usr/share/doc/libpugixml-dev/copyright"
  "libzip.txt:/usr/share/doc/libzip-dev/copyright"
  "zlib.txt:/usr/share/doc/libz-mingw-w64-dev/copyright"
  "CLI11.txt:/usr/share/doc/libcli11-dev/copyright"
  "mingw-w64.txt:/usr/share/doc/mingw-w64-common/copyright"
  "GCC-runtime.txt:/usr/share/doc/gcc-mingw-w64-base/copyright"
  "GPL-2.txt:/usr/share/common-licenses/GPL-2"
  "GPL-3.txt:/usr/share/common-licenses/GPL-3"
  "LGPL-2.1.txt:/usr/share/common-licenses/LGPL-2.1"
)
for entry in "${license_sources[@]}"; do
  name=${entry%%:*} source=${entry#*:}
  [ -f "$source" ] || die "ライセンスの $source がありません。bash scripts/setup.sh で入れて下さい"
  # CR LF, so that Notepad of any Windows shows the lines.
  sed 's/\r$//; s/$/\r/' "$source" >"$licenses/$name"
done
sed 's/\r$//; s/$/\r/' "$root/packaging/windows/licenses_readme.txt" >"$licenses/README.txt"

echo "== インストーラー"
# The file lists of the installer and its uninstaller, from the staged folder: the uninstaller
# removes exactly what was installed.
lists=$out/nsis
rm -rf "$lists" && mkdir -p "$lists"
winpath() { printf '%s' "${1//\//\\}"; }
(
  cd "$stage"
  find . -type d | sort | while read -r dir; do
    rel=${dir#./}
    files=$(find "$dir" -maxdepth 1 -type f | sort)
    [ -n "$files" ] || continue
    if [ "$dir" = . ]; then echo 'SetOutPath "$INSTDIR"'; else echo "SetOutPath \"\$INSTDIR\\$(winpath "$rel")\""; fi
    while read -r file; do echo "File \"$stage/${file#./}\""; done <<<"$files"
  done
) >"$lists/install.nsh"
(
  cd "$stage"
  find . -type f | sort | while read -r file; do
    echo "Delete \"\$INSTDIR\\$(winpath "${file#./}")\""
  done
  # Deepest folders first; RMDir without /r leaves a folder that still holds anything.
  find . -mindepth 1 -type d | sort -r | while read -r dir; do
    echo "RMDir \"\$INSTDIR\\$(winpath "${dir#./}")\""
  done
) >"$lists/uninstall.nsh"

rm -f "$out/mirune-setup.exe"
makensis -V2 -INPUTCHARSET UTF8 -DVERSION="$version" -DOUTFILE="$out/mirune-setup.exe" \
  -DINSTALL_LIST="$lists/install.nsh" -DUNINSTALL_LIST="$lists/uninstall.nsh" \
  -DICON="$root/src/gui/mirune_gui.ico" "$root/packaging/windows/mirune.nsi"

echo "== zip"
rm -f "$out/mirune-win64.zip"
/usr/bin/python3 "$root/packaging/make_zip.py" "$stage" mirune "$out/mirune-win64.zip"

echo "作りました: $out/mirune-setup.exe"
echo "作りました: $out/mirune-win64.zip"
