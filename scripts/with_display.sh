#!/bin/sh
# Runs a command that makes windows: on the X display it is given, else on a private Xvfb
# display (xvfb-run -a), so a window test runs the same from scripts/test.sh and from a
# plain ctest.
#   with_display.sh [WINE] PROGRAM [ARGS...]
# Under Wine, the program gets a desktop of its own (a virtual desktop named after it, set in
# Wine's AppDefaults for this program only): its windows then belong to the display it runs
# on, whichever display the prefix's default desktop was started with, it sees no other
# program's top-level windows, and no window waits for a window manager that Xvfb lacks.
case "${1:-}" in
  *wine*)
    exe=$(basename "$2")
    desktop=mirune_${exe%.exe}
    "$1" reg add "HKCU\\Software\\Wine\\AppDefaults\\$exe\\Explorer" /v Desktop /d "$desktop" /f \
      >/dev/null 2>&1 || true
    "$1" reg add "HKCU\\Software\\Wine\\Explorer\\Desktops" /v "$desktop" /d 1024x768 /f \
      >/dev/null 2>&1 || true
    ;;
esac
if [ -n "${DISPLAY:-}" ]; then
  exec "$@"
fi
exec xvfb-run -a "$@"
