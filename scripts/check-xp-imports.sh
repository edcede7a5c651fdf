#!/usr/bin/env bash
# Checks that every i686 program of a build starts on Windows XP SP3: each function named in the
# import tables of its .exe files (i686-w64-mingw32-objdump -p) must be listed, with its DLL, in
# scripts/xp-imports.txt, and every entry there must be documented for Windows XP or older.
# A function that Windows gained later is looked up with GetProcAddress instead (Windows loads
# no program whose imports it lacks).
#
#   scripts/check-xp-imports.sh <mingw32 build directory>
# Prints each import that is not allowed; exit status 1 when there is one, 2 on bad usage.
set -uo pipefail
cd "$(dirname "$0")/.."

build=${1:-}
if [ -z "$build" ] || [ ! -d "$build" ]; then
  echo "usage: $0 <mingw32 build directory>" >&2
  exit 2
fi
objdump=i686-w64-mingw32-objdump
command -v "$objdump" >/dev/null || { echo "check-xp-imports: $objdump not found" >&2; exit 2; }
list=scripts/xp-imports.txt
failed=0

# The allow-list: "dll function minimum-version", '#' comments. XP or older only.
declare -A allowed=()
while read -r dll fn version rest; do
  case "$dll" in ''|'#'*) continue ;; esac
  case "$version" in
    95|98|NT3.1|NT3.5|NT4|2000|XP) ;;
    *) echo "check-xp-imports: $list: $dll $fn needs Windows '$version', newer than XP (look it up at run time)"
       failed=1; continue ;;
  esac
  allowed["${dll,,} $fn"]=1
done <"$list"

# Every program the build made (CMake's compiler probes and test.sh's 32-bit Wine probe aside).
mapfile -t exes < <(find "$build" \( -path "$build/CMakeFiles" -o -path "$build/wine32-probe" \) -prune -o \
                      -type f -iname '*.exe' -print | sort)
[ ${#exes[@]} -gt 0 ] || { echo "check-xp-imports: no .exe under $build" >&2; exit 2; }
names=0
for exe in "${exes[@]}"; do
  # objdump -p: "DLL Name: KERNEL32.dll", then one line per function: vma, hint, name.
  while read -r dll fn; do
    names=$((names + 1))
    if [ -z "${allowed["${dll,,} $fn"]:-}" ]; then
      echo "  NOT ALLOWED: ${exe#"$build"/} imports $fn from $dll (not in $list)"
      failed=1
    fi
  done < <("$objdump" -p "$exe" | awk '
    /^[ \t]*DLL Name:/ { dll = $3; next }
    /^[ \t]*vma:/ { next }
    dll != "" && NF == 0 { dll = ""; next }
    dll != "" && $1 ~ /^[0-9a-f]+$/ && $2 ~ /^[0-9]+$/ && NF >= 3 { print dll, $3 }')
done
if [ $failed -eq 0 ]; then
  echo "check-xp-imports: ${#exes[@]} programs, $names imports, all from Windows XP or older ($list)"
fi
exit $failed
