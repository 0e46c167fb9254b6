#!/usr/bin/env bash
# The game-pad: shown by a gesture, it withholds touches on its buttons and
# turns them into key presses, lets touches in its pass-through rectangle
# reach the system, and hides on its exit button; the driver is re-armed
# each time and attaches the library afresh.
# shellcheck source-path=SCRIPTDIR source=e2e_lib.sh
source "$(dirname "${BASH_SOURCE[0]}")/e2e_lib.sh"
start_group
alpha="$E2E_WORK/alpha.log"
host_log="$E2E_WORK/host.log"

# wait_for_rearm LOCKTOUCH FROM: the host sees the new rectangle, then unloads
# and loads the library again.
wait_for_rearm() {
  wait_for_line "$host_log" "  LockTouch \"$1\"$" 10 "$2"
  local at
  at=$(grep -n "  LockTouch \"$1\"$" "$host_log" | tail -1 | cut -d: -f1)
  wait_for_line "$host_log" '  unloaded$' 10 "$at"
  wait_for_line "$host_log" '  loaded .*\(window "ZEM" present\)$' 10 "$at"
}

step "settings, the touch driver, a program in front and ZEM"
reg_import '[HKEY_CURRENT_USER\Software\ZEM]' '"SwipeDownDouble"="controller"'
start_touchhost --wait-for-window ZEM
start_testapp alpha Alpha
start_zem

step "the gesture bound to \"controller\" shows the portrait pad and re-arms the driver"
mark=$(line_count "$host_log")
play swipe_down
wait_for_rearm "0,0,480,460" "$mark"
probe screen 0,480,480,320 3000 || fail "no pad picture in the bottom 320 pixels"

step "a touch on a button becomes a key press and is withheld from the system"
clicks=$(line_count "$alpha")
play tap_330_520
wait_for_line "$alpha" '^keyup 96$' 10 "$clicks"
grep -Fxq 'keydown 96' "$alpha" || fail "no key down 96"

step "a touch in the pass-through rectangle reaches the system"
play tap_240_200
wait_for_line "$alpha" '^mouseup 240,200$' 10 "$clicks"
expect_no_line "$alpha" '^mousedown 330,520$' "$clicks"

step "the exit button hides the pad, the whole screen passes again"
mark=$(line_count "$host_log")
play tap_240_775
wait_for_rearm "0,0,480,800" "$mark"
probe screen nothing 3000 || fail "the pad picture is still on the screen"
keys=$(grep -c '^keydown' "$alpha")
play tap_330_520
wait_for_line "$alpha" '^mouseup 330,520$' 10 "$clicks"
[ "$(grep -c '^keydown' "$alpha")" -eq "$keys" ] || fail "a key press after the pad was hidden"
