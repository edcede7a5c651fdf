#!/usr/bin/env bash
# Builds Orvane and starts it on the demo Palm Desktop installation.
#   - installs the Debian packages that are missing (only those the window needs: see
#     scripts/install-deps.sh run),
#   - builds into build/ only what it starts: the window (orvane), the console program
#     (orvanectl), the stand-in Palm Desktop (its libraries, the sample conduit modules,
#     hotsync.exe) and the demo maker (palmdesk-demo). A build/ that ./test.sh has not
#     configured yet is configured without tests and benchmarks; ./test.sh turns them on again,
#     and everything built here is reused,
#   - makes the demo installation build/palmdesktop with palmdesk-demo when there is none,
#   - writes kestrow.ini beside the executable, pointing at it, when there is no kestrow.ini yet,
#   - starts build/bin/orvane.
set -euo pipefail
cd "$(dirname "$0")"
scripts/install-deps.sh run
if [ ! -f build/build.ninja ]; then
  cmake --preset default -DORVANE_BUILD_TESTS=OFF -DORVANE_BUILD_BENCH=OFF >/dev/null
fi
cmake --build --preset default -j "$(nproc 2>/dev/null || echo 2)" --target orvane orvanectl palmdesk-demo

bin=$PWD/build/bin
demo=$PWD/build/palmdesktop
if [ ! -f "$demo/palmdesk.ini" ]; then
  "$bin/palmdesk-demo" "$demo"
  echo "run.sh: made the demo Palm Desktop installation in $demo"
fi
if [ ! -f "$bin/kestrow.ini" ]; then
  printf '[Path]\nPDPath=%s\n' "$demo" > "$bin/kestrow.ini"
  echo "run.sh: wrote $bin/kestrow.ini (Palm Desktop core directory: $demo)"
fi

if [ -z "${DISPLAY:-}" ] && [ -z "${WAYLAND_DISPLAY:-}" ]; then
  echo "run.sh: built, but there is no display to show the window on (DISPLAY is not set)." >&2
  echo "        Start it in a desktop session, or under Xvfb: Xvfb :99 & DISPLAY=:99 ./run.sh" >&2
  exit 1
fi
exec "$bin/orvane"
