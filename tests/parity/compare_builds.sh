#!/usr/bin/env bash
# Runs the Linux program and the Windows program (under Wine) on the same inputs and compares
# their results: the bundled sample book through extract, resort, workbook and index; each
# real IDML sample through mark and then, marked, through the same; the sample stories through entries.
#   tests/parity/compare_builds.sh LINUX_MIRUNE WINDOWS_MIRUNE_EXE
# Razoza.txt, Razoza.doc, printed entry lines and every part of a marked IDML package must be
# byte for byte the same; .xls workbooks must hold the same cells, column widths and cell
# formats on every sheet (read by python3-xlrd). Names every difference; exits 1 if there is any.
set -euo pipefail
root=$(cd "$(dirname "$0")/../.." && pwd)
linux=$1
windows=$2
shared=$(cd "$root/../shared" && pwd)
# Cells, column widths and cell formats of every sheet, as python3-xlrd reads them.
cells="/usr/bin/python3 $root/tests/data/workbook/xls_dump.py"
work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT
# shellcheck source=../../scripts/wine-env.sh
source "$root/scripts/wine-env.sh"

# A Linux path as the Windows program sees it under Wine (drive Z: is the root).
win() { printf 'Z:%s' "${1//\//\\}"; }
run_linux() { "$linux" "$@"; }
run_windows() { /usr/lib/wine/wine64 "$windows" "$@"; }

failures=0
differ() {
  echo "違いがあります: $*" >&2
  failures=$((failures + 1))
}
same_bytes() {  # same_bytes WHAT FILE_LINUX FILE_WINDOWS
  cmp -s "$2" "$3" || differ "$1"
}
same_cells() {
  $cells "$2" >"$2.cells" && $cells "$3" >"$3.cells" || { differ "$1 (読めません)"; return; }
  cmp -s "$2.cells" "$3.cells" || { differ "$1"; diff "$2.cells" "$3.cells" | head -n 20 >&2; }
}
same_package() {  # every entry of two zip packages, names and bytes
  rm -rf "$work/unzip-l" "$work/unzip-w"
  mkdir -p "$work/unzip-l" "$work/unzip-w"
  (cd "$work/unzip-l" && unzip -q "$2") && (cd "$work/unzip-w" && unzip -q "$3") ||
    { differ "$1 (展開できません)"; return; }
  diff -r -q "$work/unzip-l" "$work/unzip-w" >&2 || differ "$1"
}

# extract, then resort and workbook on its results, with both programs on one input.
extract_and_compare() {  # extract_and_compare NAME INPUT FOLDER
  local name=$1 input=$2 dir=$3
  mkdir -p "$dir/l" "$dir/w"
  local rc_l=0 rc_w=0
  run_linux extract --yes --data-dir "$dir/l" "$input" >"$dir/l.out" 2>"$dir/l.err" || rc_l=$?
  run_windows extract --yes --data-dir "$(win "$dir/w")" "$(win "$input")" >"$dir/w.out" 2>"$dir/w.err" || rc_w=$?
  if [ $rc_l != 0 ] || [ $rc_w != 0 ]; then
    differ "$name: extract の終了コード ($rc_l / $rc_w)"
    cat "$dir/l.err" "$dir/w.err" >&2
    return
  fi
  local f
  for f in Razoza.txt Razoza.doc; do
    same_bytes "$name: $f" "$dir/l/RazozaData/$f" "$dir/w/RazozaData/$f"
  done
  same_cells "$name: Razoza.xls" "$dir/l/RazozaData/Razoza.xls" "$dir/w/RazozaData/Razoza.xls"

  cp "$dir/l/RazozaData/Razoza.xls" "$dir/in.xls"
  cp "$dir/l/RazozaData/Razoza.txt" "$dir/entries.txt"
  # The re-sort learns into the data folder of each run, not the program's folder.
  run_linux resort --data-dir "$dir/l" -o "$dir/l/resort.xls" "$dir/in.xls" >/dev/null 2>&1 ||
    differ "$name: resort (Linux)"
  run_windows resort --data-dir "$(win "$dir/w")" -o "$(win "$dir/w/resort.xls")" "$(win "$dir/in.xls")" >/dev/null 2>&1 ||
    differ "$name: resort (Windows)"
  same_cells "$name: resort" "$dir/l/resort.xls" "$dir/w/resort.xls"
  if [ -e "$dir/l/ReadingMemory.txt" ] || [ -e "$dir/w/ReadingMemory.txt" ]; then
    same_bytes "$name: ReadingMemory.txt" "$dir/l/ReadingMemory.txt" "$dir/w/ReadingMemory.txt"
  fi
  run_linux workbook -o "$dir/l/workbook.xls" "$dir/entries.txt" >/dev/null 2>&1 ||
    differ "$name: workbook (Linux)"
  run_windows workbook -o "$(win "$dir/w/workbook.xls")" "$(win "$dir/entries.txt")" >/dev/null 2>&1 ||
    differ "$name: workbook (Windows)"
  same_cells "$name: workbook" "$dir/l/workbook.xls" "$dir/w/workbook.xls"
  # The finished index, one per mark: text, tagged text, the IDML's parts and the workbook.
  run_linux index --by-mark -o "$dir/l/index" "$dir/in.xls" >/dev/null 2>&1 ||
    differ "$name: index (Linux)"
  run_windows index --by-mark -o "$(win "$dir/w/index")" "$(win "$dir/in.xls")" >/dev/null 2>&1 ||
    differ "$name: index (Windows)"
  local written=0
  for f in "$dir"/l/index*.txt; do
    [ -e "$f" ] || continue
    written=$((written + 1))
    same_bytes "$name: $(basename "$f")" "$f" "$dir/w/$(basename "$f")"
  done
  [ $written -gt 0 ] || differ "$name: index wrote no text"
  for f in "$dir"/l/index*.idml; do
    [ -e "$f" ] || continue
    same_package "$name: $(basename "$f")" "$f" "$dir/w/$(basename "$f")"
  done
  same_cells "$name: index.xls" "$dir/l/index.xls" "$dir/w/index.xls"
}

# The bundled book is marked already.
echo "-- samples/book"
extract_and_compare "book" "$root/samples/book" "$work/book"

# The real samples carry no marks: both programs mark them with the keywords of the marking
# tests (the marked packages must agree part for part), then both extract the marked package.
keywords=$root/tests/data/marking/Keyword.xls
for input in "$shared"/samples/idml/*.idml; do
  name=$(basename "$input")
  echo "-- $name"
  dir=$work/$name
  mkdir -p "$dir"
  rc_l=0 rc_w=0
  run_linux mark --yes --keywords "$keywords" --swatch RazozaMark1 -o "$dir/l.idml" "$input" >"$dir/l.out" 2>&1 || rc_l=$?
  run_windows mark --yes --keywords "$(win "$keywords")" --swatch RazozaMark1 -o "$(win "$dir/w.idml")" "$(win "$input")" >"$dir/w.out" 2>&1 || rc_w=$?
  if [ $rc_l != 0 ] || [ $rc_w != 0 ]; then
    differ "$name: mark の終了コード ($rc_l / $rc_w)"
    cat "$dir/l.out" "$dir/w.out" >&2
    continue
  fi
  same_package "$name: mark" "$dir/l.idml" "$dir/w.idml"
  extract_and_compare "$name (marked)" "$dir/l.idml" "$dir/extract"
done

# entries: the sample stories as one job.
stories=("$root"/tests/data/analysis/sample_story_[0-9].txt)
wstories=()
for s in "${stories[@]}"; do wstories+=("$(win "$s")"); done
run_linux entries "${stories[@]}" >"$work/entries-l.txt" 2>/dev/null || differ "entries (Linux)"
run_windows entries "${wstories[@]}" >"$work/entries-w.txt" 2>/dev/null || differ "entries (Windows)"
same_bytes "entries" "$work/entries-l.txt" "$work/entries-w.txt"

if [ $failures -gt 0 ]; then
  echo "Linux 版と Windows 版の結果が $failures か所で違います。" >&2
  exit 1
fi
echo "Linux 版と Windows 版の結果は同じです。"
