#!/usr/bin/env bash
# Screenshots of the Win32 windows under Wine on a fresh demo installation, written to
# docs/win32-{main,detail,userinfo,profiles,profdetail,syncactions,progress,history}.png. Runs on a private Xvfb inside a
# Wine virtual desktop (which draws the window frames) in a temporary prefix; touches neither
# the caller's display nor build/mingw64/bin.
set -euo pipefail
cd "$(dirname "$0")/.."
cmake --preset mingw64 >/dev/null
cmake --build --preset mingw64 -j 2 --target win32_screenshots palmdesk palmdesk-demo

bin=$PWD/build/mingw64/bin
work=$(mktemp -d /tmp/orvane-shots.XXXXXX)
xvfb_pid=
cleanup() {
  [ -n "${WINEPREFIX:-}" ] && /usr/lib/wine/wineserver -k 2>/dev/null || true
  [ -n "$xvfb_pid" ] && kill "$xvfb_pid" 2>/dev/null || true
  rm -rf "$work"
}
trap cleanup EXIT

for n in $(seq 90 140); do
  [ -e "/tmp/.X11-unix/X$n" ] || [ -e "/tmp/.X$n-lock" ] && continue
  Xvfb ":$n" -screen 0 1024x768x24 -nolisten tcp </dev/null >/dev/null 2>&1 &
  xvfb_pid=$!
  for _ in $(seq 50); do [ -e "/tmp/.X11-unix/X$n" ] && break; sleep 0.1; done
  export DISPLAY=":$n"
  break
done
[ -n "${DISPLAY:-}" ] || { echo "win32-screenshots.sh: no free display for Xvfb" >&2; exit 1; }

winpath() { printf 'Z:%s' "${1//\//\\}"; }
export WINEPREFIX=$work/prefix WINEDEBUG=-all WINEDLLOVERRIDES="mscoree,mshtml=;winemenubuilder.exe=d"
mkdir -p "$WINEPREFIX" "$work/out"
/usr/lib/wine/wineserver -p
/usr/lib/wine/wine64 wineboot --init </dev/null >"$work/wine.log" 2>&1
# Where a Windows user keeps them: the installation in C:\Palm, the tool in C:\Orvane.
/usr/lib/wine/wine64 "$bin/palmdesk-demo.exe" 'C:\Palm' </dev/null >>"$work/wine.log" 2>&1
app=$WINEPREFIX/drive_c/Orvane
mkdir -p "$app"
cp "$bin/win32_screenshots.exe" "$app/"
printf '[Path]\r\nPDPath=C:\\Palm\r\n' > "$app/kestrow.ini"

timeout 120 /usr/lib/wine/wine64 explorer /desktop=Orvane,1024x768 \
  'C:\Orvane\win32_screenshots.exe' "$(winpath "$work/out")" </dev/null >>"$work/wine.log" 2>&1 &
for _ in $(seq 600); do
  [ "$(ls "$work/out" | wc -l)" -ge 8 ] && break
  sleep 0.2
done
sleep 1
for name in main detail userinfo profiles profdetail syncactions progress history; do
  [ -f "$work/out/win32-$name.bmp" ] || { echo "win32-screenshots.sh: no picture of $name" >&2; cat "$work/wine.log" >&2; exit 1; }
  convert "$work/out/win32-$name.bmp" "docs/win32-$name.png"
  echo "docs/win32-$name.png"
done
