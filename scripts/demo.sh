#!/usr/bin/env bash
# The main job: builds the programs and runs them on the bundled samples: the
# gesture recogniser over drawn and recorded strokes, then ZEM itself on the
# simulated phone, playing the example scenarios.
set -euo pipefail
cd "$(dirname "${BASH_SOURCE[0]}")/.."

scripts/bootstrap.sh
cmake --preset linux-release >/dev/null
cmake --build --preset linux-release -j "${ZEM_JOBS:-$(nproc)}" --target zem-recognize >/dev/null

recognize=build/linux-release/tools/recognize/zem-recognize

printf '\nStrokes drawn on the 480 x 800 screen (examples/strokes/screen.strokes):\n\n'
"$recognize" --table examples/strokes/screen.strokes

printf '\nRecorded human strokes, the first five of each sample file (tests/data/strokes):\n\n'
for f in tests/data/strokes/*.strokes; do
  head -n 5 "$f"
done | "$recognize" --table

# Scenarios: a phone described in a file, touches and events on a timeline,
# ZEM running on the simulated phone; each file checks its own expectations.
cmake --build --preset linux-release -j "${ZEM_JOBS:-$(nproc)}" --target zem_sim_tool >/dev/null
printf '\nScenarios on the simulated phone, with ZEM running (examples/*.scn):\n\n'
build/linux-release/tools/sim/zem-sim examples/*.scn

# ZEM on an X11 desktop: zem under Xvfb with matchbox-window-manager, a test
# application in front, a two-finger swipe right played from a trace instead
# of a panel. The swipe's picture appears over the application (its black cut
# away) and Right reaches the application; the screenshot is saved.
x11_demo() {
  local build=build/linux-release work shot=${ZEM_X11_SHOT:-docs/x11/zem_on_x11.png}
  cmake --build --preset linux-release -j "${ZEM_JOBS:-$(nproc)}" \
    --target zem zem_x11_test_app zem_x11_screenshot >/dev/null
  work=$(mktemp -d)
  mkdir -p "$work/config/zem" "$work/run" "$(dirname "$shot")"
  chmod 700 "$work/run"
  printf '%s\n' 'Windows Registry Editor Version 5.00' '' '[HKEY_CURRENT_USER\Software\ZEM]' \
    '"SwipeRightDouble"="right"' '"ShowOverlay"=dword:00000bb8' >"$work/config/zem/settings.reg"
  printf '%s\n' 'wait 2000' 'stroke 90,330 -> 372,318 and 96,430 -> 380,421 in 250' 'wait 500' \
    >"$work/swipe.trace"
  printf '\nzem on X11 (Xvfb, matchbox-window-manager), a swipe right from a trace:\n\n'
  XDG_CONFIG_HOME="$work/config" XDG_RUNTIME_DIR="$work/run" \
    xvfb-run -a -s '-screen 0 480x800x24 -noreset' sh -c '
      matchbox-window-manager -use_titlebar no -use_cursor no & wm=$!
      sleep 1
      "$1/tests/linux/x11/zem-x11-test-app" --title Notes --log "$2/app.log" & app=$!
      sleep 1
      "$1/src/platform/linux/app/zem" --touch-trace "$2/swipe.trace" 2>"$2/zem.log" & zem=$!
      "$1/tests/linux/x11/zem-x11-screenshot" --when-changed 240,400 --timeout 15000 "$3"
      status=$?
      sleep 1
      kill $zem $app $wm 2>/dev/null
      wait $zem 2>/dev/null
      exit $status' sh "$build" "$work" "$shot" || {
    echo "demo: the picture did not appear" >&2
    cat "$work/zem.log" >&2
  }
  sed 's/^/  /' "$work/zem.log"
  printf '  the application received: %s\n' "$(grep '^key' "$work/app.log" | tr '\n' ' ')"
  printf '  screenshot: %s\n' "$shot"
  rm -rf "$work"
}
x11_demo
