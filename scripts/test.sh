#!/usr/bin/env bash
# Builds and runs every test suite: static checks, Linux (debug), Linux under
# AddressSanitizer and UndefinedBehaviorSanitizer, short runs of the fuzz
# targets (clang, libFuzzer), the Windows build under Wine, and a short run of
# every benchmark program (release).
#
#   scripts/test.sh            everything
#   scripts/test.sh linux-debug windows   only the named stages
#                              (lint linux-debug linux-asan fuzz windows bench vm x11)
#   ZEM_FUZZ_SECONDS=60 scripts/test.sh fuzz   longer fuzz runs (default 15 s each;
#                              scripts/fuzz.sh runs the targets)
set -euo pipefail
cd "$(dirname "${BASH_SOURCE[0]}")/.."

scripts/bootstrap.sh

stages=("$@")
if [ "${#stages[@]}" -eq 0 ]; then
  stages=(linux-debug lint linux-asan fuzz windows bench vm x11)
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
    x11)
      # The X11 desktop and zem on X: every test starts its own Xvfb (and
      # matchbox-window-manager), so they run side by side and need no $DISPLAY.
      step "configure and build: linux-debug (X11)"
      cmake --preset linux-debug >/dev/null
      cmake --build --preset linux-debug -j "$jobs"
      step "test: X11 desktop under Xvfb"
      ctest --preset linux-debug -j "$jobs" -R 'X11|x11'
      ;;
    fuzz)
      step "fuzz targets (linux-fuzz, short runs)"
      ZEM_JOBS="$jobs" scripts/fuzz.sh
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
      step "figures: recognition per real stroke, Quillon.dll and ZEM.exe"
      # Every recorded stroke once per iteration, ZEM's recogniser beside a
      # published peer (Protractor, 16 points), CPU time; the target is a
      # ratio of at most 0.60. Seven runs of each, interleaved in random
      # order so that a busy moment of the machine falls on both, and their
      # medians.
      build/linux-release/bench/recognize_bench --benchmark_filter=AllRealStrokes \
        --benchmark_min_time=0.2 --benchmark_repetitions=7 \
        --benchmark_enable_random_interleaving=true --benchmark_report_aggregates_only=true \
        --benchmark_format=csv 2>/dev/null |
        awk -F, '/^"BM_RecognizeAllRealStrokes_median"/ { zem = $11 }
                 /^"BM_ProtractorPeerAllRealStrokes_median"/ { peer = $11 }
                 END { printf "recognition: %.0f ns per real stroke, peer %.0f ns, ratio %.2f (medians of 7)\n",
                              zem, peer, (peer > 0 ? zem / peer : 0) }'
      # The Windows deliverables, built by the windows preset when missing.
      dll=build/windows/src/platform/win32/Quillon.dll
      exe=build/windows/src/platform/win32/ZEM.exe
      if [ ! -f "$dll" ] || [ ! -f "$exe" ]; then
        cmake --preset windows >/dev/null
        cmake --build --preset windows -j "$jobs" --target Quillon ZEM
      fi
      dll_size=$(stat -c %s "$dll")
      exe_size=$(stat -c %s "$exe")
      printf 'Quillon.dll: %s bytes (limit 32768)\nZEM.exe: %s bytes\n' "$dll_size" "$exe_size"
      # Where ZEM.exe's bytes are: its sections (.rsrc holds the pictures).
      x86_64-w64-mingw32-objdump -h "$exe" |
        awk '/^ +[0-9]+ \./ { print $2, $3 }' |
        while read -r name hex; do printf '  %-8s %8d bytes\n' "$name" "$((16#$hex))"; done
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
