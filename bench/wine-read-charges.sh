#!/usr/bin/env bash
# Reads charge records from exchange-sim paced at 4800 bit/s through the Windows serial port under
# Wine: once with the console program (kalmo.exe read-charges --port COM1) and once from the File
# menu of kalmo32.exe. For each it compares the wall time with the time the bytes need on the
# line, and the CPU time of the program and of wineserver with the wall time.
#   bash bench/wine-read-charges.sh [--count N] [--char-gap MS] [--only cli|gui] [--no-build]
#                                   [--journal-in DIR]
# N defaults to 2000 (about 100 s of line time per run); 300 is a quick run. --char-gap makes the
# simulated exchange send each reply byte on its own, up to MS ms later than the line rate allows
# (a slow exchange); the wall time is then held against the time the simulator needed to send
# and receive, which is what the line allowed. Each read writes
# its journal, flushed to the disk before every block request; --journal-in puts the journals
# (and the Windows program's folder) into DIR instead of build/, e.g. /dev/shm to see what the
# disk's flushes cost ("turnaround" is the program's time from a reply to its next request,
# as the simulated exchange saw it). Runs in a Wine
# prefix of its own (build/windows/bench-wineprefix) with its own wineserver and, when there is
# no display, its own Xvfb. Exit status 0 when every run met its targets.
# The console run's figures cover the whole command (the charge list it prints included), less
# its start-up and exit where so stated; the Windows program's run is timed from the menu
# command to the transfer's final message. Both depend on what else the machine is doing.
set -euo pipefail
cd "$(dirname "$0")/.."
root="$(pwd)"
count=2000
only=""
char_gap=0
build=1
journal_in=""
while [ $# -gt 0 ]; do
  case "$1" in
    --count) count="$2"; shift 2 ;;
    --char-gap) char_gap="$2"; shift 2 ;;
    --only) only="$2"; shift 2 ;;
    --no-build) build=0; shift ;;
    --journal-in) journal_in="$2"; shift 2 ;;
    *) echo "usage: $0 [--count N] [--char-gap MS] [--only cli|gui] [--no-build] [--journal-in DIR]" >&2; exit 2 ;;
  esac
done

# Wall time at most this many times the line's busy time (once the program has started), CPU of the
# program and wineserver together at most this share of one core.
wall_target=1.02
cpu_target=0.02

if [ "$build" = 1 ]; then
  cmake --preset linux >/dev/null
  cmake --build --preset linux -j2 --target exchange-sim >/dev/null
  cmake --preset windows >/dev/null
  cmake --build --preset windows -j2 --target kalmo kalmo32 wine_gui_read >/dev/null
fi
sim="$root/build/linux/src/sim/exchange-sim"
# KALMO_EXE and KALMO32_EXE measure other builds of the programs (say, an earlier one).
kalmo_exe="${KALMO_EXE:-$root/build/windows/kalmo.exe}"
kalmo32_exe="${KALMO32_EXE:-$root/build/windows/src/win32/kalmo32.exe}"
driver="$root/build/windows/bench/wine_gui_read.exe"

export WINEDEBUG=-all
export WINEPREFIX="$root/build/windows/bench-wineprefix"
work="$root/build/windows/bench-read"
files="${journal_in:-$work}/kalmo-bench-files"
rm -rf "$files"
mkdir -p "$files"
mkdir -p "$work"
line="$work/com1"
source "$root/scripts/xvfb-lib.sh"
sim_pid=""
cleanup() {
  [ -n "$sim_pid" ] && kill "$sim_pid" 2>/dev/null || true
  wineserver -k >/dev/null 2>&1 || true
  kalmo_stop_xvfb
  # Journals in a folder of the caller's choice (a RAM disk, say) are not left there.
  [ -z "$journal_in" ] || rm -rf "$files"
}
trap cleanup EXIT

bash "$root/scripts/wine-prefix.sh" "$WINEPREFIX"
# COM1 is a fixed link that every exchange-sim run points at its own pseudo-terminal; Wine reads
# the mapping when its server starts, so the server is started afresh and kept for all runs.
wineserver -k >/dev/null 2>&1 || true
wineserver -w >/dev/null 2>&1 || true
wine reg add 'HKLM\Software\Wine\Ports' /v COM1 /t REG_SZ /d "$line" /f >/dev/null 2>&1
wineserver -k >/dev/null 2>&1 || true
wineserver -w >/dev/null 2>&1 || true
wineserver -p </dev/null >/dev/null 2>&1
wine cmd /c exit </dev/null >/dev/null 2>&1 || true

# CPU seconds (user + system) of a process so far.
cpu_of() {
  awk '{ print ($14 + $15) / 100 }' "/proc/$1/stat" 2>/dev/null || echo 0
}
# The Linux process of this prefix running the program named $1.
pid_in_prefix() {
  local p
  for p in /proc/[0-9]*; do
    [ "$(cat "$p/comm" 2>/dev/null)" = "$1" ] || continue
    { tr '\0' '\n' <"$p/environ"; } 2>/dev/null | grep -qx "WINEPREFIX=$WINEPREFIX" || continue
    basename "$p"
    return 0
  done
  return 1
}
server_pid="$(pid_in_prefix wineserver64 || pid_in_prefix wineserver)"

start_sim() {
  rm -f "$line"
  "$sim" --link "$line" --count "$count" --seed 4800 --char-gap "$char_gap" 2>"$work/sim.log" &
  sim_pid=$!
  for _ in $(seq 1 100); do [ -e "$line" ] && break; sleep 0.05; done
}
# Stops the simulated exchange and sets ideal_time to the ideal line time of what crossed the
# line (ten bit times per byte at 4800 bit/s, both directions: one side talks at a time) and
# line_time to how long the simulator was busy sending and receiving it, gaps included.
stop_sim() {
  kill "$sim_pid"
  wait "$sim_pid" || true
  sim_pid=""
  ideal_time=$(awk '/bytes in,/ { print ($2 + $5) * 10 / 4800 }' "$work/sim.log")
  line_time=$(awk '/line busy/ { print $(NF - 1) }' "$work/sim.log")
  # The program's own time between a reply and its next request, per request: where wall time
  # beyond the line time goes.
  turnaround=$(awk '/requests after a reply/ { if ($8 > 0) printf "%.1f ms per request (%d requests)", 1000 * $14 / $8, $8 }' "$work/sim.log")
}

to_win() { echo "Z:$1" | tr / '\\'; }
# Arithmetic on decimal figures.
calc() { awk "BEGIN { print $* }"; }
min() { if [ -z "$1" ]; then echo "$2"; else calc "($2 < $1) ? $2 : $1"; fi; }

failed=0
# name, records, wall, line time, CPU program, CPU wineserver, start-up wall, start-up CPU
report() {
  awk -v name="$1" -v records="$2" -v wall="$3" -v line="$4" -v cpu="$5" -v srv="$6" \
      -v start="$7" -v start_cpu="$8" -v count="$count" -v wt="$wall_target" \
      -v ct="$cpu_target" -v turn="$turnaround" -v ideal="$ideal_time" -v gap="$char_gap" 'BEGIN {
    net = wall - start
    printf "%s\n", name
    printf "  records received    %s of %s\n", records, count
    printf "  ideal line time     %.2f s\n", ideal
    printf "  line busy           %.2f s (reply bytes up to %s ms beyond the line rate)\n", line, gap
    printf "  wall time           %.2f s, %.2f s after start-up (%.4f x line busy, target <= %s)\n",
           wall, net, net / line, wt
    if (turn != "") printf "  turnaround          %s\n", turn
    printf "  CPU program         %.2f s (%.2f%% of one core)\n", cpu, 100 * cpu / wall
    printf "  CPU wineserver      %.2f s (%.2f%% of one core)\n", srv, 100 * srv / wall
    printf "  CPU together        %.2f%% of one core (target <= %.1f%%)", 100 * (cpu + srv) / wall,
           100 * ct
    if (start > 0)
      printf ", %.2f%% after start-up", 100 * (cpu + srv - start_cpu) / net
    printf "\n"
    exit !(records == count && net <= wt * line && cpu + srv <= ct * wall)
  }' || failed=1
}

if [ "$only" != gui ]; then
  # Start-up and exit of the console program alone (the best of three), for the figures after
  # start-up.
  TIMEFORMAT='%R %U %S'
  start=""
  start_cpu=""
  for _ in 1 2 3; do
    s0=$(cpu_of "$server_pid")
    times=$( { time wine "$kalmo_exe" >/dev/null 2>&1; } 2>&1 ) || true
    s1=$(cpu_of "$server_pid")
    read -r wall user sys <<<"$times"
    start=$(min "$start" "$wall")
    start_cpu=$(min "$start_cpu" "$(calc "$user + $sys + $s1 - $s0")")
  done
  start_sim
  # The whole command, the system charge list it prints after the transfer included.
  s0=$(cpu_of "$server_pid")
  times=$( { time wine "$kalmo_exe" read-charges --port COM1 --journal "$(to_win "$files/journal")" >"$work/cli.out" 2>"$work/cli.err"; } 2>&1 ) || true
  s1=$(cpu_of "$server_pid")
  stop_sim
  records=$(grep -ao ' [0-9]* Geb' "$work/cli.err" | grep -o '[0-9]*' | head -n 1 || true)
  read -r wall user sys <<<"$times"
  report "kalmo.exe read-charges --port COM1" "${records:-0}" "$wall" "$line_time" \
    "$(calc "$user + $sys")" "$(calc "$s1 - $s0")" "$start" "$start_cpu"
fi

if [ "$only" != cli ]; then
  kalmo_start_xvfb >/dev/null
  gui_dir="$files/gui"
  rm -rf "$gui_dir"
  mkdir -p "$gui_dir"
  start_sim
  coproc DRIVER { wine "$driver" "$(to_win "$kalmo32_exe")" "$(to_win "$gui_dir")\\" 2>"$work/gui.err"; }
  # Lines from a Windows program end in CR LF.
  read -r ready <&"${DRIVER[0]}" || ready=""
  ready="${ready%$'\r'}"
  if [ "$ready" != ready ]; then
    echo "kalmo32.exe did not start: $(cat "$work/gui.err")" >&2
    exit 1
  fi
  program_pid="$(pid_in_prefix kalmo32.exe)"
  p0=$(cpu_of "$program_pid")
  s0=$(cpu_of "$server_pid")
  echo go >&"${DRIVER[1]}"
  read -r done_word wall message <&"${DRIVER[0]}" || true
  message="${message%$'\r'}"
  p1=$(cpu_of "$program_pid")
  s1=$(cpu_of "$server_pid")
  echo ok >&"${DRIVER[1]}"
  read -r list_word list_wall <&"${DRIVER[0]}" || true
  list_wall="${list_wall%$'\r'}"
  echo quit >&"${DRIVER[1]}"
  wait "$DRIVER_PID" 2>/dev/null || true
  stop_sim
  records=$(echo "$message" | grep -ao '^[0-9]*' || true)
  report "kalmo32.exe, File menu, Gebührendaten lesen" "${records:-0}" "${wall:-0}" \
    "$line_time" "$(calc "$p1 - $p0")" "$(calc "$s1 - $s0")" 0 0
  echo "  OK to the final message until the charge list shows: ${list_wall:-?} s"
fi
exit "$failed"
