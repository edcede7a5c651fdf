#!/usr/bin/env bash
# Installs and uninstalls the setup program silently under Wine and checks what each leaves:
#   scripts/check-installer-wine.sh build/mingw32
# With ORVANE_INSTALLER_WINE32 naming a 32-bit Wine that runs (test.sh's probe found one), the
# real setup program users get, orvane-<version>-setup.exe, is run under it in a win32 prefix.
# Without one, the same script (<build>/installer/orvane.nsi, same files) is built again with
# NSIS's x86_64 stub and run under 64-bit Wine: the installing and uninstalling logic is the same.
#  1. /S: the files in $PROGRAMFILES\Orvane, the Start menu shortcut, the installed-programs entry.
#  2. Data files written beside orvane.exe, then uninstall.exe /S: everything installed is gone,
#     the data files and so their directory stay.
#  3. /S /D=C:\Tools\Orvane, then uninstall.exe /S: the directory is gone with all it held.
#  0. orvane.exe names the mutex that the setup program looks for.
#  4. While a process holds Orvane's mutex (Global\Orvane.Running, as a running orvane.exe does):
#     the silent setup ends with exit code 2 and installs nothing; the silent uninstaller ends
#     with 2 and removes nothing.
#  5. An uninstall that cannot remove orvane.exe (held open) keeps the installed-programs entry
#     and ends with 2: the entry goes only after the files.
#  6. An upgrade over an older version (in its own directory, with the user's data files there)
#     installs into that directory and keeps the data files as they were.
set -uo pipefail

build=${1:?usage: check-installer-wine.sh <mingw32 build dir>}
nsi="$build/installer/orvane.nsi"
wine32=${ORVANE_INSTALLER_WINE32:-}
if [ -n "$wine32" ]; then
  wine=$wine32
  server=$(dirname "$wine32")/wineserver32
  [ -x "$server" ] || server=$(dirname "$wine32")/wineserver
  cc=i686-w64-mingw32-gcc
else
  wine=/usr/lib/wine/wine64
  server=/usr/lib/wine/wineserver
  cc=x86_64-w64-mingw32-gcc
fi
key='HKLM\Software\Microsoft\Windows\CurrentVersion\Uninstall\Orvane'
[ -f "$nsi" ] || { echo "check-installer-wine: $nsi is missing" >&2; exit 1; }
[ -x "$wine" ] || { echo "check-installer-wine: no $wine" >&2; exit 1; }

# The mutex the setup program looks for is the one orvane.exe makes.
mutex='Global\Orvane.Running'
strings -el "$build/installer/stage/orvane.exe" | grep -qxF "$mutex" ||
  { echo "check-installer-wine: orvane.exe does not name the mutex $mutex" >&2; exit 1; }
grep -qF "\"$mutex\"" "$nsi" || { echo "check-installer-wine: $nsi does not look for the mutex $mutex" >&2; exit 1; }

tmp=$(mktemp -d /tmp/orvane-setup.XXXXXX)
export WINEPREFIX=$tmp/prefix WINEDEBUG=-all WINEDLLOVERRIDES="mscoree,mshtml=;winemenubuilder.exe=d"
export WINESERVER=$server
[ -n "$wine32" ] && export WINEARCH=win32
unset DISPLAY
cleanup() { "$server" -k 2>/dev/null; "$server" -w 2>/dev/null; rm -rf "$tmp"; }
trap cleanup EXIT
fail() { echo "check-installer-wine: $*" >&2; exit 1; }

if [ -n "$wine32" ]; then
  # The setup program as built, and the previous version: the same script with an older number.
  real=$(ls "$build"/orvane-*-setup.exe 2>/dev/null | head -n 1)
  [ -n "$real" ] || fail "no setup program in $build"
  cp "$real" "$tmp/setup.exe"
  sed -e 's/^!define VERSION .*/!define VERSION "1.0.0.1"/' -e "s|^OutFile .*|OutFile \"$tmp/old.exe\"|" \
      "$nsi" >"$tmp/old.nsi"
  makensis -V1 "$tmp/old.nsi" || fail "makensis failed on the older version"
else
  sed -e 's/^Unicode true$/Unicode true\nTarget amd64-unicode/' \
      -e "s|^OutFile .*|OutFile \"$tmp/setup.exe\"|" "$nsi" >"$tmp/setup64.nsi"
  grep -q '^Target amd64-unicode$' "$tmp/setup64.nsi" || fail "could not make the x86_64 variant of $nsi"
  makensis -V1 "$tmp/setup64.nsi" || fail "makensis failed on the x86_64 variant"
  # The previous version: the same script with an older version number.
  sed -e 's/^!define VERSION .*/!define VERSION "1.0.0.1"/' -e "s|^OutFile .*|OutFile \"$tmp/old.exe\"|" \
      "$tmp/setup64.nsi" >"$tmp/old64.nsi"
  makensis -V1 "$tmp/old64.nsi" || fail "makensis failed on the older version"
fi

# Holds what a running Orvane holds, until told to let go: "mutex" (Orvane's mutex) or a file
# kept open without delete sharing (a program in use). Says "ready" by making a file.
cat >"$tmp/hold.c" <<'CEOF'
#include <windows.h>
int wmain(int argc, wchar_t** argv) {
  if (argc != 4) return 3;
  HANDLE h = lstrcmpW(argv[1], L"mutex") == 0
                 ? CreateMutexW(NULL, FALSE, L"Global\\Orvane.Running")
                 : CreateFileW(argv[1], GENERIC_READ, FILE_SHARE_READ, NULL, OPEN_EXISTING, 0, NULL);
  if (h == NULL || h == INVALID_HANDLE_VALUE) return 4;
  CloseHandle(CreateFileW(argv[2], GENERIC_WRITE, 0, NULL, CREATE_ALWAYS, 0, NULL));
  for (int i = 0; i < 1200 && GetFileAttributesW(argv[3]) == INVALID_FILE_ATTRIBUTES; ++i) Sleep(100);
  CloseHandle(h);
  return 0;
}
CEOF
"$cc" -municode -static -O -o "$tmp/hold.exe" "$tmp/hold.c" || fail "the holder did not build"

mkdir -p "$WINEPREFIX"
"$server" -p
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
# hold WHAT: starts the holder and waits until it holds; release: lets go and waits for its end.
hold_pid=
hold() {
  rm -f "$c/hold-ready" "$c/hold-release"
  timeout 150 "$wine" "$tmp/hold.exe" "$1" 'C:\hold-ready' 'C:\hold-release' </dev/null >>"$tmp/wine.log" 2>&1 &
  hold_pid=$!
  for _ in $(seq 150); do [ -e "$c/hold-ready" ] && return 0; sleep 0.2; done
  fail "the holder of $1 did not start"
}
release() { : >"$c/hold-release"; wait "$hold_pid"; hold_pid=; }
# Exit status of a command, for checks that expect a failure.
status() { "$@"; echo $?; }
entry_listed() { : >"$tmp/wine.log"; run reg query "$key"; }

# 4a. A running Orvane stops the silent setup before it writes anything.
hold mutex
[ "$(status run "$tmp/setup.exe" /S)" = 2 ] || fail "the silent setup did not end with 2 while Orvane runs"
release
[ -e "$dir" ] && fail "the setup refused by a running Orvane left $(files_in "$dir")"
entry_listed && fail "the setup refused by a running Orvane left an installed-programs entry"

# 1. Silent install to the default directory.
run "$tmp/setup.exe" /S || fail "the silent install failed"
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
run "$tmp/setup.exe" /S '/D=C:\Tools\Orvane' || fail "the silent install with /D= failed"
[ "$(files_in "$c/Tools/Orvane")" = "$installed" ] || fail "/D= did not install into C:\\Tools\\Orvane"
tools="$c/Tools/Orvane"

# 4b. A running Orvane stops the silent uninstaller (_?= runs it in place, to see its exit code;
# here, as Wine would quote a path with spaces, which _?= does not take).
hold mutex
[ "$(status run "C:\\Tools\\Orvane\\uninstall.exe" /S '_?=C:\Tools\Orvane')" = 2 ] ||
  fail "the silent uninstall did not end with 2 while Orvane runs"
release
[ "$(files_in "$tools")" = "$installed" ] || fail "the uninstall refused by a running Orvane left '$(files_in "$tools")'"
entry_listed || fail "the uninstall refused by a running Orvane removed the installed-programs entry"

# 5. orvane.exe in use: the uninstall fails and stays listed.
hold 'C:\Tools\Orvane\orvane.exe'
[ "$(status run "C:\\Tools\\Orvane\\uninstall.exe" /S '_?=C:\Tools\Orvane')" = 2 ] ||
  fail "the silent uninstall did not end with 2 when orvane.exe could not be removed"
release
[ -f "$tools/orvane.exe" ] || fail "orvane.exe was removed although it was held open"
entry_listed || fail "the installed-programs entry went although orvane.exe stayed"
run "$tmp/setup.exe" /S '/D=C:\Tools\Orvane' || fail "installing again after the failed uninstall failed"
[ "$(files_in "$tools")" = "$installed" ] || fail "installed again: '$(files_in "$tools")', expected '$installed'"

run "C:\\Tools\\Orvane\\uninstall.exe" /S || fail "the silent uninstall from C:\\Tools\\Orvane failed"
gone "$c/Tools/Orvane"
[ -e "$c/Tools/Orvane" ] && fail "C:\\Tools\\Orvane is still there after uninstalling"
[ -d "$c/Tools" ] || fail "the uninstaller removed C:\\Tools, which it did not make"

# 6. An upgrade over the previous version in C:\Old\Orvane keeps the user's data files there.
old="$c/Old/Orvane"
run "$tmp/old.exe" /S '/D=C:\Old\Orvane' || fail "installing the previous version failed"
for f in ovcond.dat ovcurr.dat ovprof.dat ovprof1.dat ovended.txt; do printf 'user data %s\n' "$f" >"$old/$f"; done
run "$tmp/setup.exe" /S || fail "the upgrade failed"
[ "$(files_in "$old")" = "help/orvane/index.htm orvane.exe orvanectl.exe ovcond.dat ovcurr.dat ovended.txt ovprof.dat ovprof1.dat uninstall.exe" ] ||
  fail "after the upgrade C:\\Old\\Orvane holds '$(files_in "$old")'"
[ -e "$dir/orvane.exe" ] && fail "the upgrade installed into $dir instead of the previous version's directory"
cmp -s "$old/orvane.exe" "$build/installer/stage/orvane.exe" || fail "the upgrade did not replace orvane.exe"
for f in ovcond.dat ovcurr.dat ovprof.dat ovprof1.dat ovended.txt; do
  [ "$(cat "$old/$f")" = "user data $f" ] || fail "the upgrade changed $f"
done
entry_listed
grep -q "DisplayVersion *REG_SZ *$(sed -n 's/^!define VERSION "\(.*\)"/\1/p' "$nsi")" "$tmp/wine.log" ||
  fail "the installed-programs entry does not show the new version"

if [ -n "$wine32" ]; then how="the real setup program under 32-bit Wine"; else how="the setup script with NSIS's x86_64 stub under 64-bit Wine"; fi
echo "$how: silent install (default directory and /D=), shortcut, installed-programs entry; silent uninstall removed them and kept the data files; setup and uninstall refused (exit 2, nothing changed) while Orvane's mutex is held; an uninstall that cannot remove orvane.exe stays listed; an upgrade over the previous version kept the data files"
