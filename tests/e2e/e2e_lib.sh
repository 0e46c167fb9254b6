# shellcheck shell=bash
# Shared steps of the end-to-end test groups (sourced, not run).
#
# Each group runs in a private copy of the prepared Wine prefix, with its own
# wine server, on the virtual display that its runner started (run_group.sh,
# which also ends the group at its time limit). Every wait polls for a
# condition with a time limit; a failure names the step and shows what was
# seen. The wine server is ended on every way out.
#
# The runner sets: E2E_WORK (a fresh directory), E2E_BASE_PREFIX, E2E_LIMIT
# (seconds), E2E_QUILLON, E2E_TOUCHHOST, E2E_TESTAPP, E2E_PROBE, E2E_TRACES and,
# for the groups that need it, E2E_ZEM.
set -euo pipefail

current_step="set-up"

step() {
  current_step="$*"
  printf '[%5ss] %s\n' "$SECONDS" "$*"
}

fail() {
  printf 'FAIL in step "%s": %s\n' "$current_step" "$*" >&2
  exit 1
}

show_file() {  # show_file FILE: its last lines, for a failure message
  printf -- '--- %s (last 25 lines)\n' "$1" >&2
  tail -n 25 "$1" >&2 2>/dev/null || true
}

cleanup() {
  local status=$?
  trap - EXIT TERM
  if [ -n "${host_input_fd:-}" ]; then eval "exec ${host_input_fd}>&-" 2>/dev/null || true; fi
  # The programs end with the server; their ends are not news.
  disown -a 2>/dev/null || true
  wineserver -k 2>/dev/null || true
  exit "$status"
}

# --- prefix, programs, registry -------------------------------------------

start_group() {
  export WINEPREFIX="$E2E_WORK/prefix" WINEDEBUG=-all WINEDLLOVERRIDES="mscoree,mshtml="
  export WINEARCH=win64
  trap cleanup EXIT
  trap 'fail "the group ran out of its $E2E_LIMIT s"' TERM
  step "copy the prepared prefix"
  [ -f "$E2E_BASE_PREFIX/.zem-e2e-ready" ] || fail "no prepared prefix at $E2E_BASE_PREFIX"
  # Hard links keep the copy fast; the registry files, the only ones Wine
  # writes, are real copies.
  cp -al "$E2E_BASE_PREFIX" "$WINEPREFIX"
  for f in system.reg user.reg userdef.reg; do
    rm -f "$WINEPREFIX/$f"
    cp "$E2E_BASE_PREFIX/$f" "$WINEPREFIX/$f"
  done
  # The server outlives gaps between programs (the touch key is volatile: it
  # lives as long as the server); it must not hold the group's output open.
  wineserver -p30 >/dev/null 2>&1 </dev/null
  probe window none none gone >"$E2E_WORK/wine-start.out" 2>&1 </dev/null ||
    fail "Wine does not start: $(cat "$E2E_WORK/wine-start.out")"
}

winpath() {  # the Windows path of a host path (Wine's drive Z: is the root)
  local path="$1"
  printf 'Z:%s' "${path//\//\\}"
}

# start_program NAME EXE ARGS...: runs it in the background, output in
# $E2E_WORK/NAME.out; its process id is then in last_pid.
start_program() {
  local name="$1"
  shift
  wine "$@" >"$E2E_WORK/$name.out" 2>&1 &
  last_pid=$!
}

# reg_import LINES...: writes the lines (after the header) as a .reg file and imports it.
reg_import() {
  local file="$E2E_WORK/settings-$RANDOM.reg"
  { printf 'Windows Registry Editor Version 5.00\r\n\r\n'; printf '%s\r\n' "$@"; } >"$file"
  wine reg import "$(winpath "$file")" >/dev/null 2>&1 || fail "reg import of $(cat "$file")"
}

reg_value() {  # reg_value KEY NAME: the value's data as `reg query` prints it, or nothing
  wine reg query "$1" /v "$2" 2>/dev/null | tr -d '\r' |
    awk -v name="$2" '$1 == name { $1 = ""; $2 = ""; sub(/^ +/, ""); print }'
}

expect_value() {  # expect_value KEY NAME DATA
  local seen
  seen=$(reg_value "$1" "$2")
  [ "$seen" = "$3" ] || fail "$1\\$2 is \"$seen\", expected \"$3\""
}

probe() { wine "$E2E_PROBE" "$@"; }

# --- logs -------------------------------------------------------------------

line_count() { if [ -f "$1" ]; then wc -l <"$1"; else echo 0; fi; }

# wait_for_line FILE PATTERN [SECONDS] [AFTER_LINE]: waits until a line after
# line AFTER_LINE (default 0) matches the extended regular expression.
wait_for_line() {
  local deadline=$((SECONDS + ${3:-10}))
  until tail -n "+$((${4:-0} + 1))" "$1" 2>/dev/null | grep -Eq -- "$2"; do
    [ "$SECONDS" -lt "$deadline" ] || { show_file "$1"; fail "no line matching /$2/ in $1"; }
    sleep 0.1
  done
}

# expect_no_line FILE PATTERN [AFTER_LINE]
expect_no_line() {
  if tail -n "+$((${3:-0} + 1))" "$1" 2>/dev/null | grep -Eq -- "$2"; then
    show_file "$1"
    fail "unexpected line matching /$2/ in $1"
  fi
}

# --- test programs and the touch driver -------------------------------------

# start_testapp NAME TITLE [EXE]: a zem-testapp (by default the built one)
# logging to $E2E_WORK/NAME.log
start_testapp() {
  start_program "$1" "${3:-$E2E_TESTAPP}" --title "$2" --log "$(winpath "$E2E_WORK/$1.log")"
  wait_for_line "$E2E_WORK/$1.log" '^ready$' 20
}

# start_touchhost [ARGS...]: zem-touchhost reading trace names from a pipe,
# logging to $E2E_WORK/host.log.
start_touchhost() {
  mkfifo "$E2E_WORK/host.in"
  # The pipe is opened inside the background command: opening it here would
  # wait for a writer.
  wine "$E2E_TOUCHHOST" --library "$(winpath "$E2E_QUILLON")" \
    --log "$(winpath "$E2E_WORK/host.log")" "$@" - <"$E2E_WORK/host.in" \
    >"$E2E_WORK/touchhost.out" 2>&1 &
  exec {host_input_fd}>"$E2E_WORK/host.in"
  wait_for_line "$E2E_WORK/host.log" '^ *[0-9]+ ms  switch ' 20
}

# play TRACE: plays tests/e2e/traces/TRACE.trace through the host and waits
# until it has been played.
play() {
  local from
  from=$(line_count "$E2E_WORK/host.log")
  printf '%s\n' "$(winpath "$E2E_TRACES/$1.trace")" >&"$host_input_fd"
  wait_for_line "$E2E_WORK/host.log" "  (played|bad trace|gave up waiting)" 30 "$from"
  expect_no_line "$E2E_WORK/host.log" "  (bad trace|gave up waiting)" "$from"
}

# start_zem: ZEM.exe, and waits until the host has attached the library while
# the main window exists.
start_zem() {
  local from
  from=$(line_count "$E2E_WORK/host.log")
  start_program zem "$E2E_ZEM"
  # shellcheck disable=SC2034  # read by the groups
  zem_pid=$last_pid
  wait_for_line "$E2E_WORK/host.log" '  loaded .*\(window "ZEM" present\)$' 20 "$from"
}

# wait_for_exit NAME PID SECONDS: waits until the program has ended with exit
# status 0.
wait_for_exit() {
  local deadline=$((SECONDS + $3)) status=0
  while kill -0 "$2" 2>/dev/null; do
    [ "$SECONDS" -lt "$deadline" ] || fail "$1 still runs after $3 s"
    sleep 0.1
  done
  wait "$2" || status=$?
  [ "$status" -eq 0 ] || { show_file "$E2E_WORK/$1.out"; fail "$1 exited with $status"; }
}
