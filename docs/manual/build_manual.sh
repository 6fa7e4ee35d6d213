#!/usr/bin/env bash
# Builds the user manual 使用説明書Win10対応.pdf from manual.md beside this script:
# pandoc makes HTML, WeasyPrint sets it in A4 with the IPAex fonts (fonts-ipaexfont), embedded.
#   docs/manual/build_manual.sh PICTURE_FOLDER OUTPUT.pdf
# The pictures are the windows as the GUI tests saved them (build/screenshots); the manual
# names them as pictures/NAME.png. Every one must be there and painted: a missing or mostly
# black picture stops the build with its name, never a manual with a hole or a black bar.
set -euo pipefail
here=$(cd "$(dirname "$0")" && pwd)
[ $# -eq 2 ] || { echo "使い方: build_manual.sh 画像のフォルダー 出力.pdf" >&2; exit 2; }
pictures=$1
output=$2

for tool in pandoc weasyprint; do
  command -v "$tool" >/dev/null ||
    { echo "build_manual.sh: $tool がありません。bash scripts/setup.sh で入れて下さい" >&2; exit 1; }
done
families=$(fc-list : family)
[[ $families == *IPAexGothic* && $families == *IPAexMincho* ]] ||
  { echo "build_manual.sh: IPAex フォントがありません（fonts-ipaexfont）。bash scripts/setup.sh で入れて下さい" >&2; exit 1; }

names=$(grep -o 'pictures/[A-Za-z0-9_]*\.png' "$here/manual.md" | sed 's|pictures/||; s|\.png$||' | sort -u)
missing=()
for name in $names; do
  [ -f "$pictures/$name.png" ] || missing+=("$name.png")
done
if [ ${#missing[@]} -gt 0 ]; then
  {
    echo "build_manual.sh: 使用説明書の画像がありません（$pictures）:"
    printf '  %s\n' "${missing[@]}"
    echo "画像は Windows 版の GUI テストが作ります: bash scripts/test.sh（または Xvfb の下で"
    echo "ctest --test-dir build/windows -L gui と -R gui_program_test）を実行して下さい。"
  } >&2
  exit 1
fi

# A picture taken before its window was on the display is mostly black: refused, named.
paths=()
for name in $names; do paths+=("$pictures/$name.png"); done
if ! /usr/bin/python3 "$here/check_pictures.py" "${paths[@]}"; then
  echo "build_manual.sh: 黒い画像は使用説明書に入れません。GUI テストをやり直して下さい（bash scripts/test.sh）。" >&2
  exit 1
fi

work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT
mkdir -p "$work/pictures"
for name in $names; do cp "$pictures/$name.png" "$work/pictures/"; done
cp "$here/manual.css" "$work/"
pandoc "$here/manual.md" --from markdown --to html5 --standalone --toc --toc-depth=2 \
  --css manual.css --metadata pagetitle="ミルネ 使用説明書" --output "$work/manual.html"
mkdir -p "$(dirname "$output")"
# WeasyPrint's warnings about CSS it ignores are no failure; its exit status is.
weasyprint --quiet "$work/manual.html" "$output"
echo "使用説明書: $output"
