#!/usr/bin/env bash
# ZEM.exe with the touch driver and two foreground programs: gestures bound
# to an arrow key, "closeapp" (and its black list), "learn", "nextapp" and a
# program with arguments; the gesture's picture on the screen.
# shellcheck source-path=SCRIPTDIR source=e2e_lib.sh
source "$(dirname "${BASH_SOURCE[0]}")/e2e_lib.sh"
start_group
# The test program under two names, at short paths (ZEM reads module paths
# of at most 99 characters).
mkdir -p "$WINEPREFIX/drive_c/apps" "$WINEPREFIX/drive_c/logs"
cp "$E2E_TESTAPP" "$WINEPREFIX/drive_c/apps/zem-testapp.exe"
cp "$E2E_TESTAPP" "$WINEPREFIX/drive_c/apps/zem-otherapp.exe"
alpha="$E2E_WORK/alpha.log"
beta="$E2E_WORK/beta.log"
launched="$WINEPREFIX/drive_c/logs/launched.log"
zem_key='HKEY_CURRENT_USER\Software\ZEM'

step "settings, the touch driver and two programs, Alpha in front"
reg_import "[$zem_key]" '"SwipeRightDouble"="right"' '"SwipeDownDouble"="closeapp"' \
  '"SwipeLeftDouble"="nextapp"' '"SwipeUpDouble"="learn"' '"ShowOverlay"=dword:00000fa0'
wine reg add "$zem_key" /v BlackListClose /t REG_MULTI_SZ /d 'C:\Apps\ZEM-TestApp.exe' /f \
  >/dev/null 2>&1 || fail "cannot write BlackListClose"
start_touchhost --wait-for-window ZEM
start_testapp beta Beta 'C:\apps\zem-otherapp.exe'
start_testapp alpha Alpha 'C:\apps\zem-testapp.exe'
start_zem

step "a two-finger swipe right bound to \"right\" delivers the right arrow key"
play swipe_right
wait_for_line "$alpha" '^keyup 39$'
grep -Fxq 'keydown 39' "$alpha" || fail "no key down 39 before the key up"

step "the gesture's picture is shown centred on the screen"
probe screen 120,280,240,240 4000 || fail "no picture at (120,280) 240 x 240"

step "\"closeapp\" leaves a program on BlackListClose open"
mark=$(line_count "$alpha")
play swipe_down
play swipe_right  # processed after the close request would have been
wait_for_line "$alpha" '^keyup 39$' 10 "$mark"
expect_no_line "$alpha" '^close$'

step "\"learn\", then the same gesture binds the program in front"
play swipe_up
play swipe_up
learned=""
for _ in $(seq 50); do
  learned=$(reg_value "$zem_key" SwipeUpDouble)
  [ "$learned" != learn ] && break
  sleep 0.2
done
[ "$learned" = 'c:\apps\zem-testapp.exe' ] || fail "SwipeUpDouble is \"$learned\""

step "\"nextapp\" brings the next program to the front"
mark=$(line_count "$beta")
play swipe_left
wait_for_line "$beta" '^activate$' 10 "$mark"
wait_for_line "$alpha" '^deactivate$' 10 "$(grep -n '^keyup 39$' "$alpha" | tail -1 | cut -d: -f1)"

step "a program binding with arguments starts the program with them"
reg_import "[$zem_key]" \
  '"SwipeUpDouble"="C:\\apps\\zem-otherapp.exe,--title Launched --log C:\\logs\\launched.log -x,y"'
play swipe_up
wait_for_line "$launched" '^ready$' 20
grep -Fxq 'arg 5 -x,y' "$launched" || { show_file "$launched"; fail "not started with -x,y"; }

step "\"closeapp\" closes the program in front"
wait_for_line "$launched" '^activate$'
play swipe_down
wait_for_line "$launched" '^close$'
wait_for_line "$launched" '^exit$'
