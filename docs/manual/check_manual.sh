#!/usr/bin/env bash
# Checks a built manual: at least 8 pages, every font embedded, and Japanese text that can be
# extracted (a manual whose text cannot be searched or copied has lost its fonts' mapping).
#   docs/manual/check_manual.sh MANUAL.pdf
set -euo pipefail
pdf=$1
fail() { echo "check_manual.sh: $pdf: $*" >&2; exit 1; }
[ -s "$pdf" ] || fail "ファイルがありません"

pages=$(pdfinfo "$pdf" | sed -n 's/^Pages:[[:space:]]*//p')
[ -n "$pages" ] && [ "$pages" -ge 8 ] || fail "ページ数が ${pages:-?} です（8 ページ以上のはずです）"

# pdffonts: two header lines, then one line per font; the column "emb" is yes or no.
fonts=$(pdffonts "$pdf" | tail -n +3)
[ -n "$fonts" ] || fail "フォントがありません"
not_embedded=$(printf '%s\n' "$fonts" | awk '{ n = NF; if ($(n-4) != "yes") print $1 }')
[ -z "$not_embedded" ] || fail "埋め込まれていないフォントがあります: $not_embedded"

text=$(pdftotext -enc UTF-8 "$pdf" -)
for phrase in "索引語のマーキング" "RazozaMark1" "読み確認" "ReadingMemory.txt" "Keyword.xls" \
  "mirune --help" "索引抽出処理を実行する前に、"; do
  grep -qF -- "$phrase" <<<"$text" || fail "本文から「$phrase」を取り出せません"
done
echo "使用説明書を確かめました: $pages ページ、フォントはすべて埋め込み、日本語の本文を取り出せます"
