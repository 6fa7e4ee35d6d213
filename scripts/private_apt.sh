# Sourced by the scripts that fetch Debian source packages (scripts/windows_deps.sh,
# tools/readings/fetch_source.sh): a private apt configuration under a folder of their own,
# with deb-src entries made from the machine's own deb entries, so that the machine's apt
# configuration is never changed.
#   private_apt_setup APT_FOLDER   sets apt_dir and apt_options, writes APT_FOLDER/sources.list
#   private_apt_update             reads the source package lists (log in APT_FOLDER/update.log)

private_apt_setup() {
  apt_dir=$1
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
  local out=$apt_dir/sources.list
  : >"$out"
  local f
  for f in /etc/apt/sources.list /etc/apt/sources.list.d/*.list; do
    [ -f "$f" ] || continue
    sed -n 's/^[[:space:]]*deb[[:space:]]/deb-src /p' "$f" >>"$out"
  done
  for f in /etc/apt/sources.list.d/*.sources; do
    [ -f "$f" ] || continue
    # A deb822 stanza: URIs, Suites, Components and Signed-By become one-line entries.
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
}

private_apt_update() {
  apt-get "${apt_options[@]}" update >"$apt_dir/update.log" 2>&1 ||
    { cat "$apt_dir/update.log" >&2; exit 1; }
}
