#!/usr/bin/env bash
# Builds every configuration of Orvane and runs every test. Fails when any stage fails.
#   ./test.sh              everything
#   ./test.sh linux asan   only the named stages (linux asan qt5 mingw64 mingw32 fuzz)
set -uo pipefail
cd "$(dirname "$0")"

scripts/install-deps.sh || { echo "test.sh: installing the packages failed" >&2; exit 1; }

jobs=$(nproc 2>/dev/null || echo 2)
stages=("$@")
[ ${#stages[@]} -gt 0 ] || stages=(linux asan qt5 mingw64 mingw32 fuzz)
results=()
failed=0

note() { printf '\n=== %s ===\n' "$*"; }

tests_passed=0
tests_failed=0
ctest_log=$(mktemp /tmp/orvane-ctest.XXXXXX)
trap 'rm -f "$ctest_log"' EXIT
# Runs ctest with the given arguments and adds its counts to the totals; its output stays in
# ctest_log until the next run.
run_ctest() {
  local log=$ctest_log rc line total bad
  ctest "$@" 2>&1 | tee "$log"
  rc=${PIPESTATUS[0]}
  line=$(grep -E 'tests passed, [0-9]+ tests? failed out of [0-9]+' "$log" | tail -n 1)
  if [ -n "$line" ]; then
    total=$(sed -E 's/.*out of ([0-9]+).*/\1/' <<<"$line")
    bad=$(sed -E 's/.*passed, ([0-9]+) tests? failed.*/\1/' <<<"$line")
    tests_passed=$((tests_passed + total - bad))
    tests_failed=$((tests_failed + bad))
  fi
  return "$rc"
}

configure_and_build() {  # preset
  cmake --preset "$1" >/dev/null && cmake --build --preset "$1" -j "$jobs"
}

stage_linux() {
  configure_and_build default && scripts/check-layers.sh build && run_ctest --preset default -j "$jobs"
}

stage_asan() {
  # halt_on_error keeps a finding from scrolling by unnoticed; leaks are findings too.
  configure_and_build asan &&
    ASAN_OPTIONS=detect_leaks=1:halt_on_error=1:abort_on_error=1 \
    UBSAN_OPTIONS=print_stacktrace=1:halt_on_error=1 \
    run_ctest --preset asan -j "$jobs"
}

stage_qt5() {
  # The forms against Qt 5.15; the tests of the forms run here too.
  configure_and_build qt5 && run_ctest --preset qt5 -j "$jobs" -L gui --no-tests=ignore
}

# Starts Xvfb on the first free display from :90 on and sets xvfb_display and xvfb_pid; Wine
# needs an X display to create windows. False when none could be started.
start_xvfb() {
  local n
  xvfb_display= xvfb_pid=
  for n in $(seq 90 140); do
    [ -e "/tmp/.X11-unix/X$n" ] || [ -e "/tmp/.X$n-lock" ] && continue
    Xvfb ":$n" -screen 0 1024x768x24 -nolisten tcp </dev/null >/dev/null 2>&1 &
    xvfb_pid=$!
    for _ in $(seq 50); do
      [ -e "/tmp/.X11-unix/X$n" ] && { xvfb_display=":$n"; return 0; }
      kill -0 "$xvfb_pid" 2>/dev/null || break
      sleep 0.1
    done
    kill "$xvfb_pid" 2>/dev/null; wait "$xvfb_pid" 2>/dev/null
    xvfb_pid=
  done
  return 1
}

# True when the executable imports nothing but Windows' own DLLs (a MinGW runtime DLL would be
# missing on a user's machine and under Wine).
check_system_imports() {  # objdump exe
  local dll bad=0
  while read -r dll; do
    case "${dll,,}" in
      kernel32.dll|user32.dll|gdi32.dll|comctl32.dll|shell32.dll|advapi32.dll|msvcrt.dll|ole32.dll|version.dll) ;;
      *) echo "test.sh: $2 imports $dll, which is not a Windows system DLL" >&2; bad=1 ;;
    esac
  done < <("$1" -p "$2" | sed -n 's/^[[:space:]]*DLL Name: //p')
  [ $bad -eq 0 ] && echo "$2: imports only system DLLs"
  return $bad
}

# A Wine session for one stage: a private Xvfb (the window tests need a display, whatever display
# the caller has: cmake/wine-run.sh and cmake/wine32-run.sh pass ORVANE_WINE_DISPLAY on as
# DISPLAY and nothing else), a fresh prefix and one persistent wineserver for it: without the
# server every test process costs seconds. The server comes first and the prefix is made with
# its output discarded: the Wine services that the first Wine program starts live as long as the
# server and keep that program's output open, which would stall CTest on the first test.
wine_session_start() {  # wine wineserver [WINEARCH]
  local wine=$1
  wine_server=$2 wine_saved_display=${DISPLAY-}
  start_xvfb || { echo "test.sh: Xvfb could not be started" >&2; return 1; }
  wine_prefix=$(mktemp -d /tmp/orvane-wine.XXXXXX)
  export WINEPREFIX=$wine_prefix WINEDEBUG=-all WINEDLLOVERRIDES="mscoree,mshtml=;winemenubuilder.exe=d"
  # Every Wine program of the session talks to this server (a 32-bit Wine has its own).
  export WINESERVER=$wine_server
  [ -n "${3:-}" ] && export WINEARCH=$3
  export ORVANE_WINE_DISPLAY=$xvfb_display DISPLAY=$xvfb_display
  "$wine_server" -p
  "$wine" wineboot --init </dev/null >/dev/null 2>&1
  # Windows unmanaged by a window manager: Xvfb has none, and Wine would wait for one
  # (about 2 s for every window shown).
  "$wine" reg add 'HKCU\Software\Wine\X11 Driver' /v Managed /d N /f </dev/null >/dev/null 2>&1
  unset DISPLAY
}

wine_session_end() {
  "$wine_server" -k 2>/dev/null
  "$wine_server" -w 2>/dev/null
  kill "$xvfb_pid" 2>/dev/null; wait "$xvfb_pid" 2>/dev/null
  rm -rf "$wine_prefix"
  unset WINEPREFIX WINEDEBUG WINEDLLOVERRIDES WINESERVER WINEARCH ORVANE_WINE_DISPLAY
  [ -n "$wine_saved_display" ] && export DISPLAY=$wine_saved_display
  return 0
}

stage_mingw64() {
  configure_and_build mingw64 || return 1
  check_system_imports x86_64-w64-mingw32-objdump build/mingw64/bin/orvane.exe || return 1
  scripts/check-manifests.sh build/mingw64 x86_64-w64-mingw32-windres || return 1
  local rc
  wine_session_start /usr/lib/wine/wine64 /usr/lib/wine/wineserver || return 1
  wine_ctest --preset mingw64 -j "$jobs"
  rc=$?
  stage_note="tests under 64-bit Wine${wine_note:+; $wine_note}"
  if [ $rc -eq 0 ]; then
    run_win32_bench build/mingw64 cmake/wine-run.sh || rc=1
    stage_note+="; Win32 benchmark (x86_64): $bench_note"
  fi
  wine_session_end
  return $rc
}

# Prints the command of a Wine that runs a 32-bit Windows program here, or returns 1 with the
# reason on stderr. The probe must print its token within 20 s: 64-bit Wine runs a 32-bit program
# as a silent no-op that exits 0, so an exit status proves nothing.
probe_wine32() {  # build dir
  local dir=$1/wine32-probe token=orvane-i686-probe-ok cand prefix out
  mkdir -p "$dir"
  printf '#include <stdio.h>\nint main(void) { puts("%s"); return 0; }\n' "$token" >"$dir/probe.c"
  i686-w64-mingw32-gcc-posix -static -o "$dir/probe.exe" "$dir/probe.c" ||
    { echo "the probe did not build" >&2; return 1; }
  for cand in "$(command -v wine 2>/dev/null)" /usr/lib/wine/wine /usr/lib/i386-linux-gnu/wine/bin/wine \
              /usr/lib/wine/wine64; do
    [ -n "$cand" ] && [ -x "$cand" ] || continue
    prefix=$(mktemp -d /tmp/orvane-wine32.XXXXXX)
    out="$dir/$(basename "$cand").out"
    WINEPREFIX=$prefix WINEDEBUG=-all WINEDLLOVERRIDES="mscoree,mshtml=;winemenubuilder.exe=d" DISPLAY= \
      timeout 20 "$cand" "$dir/probe.exe" </dev/null >"$out" 2>&1
    WINEPREFIX=$prefix /usr/lib/wine/wineserver -k 2>/dev/null
    rm -rf "$prefix"
    if grep -q "$token" "$out"; then
      echo "$cand"
      return 0
    fi
    echo "$cand ran the 32-bit probe without printing its token" >&2
  done
  echo "no 32-bit Wine here" >&2
  return 1
}

# The Win32 main window's start-up and Apply on 2,000 users x 300 conduits under Wine, against
# the same library calls in a plain loop (output to a file: a pipe would wait for the Wine
# services). Sets bench_note to the Apply and plain-loop figures, for the summary.
run_win32_bench() {  # build dir, runner
  local exe=$1/bench/bin/bench_win32_mainwindow.exe log status
  bench_note=
  [ -f "$exe" ] || { echo "test.sh: $exe was not built" >&2; return 1; }
  log=$(mktemp)
  "$2" "$exe" 2000 300 1 </dev/null >"$log" 2>&1
  status=$?
  cat "$log"
  bench_note=$(sed -nE 's/^  (Apply to every user|plain loop of the same reads and writes|plain loop of the one-time reads after) +([0-9.]+ ms) best.*/\1 \2/p' "$log" |
               sed -E 's/^Apply to every user/Apply/; s/^plain loop of the same reads and writes/plain loop/; s/^plain loop of the one-time reads after/plain one-time reads/' |
               paste -sd ',' | sed 's/,/, /g')
  rm -f "$log"
  return $status
}

# Tells a Windows test that Wine failed to start from one that ran: Wine's failure prints nothing
# at all and ends within a few hundredths of a second; a GoogleTest program prints its filter
# line before its first test. Only those are run again, once, and named; a test that ran and
# failed is never repeated.
wine_nostart_secs=0.05

# Prints the names of the failed tests in a CTest JUnit file that printed nothing and ended
# within wine_nostart_secs.
wine_not_started() {  # junit file
  awk -v limit="$wine_nostart_secs" '
    BEGIN { RS = "</testcase>" }
    /<testcase / && /status="fail"/ {
      name = $0; sub(/.*<testcase name="/, "", name); sub(/".*/, "", name)
      t = $0; sub(/.*<testcase [^>]* time="/, "", t); sub(/".*/, "", t)
      out = ""
      if (match($0, /<system-out>.*<\/system-out>/)) out = substr($0, RSTART + 12, RLENGTH - 25)
      gsub(/[ \t\r\n]/, "", out)
      if (out == "" && t + 0 < limit + 0) print name
    }' "$1"
}

# True when CTest found no tests because a test program, run to list its tests, failed without
# printing anything (GoogleTest's listing in CTest's log: Output: followed by blank lines only).
wine_listing_not_started() {  # ctest log
  grep -q 'Error running test executable' "$1" || return 1
  awk '
    /Error running test executable/ { n++; inout = 0; next }
    /Output:/ && n { inout = 1; next }
    inout && /^(CMake Error|Call Stack|Errors while running|No tests were found|Test project|Unable to find)/ { inout = 0; next }
    inout && /[^ \t\r]/ { printed = 1 }
    END { exit !(n > 0 && !printed) }' "$1"
}

# CTest for a Windows build under Wine (the Wine session is running). Sets wine_note to what was
# run again, for the stage's summary line.
wine_ctest() {  # ctest arguments
  local junit rc names regex n
  wine_note=
  junit=$(mktemp /tmp/orvane-junit.XXXXXX)
  run_ctest "$@" --output-on-failure --output-junit "$junit"
  rc=$?
  if [ $rc -ne 0 ] && ! grep -q '<testcase ' "$junit" 2>/dev/null && wine_listing_not_started "$ctest_log"; then
    # Listing a program's tests is a Wine start too; nothing ran, so the whole run is repeated.
    names=$(sed -nE "s/^ *Path: '(.*)'/\\1/p" "$ctest_log" | awk '{ n = split($NF, p, "/"); print p[n] }' | paste -sd ' ')
    echo "test.sh: Wine did not start ${names:-a test program} to list its tests; running the tests once more" >&2
    wine_note="run again once: listing the tests of ${names:-a test program} (Wine did not start it)"
    run_ctest "$@" --output-on-failure --output-junit "$junit"
    rc=$?
  fi
  if [ $rc -ne 0 ] && [ -s "$junit" ]; then
    names=$(wine_not_started "$junit")
    if [ -n "$names" ]; then
      n=$(wc -l <<<"$names")
      echo "test.sh: Wine did not start these tests (no output, under ${wine_nostart_secs} s); running them once more:" >&2
      sed 's/^/  /' <<<"$names" >&2
      # The failures counted a moment ago are counted again from the second run.
      tests_failed=$((tests_failed - n))
      regex=$(sed -e 's/[][\\.^$*+?(){}|]/\\&/g' <<<"$names" | paste -sd '|')
      local failed_before
      failed_before=$(grep -c 'status="fail"' "$junit")
      run_ctest "$@" --output-on-failure -R "^($regex)\$"
      local rc2=$?
      wine_note+="${wine_note:+; }run again once, Wine not started: $(paste -sd ' ' <<<"$names")"
      # Passing again settles the run only when they were its only failures.
      if [ $rc2 -eq 0 ] && [ "$failed_before" -eq "$n" ]; then rc=0; fi
    fi
  fi
  rm -f "$junit"
  return $rc
}

stage_mingw32() {
  # Palm's libraries are 32-bit __stdcall DLLs: this is the build users run. It is proven from
  # its own artifacts: building it checks at compile time every prototype's argument bytes and
  # calling convention, every stand-in export against the binding's pointer type, and the
  # offsets of the install block and the cache record (src/core/palm/PalmAbi.cpp, palmdesk/*.cpp);
  # the linked stand-in DLLs are then checked for plain export names and the argument bytes of
  # each __stdcall export (scripts/check-i686-abi.sh). Its tests run only under a 32-bit Wine
  # that a probe has seen run a 32-bit program.
  configure_and_build mingw32 || return 1
  scripts/check-i686-abi.sh build/mingw32 || return 1
  # Windows XP SP3 loads every i686 program: nothing imported that XP lacks.
  scripts/check-xp-imports.sh build/mingw32 || return 1
  # Both programs run as invoker (no UAC file virtualization), read from the built files.
  scripts/check-manifests.sh build/mingw32 i686-w64-mingw32-windres || return 1
  # The setup program orvane-<version>-setup.exe (NSIS, built with the preset): its contents.
  local installer_note="no setup program (makensis missing)"
  if command -v makensis >/dev/null; then
    scripts/check-installer.sh build/mingw32 || return 1
  fi
  local wine32= reason rc=0 checked="compile-time prototypes and offsets, 131 exports undecorated with Palm's argument bytes, imports all from Windows XP or older"
  mkdir -p build/mingw32/wine32-probe
  if wine32=$(probe_wine32 build/mingw32 2>build/mingw32/wine32-probe/reason); then
    # The 32-bit Wine's own server (wineserver32 beside it); /usr/lib/wine/wineserver would
    # choose the 64-bit one.
    local server32
    server32=$(dirname "$wine32")/wineserver32
    [ -x "$server32" ] || server32=$(dirname "$wine32")/wineserver
    wine_session_start "$wine32" "$server32" win32 || return 1
    export ORVANE_WINE32=$wine32
    wine_ctest --preset mingw32 -j "$jobs" || rc=1
    stage_note="i686 checked: $checked; tests run under $wine32 (win32 prefix, $(basename "$server32"))${wine_note:+; $wine_note}"
    if [ $rc -eq 0 ]; then
      run_win32_bench build/mingw32 cmake/wine32-run.sh || rc=1
      stage_note+="; Win32 benchmark (i686): $bench_note"
    fi
    wine_session_end
    unset ORVANE_WINE32
  else
    wine32=
    reason=$(paste -sd '|' build/mingw32/wine32-probe/reason | sed 's/|/; /g')
    echo "i686: tests NOT run: no 32-bit Windows program runs here (${reason})"
    stage_note="i686 checked: $checked; tests NOT run (no 32-bit Wine: ${reason})"
  fi
  if command -v makensis >/dev/null; then
    # Installed and uninstalled silently: the real setup program under the 32-bit Wine the probe
    # found, else its script built with NSIS's x86_64 stub under 64-bit Wine.
    local how
    how=$(ORVANE_INSTALLER_WINE32=$wine32 scripts/check-installer-wine.sh build/mingw32) || { echo "$how"; return 1; }
    echo "$how"
    installer_note="setup program checked ($(stat -c %s build/mingw32/orvane-*-setup.exe | head -n 1) bytes: exactly orvane.exe, orvanectl.exe, the help pages, uninstall.exe); ${how%%:*}: silent install and uninstall keep the data files, refused while Orvane runs, upgrade keeps the data files"
  fi
  stage_note+="; $installer_note"
  echo "$stage_note"
  return $rc
}

stage_fuzz() {
  # Every reader of outside data under libFuzzer with both sanitizers: its regression inputs
  # (fuzz/corpus, fuzz/regressions) once, then 20 s of fuzzing; any finding fails the stage.
  scripts/fuzz.sh 20
}

for s in "${stages[@]}"; do
  note "$s"
  start=$(date +%s)
  stage_note=
  if "stage_$s"; then r=passed; else r=FAILED; failed=1; fi
  results+=("$s: $r ($(( $(date +%s) - start )) s)${stage_note:+; $stage_note}")
done

note summary
printf '%s\n' "${results[@]}"
echo "tests: $tests_passed passed, $tests_failed failed"
exit $failed
