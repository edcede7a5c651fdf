#!/usr/bin/env bash
# Builds the libFuzzer targets (CMake preset "fuzz", build/fuzz/) and runs every target, or the
# named ones, for the given number of seconds each (default 20). Fails on any finding: a crash,
# a sanitizer report, a leak, an input that runs longer than 5 s or needs more than 2 GiB (or one
# allocation of more than 512 MiB), or a broken check of a target.
#   scripts/fuzz.sh                    every target, 20 s each
#   scripts/fuzz.sh 600 condcache      one target for 10 minutes
# Targets: condcache profile profcat profiletext ini reg description (see fuzz/README.md).
#
# Each target first runs every regression input once (fuzz/corpus/<target>/ and
# fuzz/regressions/<target>/, whole), then fuzzes from them. What the fuzzer learns goes to
# build/fuzz/work/<target>/, never into the repository; a finding is written to
# build/fuzz/findings/<target>/ and its log to build/fuzz/logs/<target>.log.
set -uo pipefail
cd "$(dirname "$0")/.."

all_targets=(condcache profile profcat profiletext ini reg description)
seconds=20
if [ $# -gt 0 ] && [[ $1 =~ ^[0-9]+$ ]]; then
  seconds=$1
  shift
fi
targets=("$@")
[ ${#targets[@]} -gt 0 ] || targets=("${all_targets[@]}")
for t in "${targets[@]}"; do
  if [[ ! " ${all_targets[*]} " =~ " $t " ]]; then
    echo "fuzz.sh: unknown target '$t' (targets: ${all_targets[*]})" >&2
    exit 2
  fi
done

jobs=$(nproc 2>/dev/null || echo 2)
cmake --preset fuzz >/dev/null && cmake --build --preset fuzz -j "$jobs" >/dev/null || {
  echo "fuzz.sh: building the fuzz targets failed" >&2
  cmake --build --preset fuzz -j 1 2>&1 | tail -n 40 >&2
  exit 1
}

out=build/fuzz
mkdir -p "$out/work" "$out/findings" "$out/logs"
# The targets' scratch files go to a directory of this run, removed at the end; in memory where
# the system offers it (every input is written out once or twice, and a disk with online discard
# makes each rewrite cost milliseconds).
scratch_base=${TMPDIR:-/tmp}
[ -d /dev/shm ] && [ -w /dev/shm ] && scratch_base=/dev/shm
scratch=$(mktemp -d "$scratch_base/orvane-fuzz.XXXXXX")
trap 'rm -rf "$scratch"' EXIT
export TMPDIR=$scratch
export ASAN_OPTIONS=detect_leaks=1:halt_on_error=1:abort_on_error=1:allocator_may_return_null=0
export UBSAN_OPTIONS=print_stacktrace=1:halt_on_error=1

failed=0
summary=()
for t in "${targets[@]}"; do
  bin=$out/bin/fuzz_$t
  log=$out/logs/$t.log
  dirs=("fuzz/corpus/$t")
  [ -d "fuzz/regressions/$t" ] && dirs+=("fuzz/regressions/$t")
  mkdir -p "$out/work/$t" "$out/findings/$t"

  # The regression inputs, each run once and whole.
  mapfile -t files < <(find "${dirs[@]}" -type f | sort)
  if [ ${#files[@]} -gt 0 ] && ! "$bin" -timeout=5 -rss_limit_mb=2048 -malloc_limit_mb=512 "${files[@]}" >"$log" 2>&1; then
    echo "fuzz.sh: $t: a regression input fails; see $log" >&2
    tail -n 30 "$log" >&2
    summary+=("$t: FAILED on a regression input")
    failed=1
    continue
  fi

  # Fuzzing from the regression inputs, with the format's tokens where a dictionary lists them;
  # a hang of libFuzzer itself is stopped from outside.
  dict=()
  [ -f "fuzz/dict/$t.dict" ] && dict=(-dict="fuzz/dict/$t.dict")
  timeout --kill-after=30 $((seconds + 120)) "$bin" \
    -max_total_time="$seconds" -timeout=5 -rss_limit_mb=2048 -malloc_limit_mb=512 -detect_leaks=1 \
    -max_len=8192 -print_final_stats=1 -artifact_prefix="$out/findings/$t/" "${dict[@]}" \
    "$out/work/$t" "${dirs[@]}" >>"$log" 2>&1
  rc=$?
  done_line=$(grep -E '^#[0-9]+[[:space:]]+DONE' "$log" | tail -n 1)
  if [ $rc -ne 0 ] || [ -z "$done_line" ]; then
    echo "fuzz.sh: $t: finding (exit status $rc); see $log and $out/findings/$t/" >&2
    grep -E 'ERROR|SUMMARY|check failed|Test unit written' "$log" | head -n 20 >&2
    summary+=("$t: FAILED (exit status $rc)")
    failed=1
  else
    runs=$(sed -E 's/^#([0-9]+).*/\1/' <<<"$done_line")
    rate=$(sed -nE 's/.*exec\/s: ([0-9]+).*/\1/p' <<<"$done_line")
    cov=$(sed -nE 's/.*cov: ([0-9]+).*/\1/p' <<<"$done_line")
    summary+=("$t: ${#files[@]} regression inputs passed; ${runs} runs in ${seconds} s, ${rate} exec/s, coverage ${cov}, no findings")
  fi
done

printf '%s\n' "${summary[@]}"
exit $failed
