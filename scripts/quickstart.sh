#!/usr/bin/env bash
# Installs what is missing, builds the Linux program and runs the main job on the bundled
# sample, printing where the results are.
set -euo pipefail
root=$(cd "$(dirname "$0")/.." && pwd)
bash "$root/scripts/setup.sh"
bash "$root/scripts/build.sh" linux
mirune="$root/build/linux/bin/mirune"

# The bundled sample book (three IDML chapters) through the whole extraction. --yes answers
# the job's confirmations; the results land in build/sample-output/RazozaData/.
"$mirune" extract --yes --data-dir "$root/build/sample-output" "$root/samples/book"
echo
echo "Entry list (Razoza.txt):"
txt="$root/build/sample-output/RazozaData/Razoza.txt"
# Code page 932 as Word writes it, or UTF-8 with a BOM when a term needs characters beyond it.
if [ "$(head -c 3 "$txt" | od -An -tx1 | tr -d ' ')" = "efbbbf" ]; then
  cat "$txt"
else
  iconv -f CP932 -t UTF-8 "$txt"
fi
