#!/usr/bin/env bash
# Formatting and static analysis of the project's own sources; any finding fails.
# Needs the compile database of the linux-debug build (scripts/test.sh makes it).
set -euo pipefail
cd "$(dirname "${BASH_SOURCE[0]}")/.."

mapfile -t sources < <(git ls-files --cached --others --exclude-standard -- \
  'src/*.cpp' 'src/*.h' 'tools/*.cpp' 'tools/*.h' 'tests/*.cpp' 'tests/*.h' \
  'bench/*.cpp' 'fuzz/*.cpp' 'support/*.cpp' 'support/*.h' | while read -r f; do [ -f "$f" ] && echo "$f"; done)

# Layers: the core and the ports include ports, never the adapters under
# src/platform/.
core_dirs=(src/recognition src/capture src/registry src/hook src/app src/controller
  src/overlay src/tasks src/ports src/text)
if up=$(grep -rn -E '#include "platform/' "${core_dirs[@]}"); then
  echo "$up"
  echo "lint: the core includes an adapter header" >&2
  exit 1
fi

# One style for constants: lower camel case like every other name. clang-tidy
# takes "kName" for lower camel case, so the "k" prefix is refused here; names
# of other libraries (benchmark::Counter::kIsRate) are always qualified.
if kNames=$(printf '%s\n' "${sources[@]}" | xargs grep -n -P '(?<![\w:])k[A-Z][A-Za-z0-9_]*\b'); then
  echo "$kNames"
  echo "lint: constants are named in lower camel case, without a k prefix" >&2
  exit 1
fi

echo "lint: clang-format on ${#sources[@]} files"
clang-format --dry-run --Werror "${sources[@]}"

db=build/linux-debug
if [ ! -f "$db/compile_commands.json" ]; then
  cmake --preset linux-debug >/dev/null
fi
# Every translation unit of the sources above that the Linux build compiles:
# the core, the tools, the Linux-side adapters, the tests (under the relaxed
# tests/.clang-tidy) and the fuzz targets' replays. Windows-only code is not in
# the Linux compile database; the cross build's warnings check it.
mapfile -t compiled < <(sed -n 's/^ *"file": "\(.*\)",\{0,1\}$/\1/p' "$db/compile_commands.json" | sort -u)
mapfile -t units < <(printf '%s\n' "${sources[@]}" | grep -E '\.cpp$' | while read -r f; do
  if printf '%s\n' "${compiled[@]}" | grep -qxF "$PWD/$f"; then echo "$f"; fi
done)
echo "lint: clang-tidy on ${#units[@]} translation units"
log=$(mktemp)
trap 'rm -f "$log"' EXIT
if ! printf '%s\n' "${units[@]}" | xargs -P 2 -n 4 clang-tidy -p "$db" --quiet >"$log" 2>&1; then
  grep -v -E '^[0-9]+ warnings? generated\.$|^Suppressed [0-9]+ warnings|^Use -header-filter' "$log"
  echo "lint: clang-tidy found problems" >&2
  exit 1
fi
echo "lint: clean"
