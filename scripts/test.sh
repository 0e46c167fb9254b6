#!/usr/bin/env bash
# Builds and runs every test suite: static checks, Linux (debug), Linux under
# AddressSanitizer and UndefinedBehaviorSanitizer, short runs of the fuzz
# targets (clang, libFuzzer), the Windows build under Wine, and a short run of
# every benchmark program (release).
#
#   scripts/test.sh            everything
#   scripts/test.sh linux-debug windows   only the named stages
#                              (lint linux-debug linux-asan fuzz windows bench vm)
#   ZEM_FUZZ_SECONDS=60 scripts/test.sh fuzz   longer fuzz runs (default 15 s each)
set -euo pipefail
cd "$(dirname "${BASH_SOURCE[0]}")/.."

scripts/bootstrap.sh

stages=("$@")
if [ "${#stages[@]}" -eq 0 ]; then
  stages=(linux-debug lint linux-asan fuzz windows bench vm)
fi
jobs="${ZEM_JOBS:-$(nproc)}"

step() { printf '\n==== %s\n' "$*"; }

build_and_test() {
  local preset=$1
  step "configure and build: $preset"
  cmake --preset "$preset" >/dev/null
  cmake --build --preset "$preset" -j "$jobs"
  step "test: $preset"
  ctest --preset "$preset" -j "$jobs"
}

# Every fuzz target for a fixed time on a copy of its seed corpus (the
# repository is never written), at most $jobs at a time; prints the executions
# of each. A target that finds a crash fails the stage; its input is kept in
# build/linux-fuzz/artifacts/.
run_fuzzers() {
  local seconds="${ZEM_FUZZ_SECONDS:-15}"
  local work artifacts=build/linux-fuzz/artifacts
  work=$(mktemp -d)
  mkdir -p "$artifacts"
  local targets=() fuzzer name
  for fuzzer in build/linux-fuzz/fuzz/*_fuzzer; do
    name=$(basename "$fuzzer" _fuzzer)
    targets+=("$name")
    mkdir -p "$work/$name"
    cp fuzz/corpus/"$name"/* "$work/$name/"
    local dict=()
    if [ -f "fuzz/$name.dict" ]; then dict=("-dict=fuzz/$name.dict"); fi
    while [ "$(jobs -rp | wc -l)" -ge "$jobs" ]; do wait -n || true; done
    (
      rc=0
      "$fuzzer" "$work/$name" "${dict[@]}" -max_total_time="$seconds" -timeout=25 \
        -print_final_stats=1 -artifact_prefix="$artifacts/$name-" >"$work/$name.log" 2>&1 || rc=$?
      echo "$rc" >"$work/$name.rc"
    ) &
  done
  wait
  local failed=0 rc executions
  for name in "${targets[@]}"; do
    rc=$(cat "$work/$name.rc")
    executions=$(sed -n 's/^stat::number_of_executed_units: *//p' "$work/$name.log")
    printf '%-16s %10s executions in %ss, corpus %s -> %s inputs\n' "$name" "${executions:-?}" \
      "$seconds" "$(find fuzz/corpus/"$name" -type f | wc -l)" "$(find "$work/$name" -type f | wc -l)"
    if [ "$rc" -ne 0 ]; then
      failed=1
      echo "fuzz: $name failed (exit $rc):" >&2
      tail -n 40 "$work/$name.log" >&2
    fi
  done
  rm -rf "$work"
  if [ "$failed" -ne 0 ] || [ "${#targets[@]}" -eq 0 ]; then
    echo "fuzz: failed (crash inputs in $artifacts/)" >&2
    return 1
  fi
}

for stage in "${stages[@]}"; do
  case "$stage" in
    linux-debug | linux-asan)
      build_and_test "$stage"
      ;;
    windows)
      step "configure and build: windows"
      cmake --preset windows >/dev/null
      cmake --build --preset windows -j "$jobs"
      step "test: windows (under Wine)"
      # A private Wine server for the run, and a virtual display for programs
      # that open windows.
      export ZEM_WINEPREFIX="$PWD/build/wineprefix"
      if [ -z "${DISPLAY:-}" ]; then
        xvfb-run -a -s '-screen 0 1024x768x24' ctest --preset windows -j 1
      else
        ctest --preset windows -j 1
      fi
      WINEPREFIX="$ZEM_WINEPREFIX" wineserver -k 2>/dev/null || true
      ;;
    fuzz)
      step "configure and build: linux-fuzz"
      cmake --preset linux-fuzz >/dev/null
      cmake --build --preset linux-fuzz -j "$jobs"
      step "fuzz targets (short runs)"
      run_fuzzers
      ;;
    lint)
      step "static checks"
      scripts/lint.sh
      ;;
    bench)
      step "configure and build: linux-release (benchmarks)"
      cmake --preset linux-release >/dev/null
      cmake --build --preset linux-release -j "$jobs"
      step "benchmarks (short runs)"
      shopt -s nullglob
      for b in build/linux-release/bench/*_bench; do
        "$b" --benchmark_min_time=0.01
      done
      # Touch samples and gestures flooding ZEM on the simulated phone, spread
      # out and in bursts (the full size: zem-load --full).
      step "load (quick size)"
      build/linux-release/tools/load/zem-load --quick
      build/linux-release/tools/load/zem-load --quick --burst 1000
      ;;
    vm)
      # The Linux program against a real kernel, in a VM (scripts/vm/run.sh).
      step "vm: uinput panels, grabs and keys on Debian's kernel under qemu"
      scripts/vm/run.sh
      ;;
    *)
      echo "test.sh: unknown stage '$stage'" >&2
      exit 2
      ;;
  esac
done

step "all test suites passed"
