#!/usr/bin/env bash
# Checks the contents of the Windows setup program that the mingw32 build makes (installer/):
#   scripts/check-installer.sh build/mingw32
# From `7z l`, which lists an NSIS installer's files: it holds exactly orvane.exe, orvanectl.exe,
# every help page under help/ (as in <build>/bin/help, where Help finds them beside the exe), the
# uninstaller it writes (uninstall.exe, at the top of the install directory) and NSIS's own
# plugin files; nothing else. The programs in it are the i686 build's, stripped; the setup
# program is a Unicode NSIS 3 one that asks for administrator rights.
set -euo pipefail

build=${1:?usage: check-installer.sh <mingw32 build dir>}
version=$(sed -n 's/^CMAKE_PROJECT_VERSION:STATIC=//p' "$build/CMakeCache.txt")
setup="$build/orvane-$version-setup.exe"
stage="$build/installer/stage"
fail() { echo "check-installer: $*" >&2; exit 1; }

[ -n "$version" ] || fail "no project version in $build/CMakeCache.txt"
[ -f "$setup" ] || fail "$setup was not built"
listing=$(7z l -slt "$setup") || fail "7z cannot list $setup"
grep -qx 'Type = Nsis' <<<"$listing" || fail "$setup is not an NSIS installer"
grep -qx 'SubType = NSIS-3 Unicode' <<<"$listing" || fail "$setup is not a Unicode NSIS 3 installer"

# The entries, after the archive's own "Path =" line.
actual=$(sed -n '/^----------$/,$ s/^Path = //p' <<<"$listing" | tr '\\' '/' | sort)
expected=$( {
  echo orvane.exe
  echo orvanectl.exe
  echo uninstall.exe
  (cd "$build/bin" && find help -type f)
} | sort)
[ -n "$(cd "$build/bin" && find help -type f -path 'help/orvane/index.htm')" ] ||
  fail "$build/bin/help/orvane/index.htm is missing"

# NSIS's plugins and the wizard picture come along in $PLUGINSDIR; nothing else may.
plugins=$(grep '^\$PLUGINSDIR/' <<<"$actual" || true)
while read -r p; do
  [ -z "$p" ] && continue
  case "$p" in
    '$PLUGINSDIR/modern-wizard.bmp'|'$PLUGINSDIR/System.dll'|'$PLUGINSDIR/nsDialogs.dll') ;;
    *) fail "unexpected NSIS file in the installer: $p" ;;
  esac
done <<<"$plugins"
files=$(grep -v '^\$PLUGINSDIR/' <<<"$actual" || true)
if [ "$files" != "$expected" ]; then
  diff <(echo "$expected") <(echo "$files") | sed 's/^/  /' >&2 || true
  fail "the installer's files differ from the expected ones (< expected, > in the installer)"
fi

# The programs in it are the staged i686 ones, byte for byte.
for exe in orvane.exe orvanectl.exe; do
  7z e -so "$setup" "$exe" 2>/dev/null | cmp -s - "$stage/$exe" || fail "$exe in the installer is not $stage/$exe"
  i686-w64-mingw32-objdump -f "$stage/$exe" | grep -q 'file format pei-i386' || fail "$exe is not an i686 program"
done
7z e -so "$setup" help/orvane/index.htm 2>/dev/null | cmp -s - "$build/bin/help/orvane/index.htm" ||
  fail "help/orvane/index.htm in the installer differs from $build/bin/help/orvane/index.htm"

# RequestExecutionLevel admin shows in the stub's manifest.
grep -aq 'level="requireAdministrator"' "$setup" || fail "$setup does not ask for administrator rights"

echo "$setup: $(stat -c %s "$setup") bytes; orvane.exe, orvanectl.exe, $(grep -c '^help/' <<<"$expected") help page(s), uninstall.exe and NSIS's plugins, nothing else; asks for administrator rights"
