#!/usr/bin/env bash
# How long `kalmo collect` leaves between the last empty block of the exchange and its delete
# command: records that arrive in that window are lost, since a delete empties whole banks.
# Runs one collect of N charge records against a paced exchange-sim (4,800 bit/s) and times the
# simulator's trace lines as they come.
#   bench/collect_window.sh [N...]            (default: 30 2000)
# Prints per N: the whole collect, and the window up to each delete step.
set -euo pipefail
root="$(cd "$(dirname "$0")/.." && pwd)"
kalmo="${KALMO:-$root/build/linux/kalmo}"
sim="${EXCHANGE_SIM:-$root/build/linux/src/sim/exchange-sim}"
work="$(mktemp -d)"
trap 'rm -rf "$work"' EXIT
[ $# -gt 0 ] || set -- 30 2000
for n in "$@"; do
  rm -rf "$work/link" "$work/dir" "$work/trace"
  python3 - "$sim" "$kalmo" "$work" "$n" <<'PY'
import os, subprocess, sys, time
sim, kalmo, work, n = sys.argv[1:5]
link = os.path.join(work, "link")
p = subprocess.Popen([sim, "--link", link, "--count", n, "--calls", "0", "--trace"],
                     stderr=subprocess.PIPE, stdout=subprocess.DEVNULL, text=True)
while not os.path.exists(link):
    time.sleep(0.01)
start = time.monotonic()
c = subprocess.Popen([kalmo, "collect", "--port", link, "--dir", os.path.join(work, "dir"),
                      "--journal", os.path.join(work, "journal")],
                     stdout=subprocess.DEVNULL, stderr=subprocess.DEVNULL)
last_empty = step1 = step2 = None
for line in p.stderr:
    now = time.monotonic()
    if line.startswith("<-") and " len 4 type 0x" in line and ("0x0D" in line or "0x1D" in line):
        last_empty = now
    elif line.startswith("->") and "delete charges, step 1" in line:
        step1 = now
    elif line.startswith("->") and "delete charges, step 2" in line:
        step2 = now
        break
status = c.wait()
end = time.monotonic()
p.terminate()
p.wait()
if step1 is None or last_empty is None:
    print(f"{n} records: no delete (exit {status})")
else:
    print(f"{n} records: collect {end - start:.2f} s (exit {status}); last empty block to "
          f"delete step 1 {step1 - last_empty:.3f} s, to step 2 {step2 - last_empty:.3f} s")
PY
done
