#!/usr/bin/env bash
# Runs a Windows test program that opens windows under Wine: on the X display
# when there is one (Xvfb), else in the given prefix, which has Wine's null
# graphics driver.
#   overlay_run.sh <null-driver prefix> <program> [arguments...]
set -euo pipefail
here=$(cd "$(dirname "${BASH_SOURCE[0]}")/../.." && pwd)
prefix="$1"
shift
if [ -z "${DISPLAY:-}" ]; then
  export ZEM_WINEPREFIX="$prefix"
fi
exec "$here/scripts/wine-run.sh" "$@"
