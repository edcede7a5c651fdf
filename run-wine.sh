#!/usr/bin/env bash
# Starts the Windows build of Orvane under Wine on this display, against a demo Palm Desktop
# installation made of the Windows stand-in libraries:
#   - installs the Debian packages that are missing,
#   - builds the mingw64 preset (orvane.exe, the stand-in DLLs, the conduit modules and the
#     demo maker) into build/mingw64/,
#   - makes a Wine prefix of its own in build/wineprefix (never ~/.wine) the first time,
#   - makes the demo installation build/mingw64/palmdesktop with palmdesk-demo.exe under Wine
#     when there is none,
#   - writes kestrow.ini beside orvane.exe, pointing at it, when there is no kestrow.ini yet,
#   - starts build/mingw64/bin/orvane.exe under Wine (its output goes to build/mingw64/wine.log).
set -euo pipefail
cd "$(dirname "$0")"

if [ -z "${DISPLAY:-}" ]; then
  echo "run-wine.sh: there is no display to show the window on (DISPLAY is not set)." >&2
  echo "             Start it in a desktop session, or under Xvfb: Xvfb :99 & DISPLAY=:99 ./run-wine.sh" >&2
  exit 1
fi

scripts/install-deps.sh
cmake --preset mingw64 >/dev/null
cmake --build --preset mingw64 -j "$(nproc 2>/dev/null || echo 2)" --target orvane palmdesk palmdesk-demo

build=$PWD/build/mingw64
bin=$build/bin
demo=$build/palmdesktop
log=$build/wine.log
export WINEPREFIX=${ORVANE_WINEPREFIX:-$PWD/build/wineprefix}
export WINEDEBUG=-all WINEDLLOVERRIDES="mscoree,mshtml=;winemenubuilder.exe=d"
wine=/usr/lib/wine/wine64
# Wine sees the Linux file system as drive Z:.
winpath() { printf 'Z:%s' "${1//\//\\}"; }

if [ ! -f "$WINEPREFIX/system.reg" ]; then
  echo "run-wine.sh: making the Wine prefix $WINEPREFIX (once, about 10 s)"
  mkdir -p "$WINEPREFIX"
  "$wine" wineboot --init </dev/null >"$log" 2>&1
fi
# Output to files, not pipes: the Wine services keep a pipe open long after a program ends.
if [ ! -f "$demo/palmdesk.ini" ]; then
  "$wine" "$bin/palmdesk-demo.exe" "$(winpath "$demo")" </dev/null >"$log" 2>&1 || { cat "$log" >&2; exit 1; }
  echo "run-wine.sh: made the demo Palm Desktop installation in $demo"
fi
if [ ! -f "$bin/kestrow.ini" ]; then
  printf '[Path]\r\nPDPath=%s\r\n' "$(winpath "$demo")" > "$bin/kestrow.ini"
  echo "run-wine.sh: wrote $bin/kestrow.ini (Palm Desktop core directory: $(winpath "$demo"))"
fi

echo "run-wine.sh: starting orvane.exe under Wine (output in $log)"
exec "$wine" "$bin/orvane.exe" </dev/null >"$log" 2>&1
