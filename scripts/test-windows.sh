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
ctest --preset windows -j"$jobs"
