#!/usr/bin/env bash
# Builds Orvane and starts it on the demo Palm Desktop installation.
set -euo pipefail
cd "$(dirname "$0")"
scripts/install-deps.sh
cmake --preset default >/dev/null
cmake --build --preset default -j "$(nproc 2>/dev/null || echo 2)"
if [ ! -x build/bin/orvane ]; then
  echo "run.sh: built the foundation and the stand-in Palm Desktop; the main window does not exist yet, so there is nothing to start."
  exit 0
fi
exec build/bin/orvane
