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
socat_pid=""
sim_pid=""
late_pid=""
com12_pid=""
cleanup() {
  wineserver -k >/dev/null 2>&1 || true
  [ -n "$socat_pid" ] && kill "$socat_pid" 2>/dev/null || true
  [ -n "$sim_pid" ] && kill "$sim_pid" 2>/dev/null || true
  [ -n "$late_pid" ] && kill "$late_pid" 2>/dev/null || true
  [ -n "$com12_pid" ] && kill "$com12_pid" 2>/dev/null || true
  for pid in ${collect_pids:-}; do kill "$pid" 2>/dev/null || true; done
  kalmo_stop_xvfb
}
trap cleanup EXIT
kalmo_start_xvfb

jobs=$(nproc)
cmake --preset windows
bash scripts/wine-prefix.sh "$KALMO_WINEPREFIX"

# A null-modem pair of pseudo-terminals as COM3 and COM4 for the serial port tests. Wine reads
# the port mapping when its server starts.
if command -v socat >/dev/null 2>&1; then
  loop="$root/build/windows/serial-loop"
  mkdir -p "$loop"
  rm -f "$loop/a" "$loop/b"
  socat pty,raw,echo=0,link="$loop/a" pty,raw,echo=0,link="$loop/b" >/dev/null 2>&1 &
  socat_pid=$!
  for _ in $(seq 1 50); do [ -e "$loop/a" ] && [ -e "$loop/b" ] && break; sleep 0.1; done
  wine reg add 'HKLM\Software\Wine\Ports' /v COM3 /t REG_SZ /d "$loop/a" /f >/dev/null 2>&1
  wine reg add 'HKLM\Software\Wine\Ports' /v COM4 /t REG_SZ /d "$loop/b" /f >/dev/null 2>&1
  export KALMO_SERIAL_LOOP="COM3 COM4"
fi

# The simulated exchange on COM1 (a Linux program, built natively).
cmake --preset linux >/dev/null
cmake --build --preset linux -j"$jobs" --target exchange-sim
com1="$root/build/windows/com1-pty"
rm -f "$com1"
build/linux/src/sim/exchange-sim --link "$com1" >build/windows/exchange-sim.log 2>&1 &
sim_pid=$!
for _ in $(seq 1 50); do [ -e "$com1" ] && break; sleep 0.1; done
wine reg add 'HKLM\Software\Wine\Ports' /v COM1 /t REG_SZ /d "$com1" /f >/dev/null 2>&1
export KALMO_EXCHANGE_SIM=1
# A second exchange on COM2 whose reply to the third request comes past the deadline.
com2="$root/build/windows/com2-pty"
rm -f "$com2"
build/linux/src/sim/exchange-sim --link "$com2" --count 200 --seed 12 --delay 3:3.5 \
  >build/windows/late-exchange-sim.log 2>&1 &
late_pid=$!
for _ in $(seq 1 50); do [ -e "$com2" ] && break; sleep 0.1; done
wine reg add 'HKLM\Software\Wine\Ports' /v COM2 /t REG_SZ /d "$com2" /f >/dev/null 2>&1
export KALMO_LATE_EXCHANGE=1
# A third exchange with 37 records on COM12: Windows opens a port above COM9 only by its device
# name, and the port dialog offers it only when it looks for the ports the machine has.
com12="$root/build/windows/com12-pty"
rm -f "$com12"
build/linux/src/sim/exchange-sim --link "$com12" --count 37 --seed 24 \
  >build/windows/com12-exchange-sim.log 2>&1 &
com12_pid=$!
for _ in $(seq 1 50); do [ -e "$com12" ] && break; sleep 0.1; done
wine reg add 'HKLM\Software\Wine\Ports' /v COM12 /t REG_SZ /d "$com12" /f >/dev/null 2>&1
export KALMO_COM12_EXCHANGE=37
# Two exchanges that "Gebührendaten abholen" empties, so no other test reads them: COM5 with 25
# charge and 12 call records, COM6 whose empty reply to the third request ends the read early.
collect_pids=""
for exchange in "com5:collect-exchange-sim:--count 25 --calls 12 --seed 4" \
                "com6:collect-fault-exchange-sim:--count 25 --calls 0 --seed 4 --empty-reply 3"; do
  port="${exchange%%:*}"; rest="${exchange#*:}"; log="${rest%%:*}"; args="${rest#*:}"
  pty="$root/build/windows/$port-pty"
  rm -f "$pty"
  # shellcheck disable=SC2086
  build/linux/src/sim/exchange-sim --link "$pty" $args >"build/windows/$log.log" 2>&1 &
  collect_pids="$collect_pids $!"
  for _ in $(seq 1 50); do [ -e "$pty" ] && break; sleep 0.1; done
  wine reg add 'HKLM\Software\Wine\Ports' /v "${port^^}" /t REG_SZ /d "$pty" /f >/dev/null 2>&1
done
export KALMO_COLLECT_EXCHANGES=1
if [ -n "$socat_pid$sim_pid" ]; then
  # Wine reads the port mapping when its server starts.
  wineserver -k >/dev/null 2>&1 || true
  wineserver -w >/dev/null 2>&1 || true
fi

# One server for the whole run, with the prefix's background services started detached from
# any test's output.
wineserver -p </dev/null >/dev/null 2>&1 || true
wine cmd /c exit </dev/null >/dev/null 2>&1 || true
cmake --build --preset windows -j"$jobs"
# The installer and the zip, for the installer test.
cmake --build --preset windows --target dist
status=0
# Every test runs once: an assertion failure fails the run at the first try. Only a test whose
# program did not start under Wine is tried once more (scripts/wine-run.sh, exit code 75).
# KALMO_CTEST_ARGS narrows a run by hand, e.g. KALMO_CTEST_ARGS="-R SerialLoop".
# shellcheck disable=SC2086
ctest --preset windows -j"$jobs" ${KALMO_CTEST_ARGS:-} || status=$?
# The GUI tests leave screenshots of what they saw; PNG is easier to look at.
if command -v convert >/dev/null 2>&1; then
  for bmp in build/windows/screenshots/*.bmp; do
    [ -e "$bmp" ] && convert "$bmp" "${bmp%.bmp}.png" && rm -f "$bmp"
  done
fi
[ -d build/windows/screenshots ] && echo "screenshots: $root/build/windows/screenshots"
exit "$status"
