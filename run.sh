#!/usr/bin/env bash
# Builds Orvane and starts it on the demo Palm Desktop installation.
#   - installs the Debian packages that are missing,
#   - builds the default configuration into build/,
#   - makes the demo installation build/palmdesktop with palmdesk-demo when there is none,
#   - writes kestrow.ini beside the executable, pointing at it, when there is no kestrow.ini yet,
#   - starts build/bin/orvane.
set -euo pipefail
cd "$(dirname "$0")"
scripts/install-deps.sh
cmake --preset default >/dev/null
cmake --build --preset default -j "$(nproc 2>/dev/null || echo 2)"

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
