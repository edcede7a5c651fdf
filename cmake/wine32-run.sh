#!/bin/sh
# Runs one 32-bit Windows program under the 32-bit Wine that test.sh's probe found (ORVANE_WINE32),
# in the prefix test.sh made, headless unless test.sh hands over its private Xvfb in
# ORVANE_WINE_DISPLAY (the window tests need one; the user's own display is never used). Refuses without them: 64-bit Wine runs a 32-bit program
# as a silent no-op that exits 0, which would count a test that never ran as passed.
if [ -z "${ORVANE_WINE32:-}" ] || [ -z "${WINEPREFIX:-}" ]; then
  echo "wine32-run.sh: no 32-bit Wine was proven here (run the i686 tests through ./test.sh mingw32)" >&2
  exit 2
fi
unset DISPLAY WAYLAND_DISPLAY
if [ -n "${ORVANE_WINE_DISPLAY:-}" ]; then
  export DISPLAY=$ORVANE_WINE_DISPLAY
fi
export WINEDEBUG=-all
export WINEDLLOVERRIDES="mscoree,mshtml=;winemenubuilder.exe=d"
exec "$ORVANE_WINE32" "$@"
