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
apt_dir=$scratch/apt
apt_options=(
  -o "Dir::Etc::SourceList=$apt_dir/sources.list"
  -o "Dir::Etc::SourceParts=/dev/null"
  -o "Dir::State::Lists=$apt_dir/lists"
  -o "Dir::Cache=$apt_dir/cache"
  -o "Debug::NoLocking=1"
  -o "APT::Sandbox::User=$(id -un)"
)
mkdir -p "$apt_dir/lists/partial" "$apt_dir/cache/archives/partial"

# One-line sources (sources.list) and deb822 sources (*.sources), deb entries only.
out=$apt_dir/sources.list
: >"$out"
for f in /etc/apt/sources.list /etc/apt/sources.list.d/*.list; do
  [ -f "$f" ] || continue
  sed -n 's/^[[:space:]]*deb[[:space:]]/deb-src /p' "$f" >>"$out"
done
for f in /etc/apt/sources.list.d/*.sources; do
  [ -f "$f" ] || continue
  awk '
    function flush() {
      if (types ~ /(^|[ \t])deb([ \t]|$)/ && uris != "" && suites != "") {
        n = split(uris, u, /[ \t]+/); m = split(suites, s, /[ \t]+/)
        for (i = 1; i <= n; i++) for (j = 1; j <= m; j++) if (u[i] != "" && s[j] != "")
          printf "deb-src %s%s %s %s\n", (signed != "" ? "[signed-by=" signed "] " : ""), u[i], s[j], comps
      }
      types = uris = suites = comps = signed = ""
    }
    /^[ \t]*$/ { flush(); next }
    /^[ \t]*#/ { next }
    /^Types:/ { sub(/^Types:[ \t]*/, ""); types = $0; next }
    /^URIs:/ { sub(/^URIs:[ \t]*/, ""); uris = $0; next }
    /^Suites:/ { sub(/^Suites:[ \t]*/, ""); suites = $0; next }
    /^Components:/ { sub(/^Components:[ \t]*/, ""); comps = $0; next }
    /^Signed-By:/ { sub(/^Signed-By:[ \t]*/, ""); signed = $0; next }
    END { flush() }
  ' "$f" >>"$out"
done
[ -s "$out" ] || { echo "apt の取得元（deb の行）が見つかりません: /etc/apt/sources.list*" >&2; exit 1; }

dir=$scratch/$package
if [ ! -f "$dir/.unpacked" ]; then
  apt-get "${apt_options[@]}" update >"$apt_dir/update.log" 2>&1 ||
    { cat "$apt_dir/update.log" >&2; exit 1; }
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
