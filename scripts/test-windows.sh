#!/usr/bin/env bash
# Builds the Windows program and its tests with MinGW-w64 and runs the tests under Wine, in a
# Wine prefix of their own under build/windows (prepared on first use), with Xvfb when there is
# no display.
set -euo pipefail
cd "$(dirname "$0")/.."
root="$(pwd)"
source scripts/xvfb-lib.sh

export WINEDEBUG=-all
export KALMO_WINEPREFIX="${KALMO_WINEPREFIX:-$root/build/windows/wineprefix}"
export WINEPREFIX="$KALMO_WINEPREFIX"
cleanup() {
  wineserver -k >/dev/null 2>&1 || true
  kalmo_stop_xvfb
}
trap cleanup EXIT
kalmo_start_xvfb

jobs=$(nproc)
cmake --preset windows
bash scripts/wine-prefix.sh "$KALMO_WINEPREFIX"
cmake --build --preset windows -j"$jobs"
status=0
ctest --preset windows -j"$jobs" || status=$?
# The GUI tests leave screenshots of what they saw; PNG is easier to look at.
if command -v convert >/dev/null 2>&1; then
  for bmp in build/windows/screenshots/*.bmp; do
    [ -e "$bmp" ] && convert "$bmp" "${bmp%.bmp}.png" && rm -f "$bmp"
  done
fi
[ -d build/windows/screenshots ] && echo "screenshots: $root/build/windows/screenshots"
exit "$status"
