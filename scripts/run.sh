#!/usr/bin/env bash
# Builds the Windows program and starts it under Wine, the way a user would see it.
#   - installs what is missing (as root), builds the windows preset;
#   - prepares a Wine prefix (build/windows/run-prefix, or $KALMO_WINEPREFIX) and installs the
#     program as C:\Kalmo\kalmo32.exe there (its settings file Kalmo32.ini lands beside it);
#   - starts the exchange simulator on COM1;
#   - starts Xvfb when there is no display, starts the program and takes a screenshot to
#     build/screenshots/main.png.
# With a display of your own the program stays open until you close it. Under Xvfb it is
# closed after the screenshot unless KALMO_KEEP=1 (then it runs until Enter is pressed).
set -euo pipefail
cd "$(dirname "$0")/.."
root="$(pwd)"
source scripts/xvfb-lib.sh

if [ "$(id -u)" = 0 ]; then bash scripts/setup.sh; fi
cmake --preset windows >/dev/null
cmake --build --preset windows -j"$(nproc)" --target kalmo32
# The simulated exchange is a Linux program.
cmake --preset linux >/dev/null
cmake --build --preset linux -j"$(nproc)" --target exchange-sim

export WINEDEBUG=-all
export WINEPREFIX="${KALMO_WINEPREFIX:-$root/build/windows/run-prefix}"
bash scripts/wine-prefix.sh "$WINEPREFIX"
install_dir="$WINEPREFIX/drive_c/Kalmo"
mkdir -p "$install_dir" build/screenshots
cp -f build/windows/src/win32/kalmo32.exe "$install_dir/"

sim_pid=""
started_xvfb=""
cleanup() {
  [ -n "$sim_pid" ] && kill "$sim_pid" 2>/dev/null || true
  if [ -n "$started_xvfb" ]; then
    wineserver -k >/dev/null 2>&1 || true
    kalmo_stop_xvfb
  fi
}
trap cleanup EXIT

# --- the exchange at the other end of COM1 ---------------------------------------------------
# The simulator creates a pseudo-terminal and links it to $WINEPREFIX/com1-pty; Wine's COM1 is
# mapped to that link in the registry, and the server restarted so that it takes the mapping.
rm -f "$WINEPREFIX/com1-pty"
build/linux/src/sim/exchange-sim --link "$WINEPREFIX/com1-pty" >build/screenshots/exchange-sim.log 2>&1 &
sim_pid=$!
for _ in $(seq 1 50); do [ -e "$WINEPREFIX/com1-pty" ] && break; sleep 0.1; done
wine reg add 'HKLM\Software\Wine\Ports' /v COM1 /t REG_SZ /d "$WINEPREFIX/com1-pty" /f >/dev/null 2>&1
wineserver -k >/dev/null 2>&1 || true
wineserver -w >/dev/null 2>&1 || true
echo "exchange simulator on COM1 ($WINEPREFIX/com1-pty), log build/screenshots/exchange-sim.log"

# --- the program -----------------------------------------------------------------------------
if [ -z "${DISPLAY:-}" ]; then
  kalmo_start_xvfb
  started_xvfb=1
fi
(cd "$install_dir" && exec wine kalmo32.exe) &
prog_pid=$!
if timeout 60 xdotool search --sync --name "Trelvik Geb" >/dev/null 2>&1; then
  sleep 2
  import -window root -display "$DISPLAY" build/screenshots/main.png
  echo "screenshot: $root/build/screenshots/main.png"
else
  echo "the main window did not appear within 60 s" >&2
fi
echo "program: C:\\Kalmo\\kalmo32.exe in $WINEPREFIX (settings: $install_dir/Kalmo32.ini)"

if [ -z "$started_xvfb" ]; then
  echo "close the program to end"
  wait "$prog_pid" || true
else
  if [ "${KALMO_KEEP:-0}" = 1 ]; then
    echo "running on $DISPLAY; press Enter to close it"
    read -r _ || true
  fi
  # Alt+F4 ends the program normally, so that it writes its settings file.
  xdotool key alt+F4 >/dev/null 2>&1 || true
  for _ in $(seq 1 100); do kill -0 "$prog_pid" 2>/dev/null || break; sleep 0.1; done
fi
