#!/usr/bin/env bash
# Installs the Debian packages that both builds, their tests and the benchmarks need.
# Idempotent: when everything is present it only checks and returns within a second or two.
set -euo pipefail

packages=(
  build-essential cmake ninja-build pkg-config clang libclang-rt-14-dev clang-format
  g++-mingw-w64-x86-64-posix gcc-mingw-w64-x86-64-posix libz-mingw-w64-dev dpkg-dev
  wine64 xvfb xauth
  mecab libmecab-dev mecab-ipadic-utf8 skkdic
  libicu-dev libpugixml-dev libzip-dev zip unzip libfreexl-dev libcli11-dev
  googletest libgtest-dev libgmock-dev libbenchmark-dev
  python3 python3-xlrd
  # The kill tests stop the Linux program at each of its renames.
  strace
  locales fonts-ipafont-gothic fonts-ipafont-mincho
  # The Windows release: the manual (pandoc, WeasyPrint, IPAex fonts, its checks) and NSIS.
  pandoc weasyprint fonts-ipaexfont poppler-utils nsis
)

missing=()
for p in "${packages[@]}"; do
  dpkg-query -W -f='${Status}' "$p" 2>/dev/null | grep -q 'install ok installed' || missing+=("$p")
done

if [ ${#missing[@]} -gt 0 ]; then
  sudo_cmd=()
  [ "$(id -u)" -ne 0 ] && sudo_cmd=(sudo)
  export DEBIAN_FRONTEND=noninteractive
  "${sudo_cmd[@]}" apt-get update
  "${sudo_cmd[@]}" apt-get install -y "${missing[@]}"
fi

# Wine takes its Japanese locale from the environment only when the locale exists.
if ! locale -a 2>/dev/null | grep -qi '^ja_JP\.utf-\?8$'; then
  sudo_cmd=()
  [ "$(id -u)" -ne 0 ] && sudo_cmd=(sudo)
  "${sudo_cmd[@]}" localedef -i ja_JP -f UTF-8 ja_JP.UTF-8
fi
