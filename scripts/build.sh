#!/usr/bin/env bash
# Configures and builds one or both builds from the one CMake tree.
#   scripts/build.sh [linux|windows|all]   (default: all)
# Linux lands in build/linux (program: build/linux/bin/mirune), Windows in build/windows.
set -euo pipefail
root=$(cd "$(dirname "$0")/.." && pwd)
which=${1:-all}
jobs=$(nproc 2>/dev/null || echo 2)
generator=()
command -v ninja >/dev/null && generator=(-G Ninja)
# A compiler cache, where one is installed, makes rebuilds of other checkouts cheap.
# CI builds treat warnings as errors (CI=true in the environment).
options=(-DMIRUNE_WERROR=OFF)
[ "${CI:-}" = true ] && options=(-DMIRUNE_WERROR=ON)
launcher=()
command -v ccache >/dev/null &&
  launcher=(-DCMAKE_CXX_COMPILER_LAUNCHER=ccache -DCMAKE_C_COMPILER_LAUNCHER=ccache)

if [ "$which" = linux ] || [ "$which" = all ]; then
  cmake -S "$root" -B "$root/build/linux" "${generator[@]}" "${launcher[@]}" "${options[@]}" -DCMAKE_BUILD_TYPE=RelWithDebInfo >/dev/null
  cmake --build "$root/build/linux" -j "$jobs"
fi
if [ "$which" = windows ] || [ "$which" = all ]; then
  # pugixml, libzip, MeCab and Google Benchmark, cross-built once from Debian's sources.
  bash "$root/scripts/windows_deps.sh" "$root/build/windows-deps"
  cmake -S "$root" -B "$root/build/windows" "${generator[@]}" "${launcher[@]}" "${options[@]}" -DCMAKE_BUILD_TYPE=Release \
    -DCMAKE_TOOLCHAIN_FILE="$root/cmake/mingw-w64.cmake" \
    -DMIRUNE_WINDOWS_DEPS="$root/build/windows-deps/prefix" >/dev/null
  cmake --build "$root/build/windows" -j "$jobs"
fi
