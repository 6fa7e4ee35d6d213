#!/usr/bin/env bash
# Cross-builds the libraries of the Windows build from Debian's own source packages:
# pugixml and libzip (IDML), MeCab (readings) and Google Benchmark (benchmarks).
#   scripts/windows_deps.sh DEPS_FOLDER
# Sources are fetched with `apt-get source --download-only` through a private sources list
# and lists folder under DEPS_FOLDER (deb-src entries made from the machine's own deb
# entries); the machine's apt configuration is never changed. Static libraries and headers
# land in DEPS_FOLDER/prefix. Each step leaves a stamp, so a second run fetches and builds
# nothing.
set -euo pipefail
root=$(cd "$(dirname "$0")/.." && pwd)
deps=$(mkdir -p "$1" && cd "$1" && pwd)
prefix=$deps/prefix
toolchain=$root/cmake/mingw-w64.cmake
jobs=$(nproc 2>/dev/null || echo 2)
packages=(pugixml libzip mecab benchmark)

generator=()
command -v ninja >/dev/null && generator=(-G Ninja)
launcher=()
command -v ccache >/dev/null &&
  launcher=(-DCMAKE_CXX_COMPILER_LAUNCHER=ccache -DCMAKE_C_COMPILER_LAUNCHER=ccache)

log() { echo "-- Windows dependencies: $*"; }

# --- Fetch ---------------------------------------------------------------------------------
# shellcheck source=scripts/private_apt.sh
source "$root/scripts/private_apt.sh"

fetch() {
  local name=$1 dir=$deps/src/$1
  [ -f "$dir/.fetched" ] && return 0
  log "fetching the source package $name"
  rm -rf "$dir" && mkdir -p "$dir"
  # When the Debian changes of a package cannot be fetched, its upstream tarball alone is
  # taken (seen for mecab: the .debian.tar.xz of the index is missing from the mirror).
  if ! (cd "$dir" && apt-get "${apt_options[@]}" source --download-only "$name" >"$dir/fetch.log" 2>&1); then
    log "$name: Debian changes not available, taking the upstream source only"
    (cd "$dir" && apt-get "${apt_options[@]}" source --download-only --tar-only "$name" >>"$dir/fetch.log" 2>&1) ||
      { cat "$dir/fetch.log" >&2; exit 1; }
  fi
  touch "$dir/.fetched"
}

unpack() {
  # Unpacks with the Debian patches applied where the package has them.
  local name=$1 dir=$deps/src/$1
  [ -f "$dir/.unpacked" ] && return 0
  rm -rf "$dir/source"
  local dsc
  dsc=$(ls "$dir"/*.dsc 2>/dev/null | head -n1 || true)
  if [ -n "$dsc" ] && ls "$dir"/*.debian.tar.* >/dev/null 2>&1; then
    (cd "$dir" && dpkg-source --no-check -x "$(basename "$dsc")" source >/dev/null)
  else
    local tarball
    tarball=$(ls "$dir"/*.orig.tar.* | head -n1)
    mkdir -p "$dir/source"
    tar -xf "$tarball" -C "$dir/source" --strip-components=1
  fi
  touch "$dir/.unpacked"
}

need_fetch=0
for p in "${packages[@]}"; do [ -f "$deps/src/$p/.fetched" ] || need_fetch=1; done
if [ $need_fetch = 1 ]; then
  private_apt_setup "$deps/apt"
  log "reading the source package lists"
  private_apt_update
fi
for p in "${packages[@]}"; do
  fetch "$p"
  unpack "$p"
done

# --- Build ---------------------------------------------------------------------------------
cmake_build() {
  # cmake_build NAME SOURCE_DIR [cmake options...]
  local name=$1 source=$2
  shift 2
  local stamp=$deps/build/$name.done
  [ -f "$stamp" ] && return 0
  log "building $name"
  rm -rf "$deps/build/$name"
  cmake -S "$source" -B "$deps/build/$name" "${generator[@]}" "${launcher[@]}" \
    -DCMAKE_TOOLCHAIN_FILE="$toolchain" -DCMAKE_BUILD_TYPE=Release \
    -DCMAKE_INSTALL_PREFIX="$prefix" -DBUILD_SHARED_LIBS=OFF "$@" >"$deps/build/$name.log" 2>&1 ||
    { cat "$deps/build/$name.log" >&2; exit 1; }
  cmake --build "$deps/build/$name" -j "$jobs" >>"$deps/build/$name.log" 2>&1 &&
    cmake --install "$deps/build/$name" >>"$deps/build/$name.log" 2>&1 ||
    { tail -n 60 "$deps/build/$name.log" >&2; exit 1; }
  touch "$stamp"
}

mkdir -p "$deps/build" "$prefix"
cmake_build pugixml "$deps/src/pugixml/source" -DPUGIXML_BUILD_TESTS=OFF
cmake_build libzip "$deps/src/libzip/source" \
  -DENABLE_BZIP2=OFF -DENABLE_LZMA=OFF -DENABLE_ZSTD=OFF -DENABLE_COMMONCRYPTO=OFF \
  -DENABLE_GNUTLS=OFF -DENABLE_MBEDTLS=OFF -DENABLE_OPENSSL=OFF -DENABLE_WINDOWS_CRYPTO=OFF \
  -DBUILD_TOOLS=OFF -DBUILD_REGRESS=OFF -DBUILD_EXAMPLES=OFF -DBUILD_DOC=OFF \
  -DZLIB_LIBRARY=/usr/x86_64-w64-mingw32/lib/libz.a -DZLIB_INCLUDE_DIR=/usr/x86_64-w64-mingw32/include
# MeCab's own build is autotools and MSVC makefiles; the library is small enough to build
# with a CMake file of ours.
cmake_build mecab "$root/cmake/mecab" -DMECAB_SOURCE_DIR="$deps/src/mecab/source"
cmake_build benchmark "$deps/src/benchmark/source" \
  -DBENCHMARK_ENABLE_TESTING=OFF -DBENCHMARK_ENABLE_GTEST_TESTS=OFF \
  -DBENCHMARK_ENABLE_WERROR=OFF -DBENCHMARK_ENABLE_INSTALL=ON -DBENCHMARK_INSTALL_DOCS=OFF \
  -DGIT_VERSION=1.7.1 -DRUN_HAVE_STD_REGEX=0 -DRUN_HAVE_STEADY_CLOCK=0
log "ready in $prefix"
