#!/usr/bin/env bash
# Builds the fuzz targets (linux-fuzz preset: clang, libFuzzer) and runs each
# for a fixed time on a copy of its seeds: fuzz/corpus/<target>/ and the
# files fuzz/seeds.txt names for it (the repository is never written). At most
# $ZEM_JOBS targets run at a time; prints the executions of each. A target
# that finds a crash fails the run; its input is kept in
# build/linux-fuzz/artifacts/.
#
#   scripts/fuzz.sh                      every target, 15 s each
#   scripts/fuzz.sh hook scenario        only those targets
#   ZEM_FUZZ_SECONDS=60 scripts/fuzz.sh  longer runs
set -euo pipefail
cd "$(dirname "${BASH_SOURCE[0]}")/.."

seconds="${ZEM_FUZZ_SECONDS:-15}"
jobs="${ZEM_JOBS:-$(nproc)}"
artifacts=build/linux-fuzz/artifacts

cmake --preset linux-fuzz >/dev/null
cmake --build --preset linux-fuzz -j "$jobs"

targets=("$@")
if [ "${#targets[@]}" -eq 0 ]; then
  for fuzzer in build/linux-fuzz/fuzz/*_fuzzer; do targets+=("$(basename "$fuzzer" _fuzzer)"); done
fi

# The extra seeds of a target, as file patterns from fuzz/seeds.txt.
extra_seeds() {
  local name=$1 target patterns
  while read -r target patterns; do
    if [ "$target" = "$name" ]; then
      # shellcheck disable=SC2086  # the patterns are globs
      ls -1 $patterns 2>/dev/null || true
    fi
  done < <(grep -v '^#' fuzz/seeds.txt)
}

work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT
mkdir -p "$artifacts"
for name in "${targets[@]}"; do
  fuzzer=build/linux-fuzz/fuzz/${name}_fuzzer
  if [ ! -x "$fuzzer" ]; then
    echo "fuzz: no target $name" >&2
    exit 2
  fi
  mkdir -p "$work/$name"
  cp fuzz/corpus/"$name"/* "$work/$name/"
  while read -r seed; do
    [ -n "$seed" ] && cp "$seed" "$work/$name/$(echo "$seed" | tr '/' '_')"
  done < <(extra_seeds "$name")
  dict=()
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

failed=0
for name in "${targets[@]}"; do
  rc=$(cat "$work/$name.rc")
  executions=$(sed -n 's/^stat::number_of_executed_units: *//p' "$work/$name.log")
  seeds=$(( $(find fuzz/corpus/"$name" -type f | wc -l) + $(extra_seeds "$name" | wc -l) ))
  printf '%-16s %10s executions in %ss, seeds %s -> %s inputs\n' "$name" "${executions:-?}" \
    "$seconds" "$seeds" "$(find "$work/$name" -type f | wc -l)"
  if [ "$rc" -ne 0 ]; then
    failed=1
    echo "fuzz: $name failed (exit $rc):" >&2
    tail -n 40 "$work/$name.log" >&2
  fi
done
if [ "$failed" -ne 0 ] || [ "${#targets[@]}" -eq 0 ]; then
  echo "fuzz: failed (crash inputs in $artifacts/)" >&2
  exit 1
fi
