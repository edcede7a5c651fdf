#!/usr/bin/env bash
# Installs the Debian 12 packages Orvane needs. Idempotent: when every package is present it
# does nothing. Works as root, or through sudo as a normal user.
#   scripts/install-deps.sh        everything: building, running and every stage of test.sh
#   scripts/install-deps.sh run    only what run.sh needs: the Linux build of the window, the
#                                  console program and the stand-in Palm Desktop
set -euo pipefail

run_packages=(
  # build
  build-essential cmake ninja-build
  # the console program: options and help, JSON (header-only, also used by the Windows builds)
  libcli11-dev nlohmann-json3-dev
  # window library (Qt 6), and opening the help page in a browser
  qt6-base-dev xdg-utils
)
test_packages=(
  pkg-config clang libclang-rt-14-dev
  # tests and benchmarks
  libgtest-dev libgmock-dev googletest libbenchmark-dev
  # Qt 5.15 for the compatibility build
  qtbase5-dev
  # Windows cross builds and their test runs; the i686 tests run under the 32-bit Wine
  # (wine32 from Debian's i386 architecture, added below when it is missing)
  g++-mingw-w64-x86-64-posix g++-mingw-w64-i686-posix mingw-w64-tools wine64 wine32:i386
  # the Windows setup program, and listing its contents
  nsis p7zip-full
  # looking at the windows: a virtual display and screenshots
  xvfb x11-apps imagemagick
)

case "${1:-all}" in
  run) packages=("${run_packages[@]}") ;;
  all) packages=("${run_packages[@]}" "${test_packages[@]}") ;;
  *) echo "usage: scripts/install-deps.sh [run|all]" >&2; exit 2 ;;
esac

missing=()
for p in "${packages[@]}"; do
  status=$(dpkg-query -W -f='${db:Status-Status}' "$p" 2>/dev/null || true)
  [ "$status" = installed ] || missing+=("$p")
done
[ ${#missing[@]} -eq 0 ] && exit 0

echo "Installing: ${missing[*]}"
if [ "$(id -u)" -eq 0 ]; then sudo=(); else sudo=(sudo); fi
export DEBIAN_FRONTEND=noninteractive

# The package mirror is sometimes mid-sync: retry a failed update or install a few times.
retry() {
  local n
  for n in 1 2 3 4 5; do
    "$@" && return 0
    echo "'$*' failed (try $n); retrying in $((n * 10)) s" >&2
    sleep $((n * 10))
  done
  return 1
}
# Packages of another architecture (wine32:i386) need that architecture known to dpkg first.
for p in "${missing[@]}"; do
  case "$p" in
    *:*) arch=${p##*:}
         dpkg --print-foreign-architectures | grep -qx "$arch" || "${sudo[@]}" dpkg --add-architecture "$arch" ;;
  esac
done
retry "${sudo[@]}" apt-get update -q
retry "${sudo[@]}" apt-get install -y -q --no-install-recommends "${missing[@]}"
