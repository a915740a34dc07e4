#!/usr/bin/env bash
# Runs the dialog layout check (gui/dialog_layout.cpp) once per DPI given, with the Wine
# prefix's screen set to that scale (LogPixels, read by every process as it starts), and puts
# the prefix's own scale back afterwards, whatever happened.
#   dialog_layout.sh CHECKER.exe PROGRAM.exe DPI...
set -euo pipefail
here="$(cd "$(dirname "${BASH_SOURCE[0]}")" && pwd)"
checker="$1"
program="$2"
shift 2
if [ -z "${KALMO_WINEPREFIX:-}" ]; then
  dir="$(cd "$(dirname "$checker")" && pwd)"
  while [ "$dir" != "/" ] && [ ! -f "$dir/CMakeCache.txt" ]; do dir="$(dirname "$dir")"; done
  KALMO_WINEPREFIX="$dir/wineprefix"
fi
export KALMO_WINEPREFIX WINEPREFIX="$KALMO_WINEPREFIX" WINEDEBUG="${WINEDEBUG:--all}"
bash "$here/../../scripts/wine-prefix.sh" "$WINEPREFIX"

key='HKCU\Control Panel\Desktop'
old="$(wine reg query "$key" /v LogPixels 2>/dev/null | awk '/LogPixels/ {print $3}' | tr -d '\r' || true)"
restore() {
  if [ -n "$old" ]; then
    wine reg add "$key" /v LogPixels /t REG_DWORD /d "$((old))" /f
  else
    wine reg delete "$key" /v LogPixels /f
  fi >/dev/null 2>&1 || true
}
trap restore EXIT
status=0
for dpi in "$@"; do
  wine reg add "$key" /v LogPixels /t REG_DWORD /d "$dpi" /f >/dev/null 2>&1
  bash "$here/../../scripts/wine-run.sh" "$checker" "$program" "$dpi" || status=1
done
exit "$status"
