#!/usr/bin/env bash
# Installs and uninstalls the setup program silently under Wine and checks what each leaves:
#   scripts/check-installer-wine.sh build/mingw32
# The setup program is 32-bit and only 64-bit Wine runs here, so the same script
# (<build>/installer/orvane.nsi, same files) is built again with NSIS's x86_64 stub into a
# temporary folder; the installing and uninstalling logic is the one users get.
#  1. /S: the files in $PROGRAMFILES\Orvane, the Start menu shortcut, the installed-programs entry.
#  2. Data files written beside orvane.exe, then uninstall.exe /S: everything installed is gone,
#     the data files and so their directory stay.
#  3. /S /D=C:\Tools\Orvane, then uninstall.exe /S: the directory is gone with all it held.
set -uo pipefail

build=${1:?usage: check-installer-wine.sh <mingw32 build dir>}
nsi="$build/installer/orvane.nsi"
wine=/usr/lib/wine/wine64
key='HKLM\Software\Microsoft\Windows\CurrentVersion\Uninstall\Orvane'
[ -f "$nsi" ] || { echo "check-installer-wine: $nsi is missing" >&2; exit 1; }
[ -x "$wine" ] || { echo "check-installer-wine: no $wine" >&2; exit 1; }

tmp=$(mktemp -d /tmp/orvane-setup.XXXXXX)
export WINEPREFIX=$tmp/prefix WINEDEBUG=-all WINEDLLOVERRIDES="mscoree,mshtml=;winemenubuilder.exe=d"
unset DISPLAY
cleanup() { /usr/lib/wine/wineserver -k 2>/dev/null; /usr/lib/wine/wineserver -w 2>/dev/null; rm -rf "$tmp"; }
trap cleanup EXIT
fail() { echo "check-installer-wine: $*" >&2; exit 1; }

sed -e 's/^Unicode true$/Unicode true\nTarget amd64-unicode/' \
    -e "s|^OutFile .*|OutFile \"$tmp/setup64.exe\"|" "$nsi" >"$tmp/setup64.nsi"
grep -q '^Target amd64-unicode$' "$tmp/setup64.nsi" || fail "could not make the x86_64 variant of $nsi"
makensis -V1 "$tmp/setup64.nsi" || fail "makensis failed on the x86_64 variant"

mkdir -p "$WINEPREFIX"
/usr/lib/wine/wineserver -p
timeout 120 "$wine" wineboot --init </dev/null >/dev/null 2>&1
run() { timeout 60 "$wine" "$@" </dev/null >>"$tmp/wine.log" 2>&1; }
# The uninstaller copies itself to the temporary folder and returns at once: wait until the
# given path is gone (uninstall.exe removes the registry entry and shortcut first, itself last).
gone() { for _ in $(seq 100); do [ -e "$1" ] || { sleep 0.5; return 0; }; sleep 0.2; done; return 1; }

c=$WINEPREFIX/drive_c
dir="$c/Program Files/Orvane"
lnk="$c/ProgramData/Microsoft/Windows/Start Menu/Programs/Orvane.lnk"
installed="help/orvane/index.htm orvane.exe orvanectl.exe uninstall.exe"
files_in() { (cd "$1" && find . -type f | sed 's|^\./||' | sort | xargs); }

# 1. Silent install to the default directory.
run "$tmp/setup64.exe" /S || fail "the silent install failed"
[ "$(files_in "$dir")" = "$installed" ] || fail "installed files: '$(files_in "$dir")', expected '$installed'"
cmp -s "$dir/orvane.exe" "$build/installer/stage/orvane.exe" || fail "the installed orvane.exe differs"
[ -f "$lnk" ] || fail "no Start menu shortcut"
run reg query "$key"
for v in DisplayName DisplayVersion Publisher UninstallString QuietUninstallString DisplayIcon \
         InstallLocation NoModify NoRepair; do
  grep -q "^ *$v " "$tmp/wine.log" || fail "the installed-programs entry lacks $v"
done
grep -q 'QuietUninstallString *REG_SZ *"C:\\Program Files\\Orvane\\uninstall.exe" /S' "$tmp/wine.log" ||
  fail "QuietUninstallString is not the silent uninstaller"

# 2. The user's data files survive the uninstaller, and so does their directory.
echo data >"$dir/ovcond.dat"; echo data >"$dir/ovcurr.dat"; echo data >"$dir/ovprof3.dat"
run "C:\\Program Files\\Orvane\\uninstall.exe" /S || fail "the silent uninstall failed"
gone "$dir/uninstall.exe" || fail "uninstall.exe did not remove itself"
[ "$(files_in "$dir")" = "ovcond.dat ovcurr.dat ovprof3.dat" ] ||
  fail "after uninstalling: '$(files_in "$dir")', expected only the data files"
[ -e "$dir/help" ] && fail "the help directory is still there"
[ -e "$lnk" ] && fail "the Start menu shortcut is still there"
: >"$tmp/wine.log"
run reg query "$key" && fail "the installed-programs entry is still there"

# 3. Another directory (/D=), nothing of the user's in it: uninstalling removes the directory.
run "$tmp/setup64.exe" /S '/D=C:\Tools\Orvane' || fail "the silent install with /D= failed"
[ "$(files_in "$c/Tools/Orvane")" = "$installed" ] || fail "/D= did not install into C:\\Tools\\Orvane"
run "C:\\Tools\\Orvane\\uninstall.exe" /S || fail "the silent uninstall from C:\\Tools\\Orvane failed"
gone "$c/Tools/Orvane"
[ -e "$c/Tools/Orvane" ] && fail "C:\\Tools\\Orvane is still there after uninstalling"
[ -d "$c/Tools" ] || fail "the uninstaller removed C:\\Tools, which it did not make"

echo "setup program under Wine: silent install (default directory and /D=), shortcut, installed-programs entry; silent uninstall removed them and kept the data files"
