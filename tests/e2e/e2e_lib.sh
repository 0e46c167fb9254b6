# shellcheck shell=bash
# Shared steps of the end-to-end test groups (sourced, not run).
#
# Each group runs in a private copy of the prepared Wine prefix, with its own
# wine server, on the virtual display that its runner started. Every wait
# polls for a condition with a time limit; a failure names the step and
# shows what was seen. The whole group has a hard time limit, and the wine
# server is ended on every way out.
#
# The runner sets: E2E_WORK (a fresh directory), E2E_BASE_PREFIX, E2E_LIMIT
# (seconds), E2E_QUILLON, E2E_TOUCHHOST, E2E_TESTAPP, E2E_PROBE, E2E_TRACES and,
# for the groups that need it, E2E_ZEM.
set -euo pipefail

current_step="set-up"
background_pids=()

step() {
  current_step="$*"
  printf '[%5ss] %s\n' "$SECONDS" "$*"
}

fail() {
  printf 'FAIL in step "%s": %s\n' "$current_step" "$*" >&2
  exit 1
}

show_file() {  # show_file FILE: its last lines, for a failure message
  if [ -f "$1" ]; then
    printf -- '--- %s (last 25 lines)\n' "$1" >&2
    tail -n 25 "$1" >&2
  else
    printf -- '--- %s does not exist\n' "$1" >&2
  fi
}

cleanup() {
  local status=$?
  trap - EXIT TERM INT
  if [ -n "${watchdog_pid:-}" ]; then kill "$watchdog_pid" 2>/dev/null || true; fi
  if [ -n "${host_input_fd:-}" ]; then eval "exec ${host_input_fd}>&-" 2>/dev/null || true; fi
  # The programs end with the server; their ends are not news.
  disown -a 2>/dev/null || true
  wineserver -k 2>/dev/null || true
  for pid in "${background_pids[@]}"; do kill "$pid" 2>/dev/null || true; done
  exit "$status"
}

on_time_limit() {
  printf 'FAIL in step "%s": the group ran out of its %s s\n' "$current_step" "$E2E_LIMIT" >&2
  exit 1
}

# --- prefix, programs, registry -------------------------------------------

start_group() {
  export WINEPREFIX="$E2E_WORK/prefix" WINEDEBUG=-all WINEDLLOVERRIDES="mscoree,mshtml="
  export WINEARCH=win64
  trap cleanup EXIT
  trap on_time_limit TERM INT
  # The watchdog holds none of the group's output open, so nothing waits for
  # it once the group has ended.
  (
    exec >/dev/null 2>&1 </dev/null
    sleep "$E2E_LIMIT" &
    sleeper=$!
    trap 'kill $sleeper; exit 0' TERM
    wait $sleeper && kill -TERM $$
  ) &
  watchdog_pid=$!
  step "copy the prepared prefix"
  [ -f "$E2E_BASE_PREFIX/.zem-e2e-ready" ] || fail "no prepared prefix at $E2E_BASE_PREFIX"
  rm -rf "$WINEPREFIX"
  # Hard links keep the copy fast; the registry files, the only ones Wine
  # writes, are real copies.
  cp -al "$E2E_BASE_PREFIX" "$WINEPREFIX"
  for f in system.reg user.reg userdef.reg; do
    rm -f "$WINEPREFIX/$f"
    cp "$E2E_BASE_PREFIX/$f" "$WINEPREFIX/$f"
  done
  # The server and the system processes that the first program starts stay
  # for the whole group: they must not hold the group's output open.
  # It outlives gaps between programs (the touch key is volatile: it lives as
  # long as the server), but not a group that was killed outright.
  wineserver -p30 >/dev/null 2>&1 </dev/null
  wine "$E2E_PROBE" window "no such window" --gone --timeout 0 >"$E2E_WORK/wine-start.out" 2>&1 \
    </dev/null || fail "Wine does not start: $(cat "$E2E_WORK/wine-start.out")"
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
  background_pids+=("$last_pid")
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

# --- logs -------------------------------------------------------------------

line_count() { if [ -f "$1" ]; then wc -l <"$1"; else echo 0; fi; }

# wait_for_line FILE PATTERN [SECONDS] [AFTER_LINE]: waits until a line after
# line AFTER_LINE (default 0) matches the extended regular expression.
wait_for_line() {
  local file="$1" pattern="$2" limit="${3:-10}" after="${4:-0}"
  local deadline=$((SECONDS + limit))
  while :; do
    if [ -f "$file" ] && tail -n "+$((after + 1))" "$file" | grep -Eq -- "$pattern"; then
      return 0
    fi
    if [ "$SECONDS" -ge "$deadline" ]; then
      show_file "$file"
      fail "no line matching /$pattern/ in $(basename "$file") after ${limit} s"
    fi
    sleep 0.1
  done
}

# expect_no_line FILE PATTERN [AFTER_LINE]
expect_no_line() {
  local file="$1" pattern="$2" after="${3:-0}"
  if [ -f "$file" ] && tail -n "+$((after + 1))" "$file" | grep -Eq -- "$pattern"; then
    show_file "$file"
    fail "unexpected line matching /$pattern/ in $(basename "$file")"
  fi
}

# --- test programs and the touch driver -------------------------------------

# start_testapp NAME TITLE [EXE [ARGS...]]: a zem-testapp (by default the built
# one) logging to $E2E_WORK/NAME.log
start_testapp() {
  local name="$1" title="$2" exe="${3:-$E2E_TESTAPP}"
  shift $(($# < 3 ? $# : 3))
  start_program "$name" "$exe" --title "$title" --log "$(winpath "$E2E_WORK/$name.log")" "$@"
  wait_for_line "$E2E_WORK/$name.log" '^ready$' 20
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
  background_pids+=($!)
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

probe() { wine "$E2E_PROBE" "$@"; }

# install_apps: the test program under two names in C:\apps (short paths: the
# main program reads module paths of at most 99 characters).
install_apps() {
  mkdir -p "$WINEPREFIX/drive_c/apps" "$WINEPREFIX/drive_c/logs"
  cp "$E2E_TESTAPP" "$WINEPREFIX/drive_c/apps/zem-testapp.exe"
  cp "$E2E_TESTAPP" "$WINEPREFIX/drive_c/apps/zem-otherapp.exe"
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
  local name="$1" pid="$2" limit="$3" status=0
  local deadline=$((SECONDS + limit))
  while kill -0 "$pid" 2>/dev/null; do
    [ "$SECONDS" -ge "$deadline" ] && fail "$name still runs after $limit s"
    sleep 0.1
  done
  wait "$pid" || status=$?
  [ "$status" -eq 0 ] || { show_file "$E2E_WORK/$name.out"; fail "$name exited with $status"; }
}
