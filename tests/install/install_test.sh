#!/usr/bin/env bash
# Installs the tool into a temporary prefix as a package would (cmake --install), makes the
# installed program's directory read-only, and checks that the program answers --version and
# --help without a display, and that a user's profile and settings go to the user's own data
# directory: the window is driven by install_check, placed beside the installed program.
#   install_test.sh <build dir> <install_check> <palmdesk-demo>
set -euo pipefail
build=$1 check=$2 demo=$3
work=$(mktemp -d)
cleanup() { chmod -R u+w "$work" 2>/dev/null || true; rm -rf "$work"; }
trap cleanup EXIT
prefix=$work/prefix
fail() { echo "install_test: $*" >&2; exit 1; }

cmake --install "$build" --prefix "$prefix" >/dev/null
program=$prefix/libexec/orvane
for f in bin/orvane libexec/orvane/orvane bin/orvanectl libexec/orvane/orvanectl libexec/orvane/help/orvane/index.htm \
         share/applications/orvane.desktop share/icons/hicolor/64x64/apps/orvane.png; do
  [ -e "$prefix/$f" ] || fail "not installed: $f"
done

# Without a display, on the command line.
version=$(env -u DISPLAY -u WAYLAND_DISPLAY QT_QPA_PLATFORM= "$prefix/bin/orvane" --version)
[ "$version" = "Orvane $(sed -n 's/^project(Orvane VERSION \([0-9.]*\).*/\1/p' "$(dirname "$0")/../../CMakeLists.txt")" ] ||
  fail "--version said: $version"
env -u DISPLAY -u WAYLAND_DISPLAY QT_QPA_PLATFORM= "$prefix/bin/orvane" --help | grep -q '^Usage: orvane' ||
  fail "--help does not say how to use it"

# A Palm Desktop, found through the per-user registry; the installed directory read-only.
"$demo" "$work/palm" >/dev/null
mkdir -p "$work/config/orvane" "$work/data"
printf 'Windows Registry Editor Version 5.00\n\n[HKEY_CURRENT_USER\\Software\\U.S. Robotics\\Pilot Desktop\\Core]\n"DesktopPath"="%s"\n' \
  "$work/palm" > "$work/config/orvane/HKCU.reg"
cp "$check" "$program/"
chmod -R a-w "$program"
XDG_CONFIG_HOME=$work/config XDG_DATA_HOME=$work/data QT_QPA_PLATFORM=offscreen \
  "$program/$(basename "$check")" || fail "the installed window did not save as it should"

for f in ovcond.dat ovcurr.dat ovprof.dat ovprof1.dat; do
  [ -s "$work/data/orvane/$f" ] || fail "$f is not in the user's data directory"
  [ ! -e "$program/$f" ] || fail "$f was written beside the installed program"
done

# The console program beside it finds the same installation and the same data directory.
users=$(XDG_CONFIG_HOME=$work/config XDG_DATA_HOME=$work/data "$prefix/bin/orvanectl" users) ||
  fail "orvanectl users failed"
[ "$(printf '%s\n' "$users" | grep -c .)" -gt 1 ] || fail "orvanectl users listed nobody: $users"
echo "install_test: installed, answered --version and --help, kept the user's data in $work/data/orvane, orvanectl beside it"
