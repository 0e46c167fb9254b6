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
