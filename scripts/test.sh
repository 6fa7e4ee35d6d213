#!/usr/bin/env bash
# Installs what is missing, builds both builds and runs every test: the Linux build natively,
# the Windows build under Wine, then both programs on the same inputs, whose results must
# agree; then the Windows release is packaged, installed under Wine, run and uninstalled.
# Fails when any test fails.
set -euo pipefail
root=$(cd "$(dirname "$0")/.." && pwd)
bash "$root/scripts/setup.sh"
bash "$root/scripts/build.sh" all

status=0
echo "== Linux tests"
ctest --test-dir "$root/build/linux" --output-on-failure -j 2 || status=1

echo "== Windows tests (Wine)"
# The Wine session is started under the virtual display: its desktop keeps the display it was
# started with, and the windows of mirune-gui.exe need one.
WINEPREFIX="$root/build/wine-prefix" wineserver -k >/dev/null 2>&1 || true
xvfb-run -a bash -c 'source "$1/scripts/wine-env.sh" &&
  ctest --test-dir "$1/build/windows" --output-on-failure -j 2' _ "$root" || status=1
# shellcheck source=wine-env.sh
source "$root/scripts/wine-env.sh"

echo "== Same results from both builds"
bash "$root/tests/parity/compare_builds.sh" "$root/build/linux/bin/mirune" \
  "$root/build/windows/bin/mirune.exe" || status=1
wineserver -k >/dev/null 2>&1 || true

echo "== Windows release: manual, installer, zip; installed under Wine and uninstalled"
# After the Windows tests, whose pictures of the windows go into the manual; the build they
# ran is packaged as it is.
if bash "$root/scripts/package.sh" --prebuilt; then
  bash "$root/tests/install/install_test.sh" "$root/build/package" || status=1
else
  status=1
fi

exit $status
