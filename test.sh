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
# Runs ctest with the given arguments and adds its counts to the totals.
run_ctest() {
  local log rc line total bad
  log=$(mktemp)
  ctest "$@" 2>&1 | tee "$log"
  rc=${PIPESTATUS[0]}
  line=$(grep -E 'tests passed, [0-9]+ tests? failed out of [0-9]+' "$log" | tail -n 1)
  if [ -n "$line" ]; then
    total=$(sed -E 's/.*out of ([0-9]+).*/\1/' <<<"$line")
    bad=$(sed -E 's/.*passed, ([0-9]+) tests? failed.*/\1/' <<<"$line")
    tests_passed=$((tests_passed + total - bad))
    tests_failed=$((tests_failed + bad))
  fi
  rm -f "$log"
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

stage_mingw64() {
  configure_and_build mingw64 || return 1
  check_system_imports x86_64-w64-mingw32-objdump build/mingw64/bin/orvane.exe || return 1
  # A fresh prefix for every run, and one persistent wineserver for it: without the server
  # every test process costs seconds. The server comes first and the prefix is made with its
  # output discarded: the Wine services that the first Wine program starts live as long as the
  # server and keep that program's output open, which would stall CTest on the first test.
  # The window tests need an X display: a private Xvfb, whatever display the caller has
  # (cmake/wine-run.sh passes ORVANE_WINE_DISPLAY on as DISPLAY and nothing else).
  local prefix rc display=${DISPLAY-}
  start_xvfb || { echo "test.sh: Xvfb could not be started" >&2; return 1; }
  prefix=$(mktemp -d /tmp/orvane-wine.XXXXXX)
  export WINEPREFIX=$prefix WINEDEBUG=-all WINEDLLOVERRIDES="mscoree,mshtml=;winemenubuilder.exe=d"
  export ORVANE_WINE_DISPLAY=$xvfb_display DISPLAY=$xvfb_display
  /usr/lib/wine/wineserver -p
  /usr/lib/wine/wine64 wineboot --init </dev/null >/dev/null 2>&1
  # Windows unmanaged by a window manager: Xvfb has none, and Wine would wait for one
  # (about 2 s for every window shown).
  /usr/lib/wine/wine64 reg add 'HKCU\Software\Wine\X11 Driver' /v Managed /d N /f </dev/null >/dev/null 2>&1
  unset DISPLAY
  local counted=$((tests_passed + tests_failed))
  run_ctest --preset mingw64 -j "$jobs"
  rc=$?
  # Seen once: Wine failed to start the first program of a fresh prefix (test discovery, exit 1,
  # no output), so CTest ran nothing. One more try then; a run that ran tests is never repeated.
  if [ $rc -ne 0 ] && [ $((tests_passed + tests_failed)) -eq "$counted" ]; then
    echo "test.sh: no Windows test ran; trying once more" >&2
    run_ctest --preset mingw64 -j "$jobs"
    rc=$?
  fi
  [ $rc -eq 0 ] && { run_win32_bench || rc=1; }
  /usr/lib/wine/wineserver -k 2>/dev/null
  /usr/lib/wine/wineserver -w 2>/dev/null
  kill "$xvfb_pid" 2>/dev/null; wait "$xvfb_pid" 2>/dev/null
  rm -rf "$prefix"
  unset WINEPREFIX WINEDEBUG WINEDLLOVERRIDES ORVANE_WINE_DISPLAY
  [ -n "$display" ] && export DISPLAY=$display
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
# services).
run_win32_bench() {
  local exe=build/mingw64/bench/bin/bench_win32_mainwindow.exe log
  [ -f "$exe" ] || { echo "test.sh: $exe was not built" >&2; return 1; }
  log=$(mktemp)
  cmake/wine-run.sh "$exe" 2000 300 1 </dev/null >"$log" 2>&1
  local status=$?
  cat "$log"
  rm -f "$log"
  return $status
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
  # The setup program orvane-<version>-setup.exe (NSIS, built with the preset): its contents.
  local installer_note="no setup program (makensis missing)"
  if command -v makensis >/dev/null; then
    scripts/check-installer.sh build/mingw32 || return 1
    # Its script, built with NSIS's x86_64 stub, installed and uninstalled silently under Wine.
    scripts/check-installer-wine.sh build/mingw32 || return 1
    installer_note="setup program checked ($(stat -c %s build/mingw32/orvane-*-setup.exe | head -n 1) bytes: exactly orvane.exe, orvanectl.exe, the help pages, uninstall.exe; silent install and uninstall under Wine keep the data files)"
  fi
  local wine32 reason rc=0 prefix
  mkdir -p build/mingw32/wine32-probe
  if wine32=$(probe_wine32 build/mingw32 2>build/mingw32/wine32-probe/reason); then
    prefix=$(mktemp -d /tmp/orvane-wine32.XXXXXX)
    export WINEPREFIX=$prefix ORVANE_WINE32=$wine32
    run_ctest --test-dir build/mingw32 -j "$jobs" --output-on-failure || rc=1
    /usr/lib/wine/wineserver -k 2>/dev/null
    rm -rf "$prefix"
    unset WINEPREFIX ORVANE_WINE32
    stage_note="i686 checked: compile-time prototypes and offsets, 131 exports undecorated with Palm's argument bytes; tests run under $wine32; $installer_note"
  else
    reason=$(paste -sd '|' build/mingw32/wine32-probe/reason | sed 's/|/; /g')
    echo "i686: tests NOT run: no 32-bit Windows program runs here (${reason})"
    stage_note="i686 checked: compile-time prototypes and offsets, 131 exports undecorated with Palm's argument bytes; tests NOT run (no 32-bit Wine); $installer_note"
  fi
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
