#!/usr/bin/env bash
# Fetches and unpacks a Debian source package (by default mecab-jumandic, the source of the
# reading development set) into a scratch folder outside the repository:
#   tools/readings/fetch_source.sh SCRATCH_FOLDER [PACKAGE]
# Prints the unpacked folder. Sources are fetched with `apt-get source --download-only`
# through a private sources list and lists folder under SCRATCH_FOLDER (deb-src entries made
# from the machine's own deb entries); the machine's apt configuration is never changed.
set -euo pipefail
scratch=$(mkdir -p "$1" && cd "$1" && pwd)
package=${2:-mecab-jumandic}
root=$(cd "$(dirname "$0")/../.." && pwd)
# shellcheck source=scripts/private_apt.sh
source "$root/scripts/private_apt.sh"

dir=$scratch/$package
if [ ! -f "$dir/.unpacked" ]; then
  private_apt_setup "$scratch/apt"
  private_apt_update
  rm -rf "$dir" && mkdir -p "$dir"
  # When the Debian changes cannot be fetched (seen: the .debian.tar.xz of the index missing
  # from the mirror), the upstream tarball alone is taken; the dictionary's CSV files are all
  # in it.
  if ! (cd "$dir" && apt-get "${apt_options[@]}" source --download-only "$package" >"$dir/fetch.log" 2>&1); then
    (cd "$dir" && apt-get "${apt_options[@]}" source --download-only --tar-only "$package" >>"$dir/fetch.log" 2>&1) ||
      { cat "$dir/fetch.log" >&2; exit 1; }
  fi
  dsc=$(ls "$dir"/*.dsc 2>/dev/null | head -n1 || true)
  if [ -n "$dsc" ] && ls "$dir"/*.debian.tar.* >/dev/null 2>&1; then
    (cd "$dir" && dpkg-source --no-check -x "$(basename "$dsc")" source >/dev/null)
  else
    mkdir -p "$dir/source"
    tar -xf "$(ls "$dir"/*.orig.tar.* | head -n1)" -C "$dir/source" --strip-components=1
  fi
  touch "$dir/.unpacked"
fi
echo "$dir/source"
