#!/usr/bin/env bash
# Installs what is missing, builds the Linux program and runs the main job on the bundled
# sample, printing where the results are.
set -euo pipefail
root=$(cd "$(dirname "$0")/.." && pwd)
bash "$root/scripts/setup.sh"
bash "$root/scripts/build.sh" linux
mirune="$root/build/linux/bin/mirune"

# For now: analyse the bundled sample stories and print their entry lines.
stories=("$root"/tests/data/analysis/sample_*.txt)
if [ -e "${stories[0]}" ]; then
  "$mirune" entries "${stories[@]}"
else
  "$mirune" --help
fi
