#!/usr/bin/env bash
# Starts the Windows build of Orvane under Wine on this display, against a demo Palm Desktop
# installation made of the Windows stand-in libraries:
#   ./run-wine.sh          the x86_64 build (mingw64 preset) under 64-bit Wine
#   ./run-wine.sh --i686   the 32-bit build users run (mingw32 preset) under 32-bit Wine
#   - installs the Debian packages that are missing,
#   - builds the preset (orvane.exe, the stand-in DLLs, the conduit modules and the demo maker)
#     into build/<preset>/,
#   - makes a Wine prefix of its own the first time (never ~/.wine): build/wineprefix, or
#     build/wineprefix32 with WINEARCH=win32 for --i686,
#   - makes the demo installation build/<preset>/palmdesktop with palmdesk-demo.exe under Wine
#     when there is none,
#   - writes kestrow.ini beside orvane.exe, pointing at it, when there is no kestrow.ini yet,
#   - starts build/<preset>/bin/orvane.exe under Wine (its output goes to build/<preset>/wine.log).
set -euo pipefail
cd "$(dirname "$0")"

preset=mingw64 wine=/usr/lib/wine/wine64 prefix=$PWD/build/wineprefix
case "${1:-}" in
  "") ;;
  --i686)
    preset=mingw32 wine=/usr/lib/wine/wine prefix=$PWD/build/wineprefix32
    # The 32-bit Wine with its own server, in a 32-bit prefix.
    export WINEARCH=win32 WINESERVER=/usr/lib/wine/wineserver32
    ;;
  *) echo "usage: ./run-wine.sh [--i686]" >&2; exit 2 ;;
esac

if [ -z "${DISPLAY:-}" ]; then
  echo "run-wine.sh: there is no display to show the window on (DISPLAY is not set)." >&2
  echo "             Start it in a desktop session, or under Xvfb: Xvfb :99 & DISPLAY=:99 ./run-wine.sh" >&2
  exit 1
fi

scripts/install-deps.sh
cmake --preset "$preset" >/dev/null
cmake --build --preset "$preset" -j "$(nproc 2>/dev/null || echo 2)" --target orvane palmdesk palmdesk-demo

build=$PWD/build/$preset
bin=$build/bin
demo=$build/palmdesktop
log=$build/wine.log
export WINEPREFIX=${ORVANE_WINEPREFIX:-$prefix}
export WINEDEBUG=-all WINEDLLOVERRIDES="mscoree,mshtml=;winemenubuilder.exe=d"
if [ ! -x "$wine" ]; then
  echo "run-wine.sh: $wine is missing (the 32-bit Wine is Debian's wine32:i386, see scripts/install-deps.sh)" >&2
  exit 1
fi
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
