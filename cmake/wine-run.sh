#!/bin/sh
# Runs one Windows program under 64-bit Wine. The caller (test.sh) creates a fresh
# prefix and a persistent wineserver and exports WINEPREFIX; without one this refuses to run
# rather than let Wine make ~/.wine.
if [ -z "${WINEPREFIX:-}" ]; then
  echo "wine-run.sh: WINEPREFIX is not set (run the Windows tests through ./test.sh)" >&2
  exit 2
fi
# Headless unless the caller hands over a display of its own for window tests (test.sh starts
# a private Xvfb and names it in ORVANE_WINE_DISPLAY); the user's own display is never used.
unset DISPLAY WAYLAND_DISPLAY
if [ -n "${ORVANE_WINE_DISPLAY:-}" ]; then
  export DISPLAY=$ORVANE_WINE_DISPLAY
fi
export WINEDEBUG=-all
export WINEDLLOVERRIDES="mscoree,mshtml=;winemenubuilder.exe=d"
exec /usr/lib/wine/wine64 "$@"
