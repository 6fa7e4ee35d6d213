#!/usr/bin/env bash
# Installs what is missing, builds both builds and runs every test: the Linux build natively,
# the Windows build under Wine. Fails when any test fails.
set -euo pipefail
root=$(cd "$(dirname "$0")/.." && pwd)
bash "$root/scripts/setup.sh"
bash "$root/scripts/build.sh" all

status=0
echo "== Linux tests"
ctest --test-dir "$root/build/linux" --output-on-failure -j 2 || status=1

echo "== Windows tests (Wine)"
# shellcheck source=wine-env.sh
source "$root/scripts/wine-env.sh"
xvfb-run -a ctest --test-dir "$root/build/windows" --output-on-failure -j 2 || status=1
wineserver -k >/dev/null 2>&1 || true

exit $status
