#!/usr/bin/env bash
# Screenshots of the Win32 windows under Wine on a fresh demo installation, written to docs/:
#   scripts/win32-screenshots.sh [--arch i686|x86_64] [--dpi N] [--font-points N] [--suffix S]
# --arch     the build to show (default i686, the one users run, under the 32-bit Wine)
# --dpi      the screen's DPI (the prefix's LogPixels; default 96)
# --font-points  a Tahoma message font of that size in place of the system's
# --suffix   docs/win32-<name><suffix>.png (default: none at 96 dpi and the system font,
#            "-<N>dpi" or "-<N>pt" otherwise); with a suffix only main, userinfo, profdetail
# Without a suffix every window is written: docs/win32-{main,detail,userinfo,profiles,
# profdetail,syncactions,progress,history}.png. Runs on a private Xvfb inside a Wine virtual desktop
# (which draws the window frames) in a temporary prefix; touches neither the caller's display
# nor build/*/bin.
set -euo pipefail
cd "$(dirname "$0")/.."

arch=i686 dpi=96 points= suffix= suffix_set=
while [ $# -gt 0 ]; do
  case $1 in
    --arch) arch=$2; shift 2 ;;
    --dpi) dpi=$2; shift 2 ;;
    --font-points) points=$2; shift 2 ;;
    --suffix) suffix=$2; suffix_set=1; shift 2 ;;
    *) echo "usage: scripts/win32-screenshots.sh [--arch i686|x86_64] [--dpi N] [--font-points N] [--suffix S]" >&2; exit 2 ;;
  esac
done
case $arch in
  i686) preset=mingw32 wine=/usr/lib/wine/wine server=/usr/lib/wine/wineserver32 winearch=win32 ;;
  x86_64) preset=mingw64 wine=/usr/lib/wine/wine64 server=/usr/lib/wine/wineserver winearch=win64 ;;
  *) echo "win32-screenshots.sh: --arch is i686 or x86_64" >&2; exit 2 ;;
esac
if [ -z "$suffix_set" ]; then
  [ "$dpi" != 96 ] && suffix+="-${dpi}dpi"
  [ -n "$points" ] && suffix+="-${points}pt"
fi
names=(main detail userinfo profiles profdetail syncactions progress history)
[ -n "$suffix" ] && names=(main userinfo profdetail)
# Room for the windows: they grow with the DPI and the font.
size=1024x768
{ [ "$dpi" -gt 96 ] || [ -n "$points" ]; } && size=1600x1200

cmake --preset "$preset" >/dev/null
cmake --build --preset "$preset" -j 2 --target win32_screenshots palmdesk palmdesk-demo

bin=$PWD/build/$preset/bin
shots=$(find "$PWD/build/$preset" -name win32_screenshots.exe -print -quit)
work=$(mktemp -d /tmp/orvane-shots.XXXXXX)
xvfb_pid=
cleanup() {
  [ -n "${WINEPREFIX:-}" ] && "$server" -k 2>/dev/null || true
  [ -n "$xvfb_pid" ] && kill "$xvfb_pid" 2>/dev/null || true
  rm -rf "$work"
}
trap cleanup EXIT

for n in $(seq 90 140); do
  [ -e "/tmp/.X11-unix/X$n" ] || [ -e "/tmp/.X$n-lock" ] && continue
  Xvfb ":$n" -screen 0 "${size}x24" -nolisten tcp </dev/null >/dev/null 2>&1 &
  xvfb_pid=$!
  for _ in $(seq 50); do [ -e "/tmp/.X11-unix/X$n" ] && break; sleep 0.1; done
  export DISPLAY=":$n"
  break
done
[ -n "${DISPLAY:-}" ] || { echo "win32-screenshots.sh: no free display for Xvfb" >&2; exit 1; }

winpath() { printf 'Z:%s' "${1//\//\\}"; }
export WINEPREFIX=$work/prefix WINEARCH=$winearch WINESERVER=$server WINEDEBUG=-all
export WINEDLLOVERRIDES="mscoree,mshtml=;winemenubuilder.exe=d"
mkdir -p "$WINEPREFIX" "$work/out"
"$server" -p
"$wine" wineboot --init </dev/null >"$work/wine.log" 2>&1
# The screen's DPI, read by every program started from now on.
"$wine" reg add 'HKCU\Control Panel\Desktop' /v LogPixels /t REG_DWORD /d "$dpi" /f </dev/null >>"$work/wine.log" 2>&1
# Where a Windows user keeps them: the installation in C:\Palm, the tool in C:\Orvane.
"$wine" "$bin/palmdesk-demo.exe" 'C:\Palm' </dev/null >>"$work/wine.log" 2>&1
app=$WINEPREFIX/drive_c/Orvane
mkdir -p "$app"
cp "$shots" "$app/"
printf '[Path]\r\nPDPath=C:\\Palm\r\n' > "$app/kestrow.ini"

args=("$(winpath "$work/out")")
[ -n "$points" ] && args+=("$points")
timeout 120 "$wine" explorer "/desktop=Orvane,$size" 'C:\Orvane\win32_screenshots.exe' "${args[@]}" \
  </dev/null >>"$work/wine.log" 2>&1 &
for _ in $(seq 600); do
  [ "$(ls "$work/out" | wc -l)" -ge 8 ] && break
  sleep 0.2
done
sleep 1
for name in "${names[@]}"; do
  [ -f "$work/out/win32-$name.bmp" ] || { echo "win32-screenshots.sh: no picture of $name" >&2; cat "$work/wine.log" >&2; exit 1; }
  convert "$work/out/win32-$name.bmp" "docs/win32-$name$suffix.png"
  echo "docs/win32-$name$suffix.png"
done
