#!/bin/sh
# Runs one Windows program under 64-bit Wine, headless. The caller (test.sh) creates a fresh
# prefix and a persistent wineserver and exports WINEPREFIX; without one this refuses to run
# rather than let Wine make ~/.wine.
if [ -z "${WINEPREFIX:-}" ]; then
  echo "wine-run.sh: WINEPREFIX is not set (run the Windows tests through ./test.sh)" >&2
  exit 2
fi
unset DISPLAY WAYLAND_DISPLAY
export WINEDEBUG=-all
export WINEDLLOVERRIDES="mscoree,mshtml=;winemenubuilder.exe=d"
exec /usr/lib/wine/wine64 "$@"
