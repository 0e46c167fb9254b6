#!/usr/bin/env bash
# Prepares the Wine prefix that every end-to-end test group copies:
#   prepare_prefix.sh <prefix directory>
# A prefix that is already prepared is kept.
set -euo pipefail
prefix="$1"
[ -f "$prefix/.zem-e2e-ready" ] && exit 0
rm -rf "$prefix"
mkdir -p "$prefix"
export WINEPREFIX="$prefix" WINEDEBUG=-all WINEDLLOVERRIDES="mscoree,mshtml=" WINEARCH=win64
wineboot -i >/dev/null 2>&1
# A crash ends the program with a non-zero status instead of a debugger or a dialog.
wine reg add 'HKCU\Software\Wine\WineDbg' /v ShowCrashDialog /t REG_DWORD /d 0 /f >/dev/null 2>&1
wine reg delete 'HKLM\Software\Microsoft\Windows NT\CurrentVersion\AeDebug' /v Debugger /f \
  >/dev/null 2>&1 || true
wineserver -w
touch "$prefix/.zem-e2e-ready"
