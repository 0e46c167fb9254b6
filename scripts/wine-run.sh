#!/usr/bin/env bash
# Runs a Windows program under Wine in the project's private prefix, quietly,
# and passes its exit status on. Used as the cross build's test emulator.
set -euo pipefail
here=$(cd "$(dirname "${BASH_SOURCE[0]}")/.." && pwd)
export WINEPREFIX="${ZEM_WINEPREFIX:-$here/build/wineprefix}"
export WINEDEBUG="${WINEDEBUG:--all}"
export WINEDLLOVERRIDES="${WINEDLLOVERRIDES:-mscoree,mshtml=}"
export WINEARCH=win64
mkdir -p "$WINEPREFIX"
# Several test programs may start at once: one of them sets the prefix up.
exec 9>"$WINEPREFIX/.zem-setup.lock"
flock 9
if [ ! -f "$WINEPREFIX/.zem-configured" ]; then
  # A crash must end the program with a non-zero exit status (the exception
  # code), never start the debugger or open a dialog.
  wine reg add 'HKCU\Software\Wine\WineDbg' /v ShowCrashDialog /t REG_DWORD /d 0 /f >/dev/null 2>&1
  wine reg delete 'HKLM\Software\Microsoft\Windows NT\CurrentVersion\AeDebug' /v Debugger /f \
    >/dev/null 2>&1 || true
  touch "$WINEPREFIX/.zem-configured"
fi
flock -u 9
exec 9>&-
exec wine "$@"
