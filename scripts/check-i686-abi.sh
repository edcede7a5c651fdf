#!/usr/bin/env bash
# Checks the linked 32-bit (i686) stand-in Palm libraries against Palm's interface:
#   - the export table of each DLL (i686-w64-mingw32-objdump -p) lists every entry point of
#     src/core/palm/PalmEntries.h under its plain name, and nothing decorated (Name@N) or extra;
#   - the definition file the linker wrote for it (-Wl,--output-def) names each export Name@N
#     with N, the bytes its __stdcall code pops, equal to the documented argument bytes.
# The expected names and bytes are read from src/core/palm/PalmEntries.h, the one table of them.
#
#   scripts/check-i686-abi.sh <mingw32 build directory>
# Prints one line per library and a summary; exit status 1 on any mismatch, 2 on bad usage.
set -uo pipefail
cd "$(dirname "$0")/.."

build=${1:-}
if [ -z "$build" ] || [ ! -d "$build" ]; then
  echo "usage: $0 <mingw32 build directory>" >&2
  exit 2
fi
objdump=i686-w64-mingw32-objdump
command -v "$objdump" >/dev/null || { echo "check-i686-abi: $objdump not found" >&2; exit 2; }
table=src/core/palm/PalmEntries.h

declare -A file=([CONDMGR]=condmgr.dll [USERDATA]=UserData.dll [HSAPI]=HSAPI.DLL [INSTAIDE]=instaide.dll)
failed=0
checked=0
bytes_checked=0

fail() { echo "  MISMATCH: $*"; failed=1; }

for lib in CONDMGR USERDATA HSAPI INSTAIDE; do
  dll="$build/bin/${file[$lib]}"
  def="$build/lib/palmdesk/${file[$lib]}.def"
  # name bytes, one pair a line, from the lines "X(<LIB>, <name>, <bytes>)".
  expected=$(grep -oE "X\\($lib, *[A-Za-z0-9_]+, *[0-9]+\\)" "$table" |
             sed -E 's/X\([A-Z]+, *([A-Za-z0-9_]+), *([0-9]+)\)/\1 \2/')
  count=$(wc -l <<<"$expected")
  if [ ! -f "$dll" ] || [ ! -f "$def" ]; then
    echo "${file[$lib]}: missing $( [ -f "$dll" ] || echo "$dll" ) $( [ -f "$def" ] || echo "$def" )"
    failed=1
    continue
  fi

  # The export table's names: the lines of "[Ordinal/Name Pointer] Table" up to a blank line.
  exports=$("$objdump" -p "$dll" | sed -n '/\[Ordinal\/Name Pointer\] Table/,/^$/p' |
            sed -nE 's/^[[:space:]]*\[ *[0-9]+\] (.*)$/\1/p')
  # The definition file: "Name = Name@N @ord" (the export renamed by --kill-at) or "Name@N @ord".
  decorated=$(sed -nE 's/^[[:space:]]+([A-Za-z0-9_]+ = )?([A-Za-z0-9_]+@[0-9]+)( .*)?$/\2/p' "$def")

  bad_before=$failed
  while read -r name bytes; do
    grep -qx -- "$name" <<<"$exports" || fail "${file[$lib]}: $name is not exported under its plain name"
    got=$(grep -E "^$name@[0-9]+\$" <<<"$decorated" | sed -E 's/.*@//')
    if [ -z "$got" ]; then
      fail "${file[$lib]}: $name has no __stdcall entry (Name@N) in $def"
    elif [ "$got" != "$bytes" ]; then
      fail "${file[$lib]}: $name pops $got bytes of arguments, Palm's prototype takes $bytes"
    else
      bytes_checked=$((bytes_checked + 1))
    fi
  done <<<"$expected"
  while read -r name; do
    [ -z "$name" ] && continue
    case "$name" in
      *@*) fail "${file[$lib]}: decorated export $name" ;;
      *) grep -qE "^$name " <<<"$expected" || fail "${file[$lib]}: unexpected export $name" ;;
    esac
  done <<<"$exports"
  checked=$((checked + count))
  if [ "$failed" = "$bad_before" ]; then
    echo "${file[$lib]}: $count exports, plain names, argument bytes as Palm's prototypes"
  fi
done

if [ "$failed" = 0 ]; then
  echo "i686 ABI: $checked entry points exported undecorated, $bytes_checked with Palm's argument bytes"
else
  echo "i686 ABI: MISMATCHES above (expected $table)"
fi
exit $failed
