#!/usr/bin/env bash
# The touch-driver host with Quillon.dll and a stand-in main window (a
# zem-testapp with class and title "ZEM" that logs the touch messages): the
# library is loaded while the switch is on, attached afresh after a re-arm,
# withholds samples outside "LockTouch", and passed samples reach the
# program under the finger as mouse input.
# shellcheck source-path=SCRIPTDIR source=e2e_lib.sh
source "$(dirname "${BASH_SOURCE[0]}")/e2e_lib.sh"
start_group
touch_key='HKEY_LOCAL_MACHINE\HARDWARE\DEVICEMAP\TOUCH'
zem_log="$E2E_WORK/zem.log"
host_log="$E2E_WORK/host.log"

step "the host starts: it creates the volatile key with the switch off"
start_touchhost --wait-for-window ZEM
wait_for_line "$host_log" '  switch 0$'
expect_no_line "$host_log" '  loaded '

step "the stand-in main window"
start_testapp zem ZEM "$E2E_TESTAPP" --class ZEM

step "switching on loads the library, which finds the window"
reg_import "[$touch_key]" '"LockTouch"="0,0,480,400"' '"MultiTouchDemo"=dword:00000001'
wait_for_line "$host_log" '  loaded .*Quillon\.dll \(window "ZEM" present\)$'

step "a tap inside the rectangle is posted and passes as a click"
play tap_100_600
play tap_100_100
wait_for_line "$zem_log" '^mouseup 100,100$'
wait_for_line "$host_log" 'count 1 at 100,100 -> passed$'
wait_for_line "$host_log" 'count 1 at 100,600 -> withheld$'

step "a tap outside the rectangle is posted but withheld from the system"
expect_no_line "$zem_log" '^mousedown 100,600$'
grep -Fxq 'touch 0x00000001 0x02588064' "$zem_log" || fail "no touch message for (100,600)"
grep -Fxq 'touch 0x00000001 0x00648064' "$zem_log" || fail "no touch message for (100,100)"
[ "$(grep -c '^touchend$' "$zem_log")" -eq 2 ] || fail "expected two touch ends"

step "a re-arm attaches the library afresh, which reads the new rectangle"
mark=$(line_count "$host_log")
reg_import "[$touch_key]" '"LockTouch"="0,0,480,150"' '"MultiTouchDemo"=dword:00000000'
wait_for_line "$host_log" '  unloaded$' 10 "$mark"
reg_import "[$touch_key]" '"MultiTouchDemo"=dword:00000001'
wait_for_line "$host_log" '  loaded .*\(window "ZEM" present\)$' 10 "$mark"
clicks=$(line_count "$zem_log")
play tap_200_200
play tap_100_100
wait_for_line "$zem_log" '^mouseup 100,100$' 10 "$clicks"
expect_no_line "$zem_log" '^mousedown 200,200$' "$clicks"

step "switching off unloads the library"
mark=$(line_count "$host_log")
reg_import "[$touch_key]" '"MultiTouchDemo"=dword:00000000'
wait_for_line "$host_log" '  unloaded$' 10 "$mark"
