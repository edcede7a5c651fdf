#!/usr/bin/env bash
# Checks the manifests that the built orvane.exe and orvanectl.exe carry (their RT_MANIFEST
# resource 1, read back from the executables with windres): both run as invoker, which also
# keeps UAC's file virtualization off, know Windows Vista to 11 and say their DPI awareness;
# orvane.exe asks for common controls 6 and orvanectl.exe, a console program, does not. Both
# carry the version information and the icon.
#   scripts/check-manifests.sh BUILD_DIR [WINDRES]
# WINDRES defaults to the i686 one; either reads both kinds of executable.
set -uo pipefail

dir=${1:?usage: scripts/check-manifests.sh BUILD_DIR [WINDRES]}
windres=${2:-i686-w64-mingw32-windres}

# The manifest text of exe (resource type 24, name 1), comments removed, on one line; empty when
# it has none. windres writes a resource's text as C string pieces, "" for a quote.
manifest_of() {  # exe
  "$windres" -i "$1" -J coff -O rc 2>/dev/null |
    awk '/^1 24 / { on = 1; next } on && /^BEGIN/ { next } on && /^END/ { exit } on { print }' |
    sed -E 's/^[[:space:]]*"//; s/"[[:space:]]*$//; s/""/"/g; s/\\n$//' |
    tr '\n' ' ' | perl -pe 's/<!--.*?-->//g'
}

has() {  # text, extended regex
  grep -Eq -- "$2" <<<"$1"
}

bad=0
fail() {
  echo "check-manifests: $*" >&2
  bad=1
}

supported_os=(
  e2011457-1546-43c5-a5fe-008deee3d3f0  # Vista
  35138b9a-5d96-4fbd-8e2d-a2440225f93a  # 7
  4a2f28e3-53b9-4441-ba9c-d69d4a4a6e38  # 8
  1f676c76-80e1-4239-95bb-83d0f6d0da78  # 8.1
  8e0f7a12-bfb3-4fe8-b9a5-48fd50a15a9a  # 10 and 11
)

for name in orvane orvanectl; do
  exe=$dir/bin/$name.exe
  [ -f "$exe" ] || { fail "$exe is missing"; continue; }
  text=$(manifest_of "$exe")
  if [ -z "$text" ]; then
    fail "$exe carries no manifest (RT_MANIFEST 1)"
    continue
  fi
  # requestedExecutionLevel inside trustInfo/security/requestedPrivileges, asInvoker, no uiAccess.
  has "$text" '<trustInfo[^>]*>[[:space:]]*<security>[[:space:]]*<requestedPrivileges>[[:space:]]*<requestedExecutionLevel[^>]*level="asInvoker"' ||
    fail "$exe: no requestedExecutionLevel level=\"asInvoker\" in trustInfo (UAC would virtualize its file writes)"
  has "$text" '<requestedExecutionLevel[^>]*uiAccess="false"' ||
    fail "$exe: requestedExecutionLevel without uiAccess=\"false\""
  for id in "${supported_os[@]}"; do
    has "$text" "<supportedOS Id=\"\\{$id\\}\"" || fail "$exe: no supportedOS {$id}"
  done
  has "$text" '<dpiAware[^>]*>true</dpiAware>' || fail "$exe: no dpiAware setting"
  if [ "$name" = orvane ]; then
    has "$text" 'name="Microsoft.Windows.Common-Controls" version="6\.' ||
      fail "$exe: no dependency on common controls 6"
  else
    has "$text" 'Microsoft.Windows.Common-Controls' && fail "$exe: a console program depending on common controls"
  fi
  rc=$("$windres" -i "$exe" -J coff -O rc 2>/dev/null)
  grep -q '^VS_VERSION_INFO VERSIONINFO\|^1 VERSIONINFO' <<<"$rc" || fail "$exe: no version information"
  grep -q '^MAINICON ICON\|"MAINICON" *14\|^MAINICON GROUP_ICON' <<<"$rc" || fail "$exe: no icon MAINICON"
done

[ $bad -eq 0 ] && echo "check-manifests: orvane.exe and orvanectl.exe in $dir run as invoker, know Vista to 11, are DPI aware, carry version and icon"
exit $bad
