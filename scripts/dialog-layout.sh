#!/usr/bin/env bash
# Checks every dialog of the Windows program under Wine at 96, 144 and 192 dpi (or at the DPIs
# given): each control inside its dialog, none on top of another unless a group box holds it,
# no caption cut off. The test command checks 96 and 144 (test "dialog_layout"); this is the
# whole round, run by hand after a change to a dialog.
set -euo pipefail
cd "$(dirname "$0")/.."
root="$(pwd)"
source scripts/xvfb-lib.sh
export WINEDEBUG=-all
export KALMO_WINEPREFIX="${KALMO_WINEPREFIX:-$root/build/windows/wineprefix}"
# Wine's own programs end before the display they draw on goes.
trap 'WINEPREFIX="$KALMO_WINEPREFIX" wineserver -k >/dev/null 2>&1 || true; kalmo_stop_xvfb' EXIT
kalmo_start_xvfb
cmake --preset windows >/dev/null
cmake --build --preset windows -j2 --target kalmo32 dialog_layout
[ $# -gt 0 ] || set -- 96 144 192
bash tests/win32/dialog_layout.sh build/windows/tests/win32/dialog_layout.exe \
  build/windows/src/win32/kalmo32.exe "$@"
