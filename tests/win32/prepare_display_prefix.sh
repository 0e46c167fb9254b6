#!/usr/bin/env bash
# Prepares a private Wine prefix in which top-level windows work without a
# display (Wine's null graphics driver), for the tests that create windows.
#   prepare_display_prefix.sh <prefix directory>
set -euo pipefail
prefix="$1"
here=$(cd "$(dirname "${BASH_SOURCE[0]}")/../.." && pwd)
if grep -qs '"Graphics"="null"' "$prefix/user.reg"; then
  exit 0
fi
ZEM_WINEPREFIX="$prefix" "$here/scripts/wine-run.sh" reg add 'HKCU\Software\Wine\Drivers' \
  /v Graphics /d null /f >/dev/null
# The driver is chosen when the prefix's server starts: let this one end.
WINEPREFIX="$prefix" wineserver -w
