#!/usr/bin/env bash
# Runs one end-to-end group on a virtual display of the touch panel's size
# (480 x 800), in a fresh work directory, ended by TERM after E2E_LIMIT
# seconds:  run_group.sh <group script>
set -euo pipefail
rm -rf "$E2E_WORK"
mkdir -p "$E2E_WORK"
exec xvfb-run -a -s '-screen 0 480x800x24 -nolisten tcp' timeout "$E2E_LIMIT" bash "$1"
