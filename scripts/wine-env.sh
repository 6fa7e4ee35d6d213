# Sourced by the scripts that run the Windows build under Wine: a private prefix in the build
# tree, a Japanese locale, no debug chatter, and a persistent server so that each test does
# not wait for the previous one's server to go away.
root=${root:-$(cd "$(dirname "${BASH_SOURCE[0]}")/.." && pwd)}
export WINEPREFIX="$root/build/wine-prefix"
export WINEDEBUG=-all
export WINEARCH=win64
export LANG=ja_JP.UTF-8
export LC_ALL=ja_JP.UTF-8
export WINEDLLOVERRIDES="mscoree,mshtml="
mkdir -p "$WINEPREFIX"
wineserver -p >/dev/null 2>&1 || true
/usr/lib/wine/wine64 cmd /c exit >/dev/null 2>&1 || true
