#!/usr/bin/env bash
# Runs a Windows program under Wine in Kalmo's own prefix (CTest's cross-compiling emulator).
# Prefix: $KALMO_WINEPREFIX, else "wineprefix" in the build tree holding the program (the first
# directory above it with a CMakeCache.txt), else build/wineprefix of the repository.
# The prefix is created and prepared on first use (scripts/wine-prefix.sh).
set -euo pipefail
here="$(cd "$(dirname "${BASH_SOURCE[0]}")" && pwd)"
export WINEDEBUG="${WINEDEBUG:--all}"

if [ -z "${KALMO_WINEPREFIX:-}" ]; then
  dir=""
  if [ $# -gt 0 ] && [ -e "$1" ]; then
    dir="$(cd "$(dirname "$1")" && pwd)"
    while [ "$dir" != "/" ] && [ ! -f "$dir/CMakeCache.txt" ]; do dir="$(dirname "$dir")"; done
    [ -f "$dir/CMakeCache.txt" ] || dir=""
  fi
  [ -n "$dir" ] || dir="$here/../build"
  KALMO_WINEPREFIX="$dir/wineprefix"
fi
export WINEPREFIX="$KALMO_WINEPREFIX"

bash "$here/wine-prefix.sh" "$WINEPREFIX"
# Keep the server for a while after the last program ends: each start then takes a fraction of
# a second instead of two (a server already running makes this a no-op). The prefix's
# background services are started by a program of their own with its output detached: they
# outlive the program and would otherwise hold its output open, and CTest waits for that.
exec 8>"$WINEPREFIX.server.lock"
flock 8
if wineserver -p30 </dev/null >/dev/null 2>&1; then
  wine cmd /c exit </dev/null >/dev/null 2>&1 || true
fi
flock -u 8
exec 8>&-
# A GUI test whose program did not start under Wine exits with 75 (tests/win32/gui/driver.h):
# that is no fault of the test, and it gets one more try. Any other failure is final.
status=0
wine "$@" || status=$?
if [ "$status" -eq 75 ]; then
  echo "wine-run.sh: the program under test did not start; one more try"
  status=0
  wine "$@" || status=$?
fi
exit "$status"
