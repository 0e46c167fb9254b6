#!/usr/bin/env bash
# ZEM's start and end as the touch driver sees them: a second instance exits
# 0 and changes nothing; Ctrl+Q (the accelerator's command) ends ZEM, which
# switches the driver off and then writes the whole-screen rectangle.
# shellcheck source-path=SCRIPTDIR source=e2e_lib.sh
source "$(dirname "${BASH_SOURCE[0]}")/e2e_lib.sh"
start_group
touch_key='HKEY_LOCAL_MACHINE\HARDWARE\DEVICEMAP\TOUCH'
host_log="$E2E_WORK/host.log"

step "ZEM starts with the driver switched on: it re-arms it"
start_touchhost --wait-for-window ZEM
reg_import "[$touch_key]" '"MultiTouchDemo"=dword:00000001'
wait_for_line "$host_log" '  loaded .*\(no window "ZEM"\)$'
mark=$(line_count "$host_log")
start_zem
wait_for_line "$host_log" '  unloaded$' 10 "$mark"
expect_value "$touch_key" LockTouch "0,0,480,800"

step "a second instance exits with 0 and changes nothing"
reg_import "[$touch_key]" '"LockTouch"="1,2,3,4"'
wait_for_line "$host_log" '  LockTouch "1,2,3,4"$'
mark=$(line_count "$host_log")
start_program second "$E2E_ZEM"
wait_for_exit second "$last_pid" 20
# Anything the second instance wrote reaches the host before this marker.
reg_import "[$touch_key]" '"LockTouch"="5,6,7,8"'
wait_for_line "$host_log" '  LockTouch "5,6,7,8"$' 10 "$mark"
[ "$(tail -n "+$((mark + 1))" "$host_log" | grep -c .)" -eq 1 ] ||
  { show_file "$host_log"; fail "the driver saw changes besides the marker"; }
kill -0 "$zem_pid" 2>/dev/null || fail "the first instance has ended"
probe window ZEM ZEM || fail "the first instance's window is gone"

step "Ctrl+Q ends ZEM: the switch goes off, then the whole screen passes"
mark=$(line_count "$host_log")
probe post ZEM ZEM 0x0111 40000 0 || fail "cannot post the command to ZEM"
wait_for_exit zem "$zem_pid" 20
expect_value "$touch_key" MultiTouchDemo 0x0
expect_value "$touch_key" LockTouch "0,0,480,800"
wait_for_line "$host_log" '  unloaded$' 10 "$mark"
# The driver reads the switch before the rectangle: seeing the rectangle
# change first would mean it was written first.
first=$(tail -n "+$((mark + 1))" "$host_log" | grep -E -m1 '  (switch 0|LockTouch "0,0,480,800")$')
[[ "$first" == *"switch 0" ]] || { show_file "$host_log"; fail "the rectangle was written first"; }
