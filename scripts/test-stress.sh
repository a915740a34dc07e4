#!/usr/bin/env bash
# Runs the Windows test suite (scripts/test-windows.sh) N times (default 3) with the machine as
# it is, then N times beside two busy processes (a "nice 0" loop per core), each test once per
# run with no retry of a failure, and prints a table per condition: test, attempts, failures.
# Exit status 1 when any test failed in any run.
# usage: scripts/test-stress.sh [N]
set -euo pipefail
cd "$(dirname "$0")/.."
root="$(pwd)"
runs="${1:-3}"
[[ "$runs" =~ ^[1-9][0-9]*$ ]] || { echo "usage: scripts/test-stress.sh [N]" >&2; exit 2; }
out="$root/build/windows/stress"
rm -rf "$out"
mkdir -p "$out"

busy_pids=()
stop_busy() {
  local pid
  for pid in "${busy_pids[@]}"; do kill "$pid" 2>/dev/null || true; done
  for pid in "${busy_pids[@]}"; do wait "$pid" 2>/dev/null || true; done
  busy_pids=()
}
trap stop_busy EXIT

# run_suite CONDITION: N runs, each writing a JUnit file of its own.
run_suite() {
  local condition="$1" i
  for i in $(seq 1 "$runs"); do
    echo "== $condition: run $i of $runs ($(uptime | sed 's/.*load/load/'))"
    KALMO_CTEST_ARGS="--output-junit $out/$condition-$i.xml ${KALMO_CTEST_ARGS:-}" \
      bash scripts/test-windows.sh >"$out/$condition-$i.log" 2>&1 || true
    grep -E '^ *[0-9]+/[0-9]+ Test .*\*\*\*|tests passed|tests failed' "$out/$condition-$i.log" || true
  done
}

run_suite idle
for _ in $(seq 1 "$(nproc)"); do
  nice -n 0 bash -c 'while :; do :; done' &
  busy_pids+=("$!")
done
run_suite busy
stop_busy

python3 - "$out" "$runs" <<'PY'
import glob, os, sys
import xml.etree.ElementTree as ET

out, runs = sys.argv[1], int(sys.argv[2])
failed_any = False
for condition in ("idle", "busy"):
    attempts, failures, retried = {}, {}, {}
    missing = 0
    for i in range(1, runs + 1):
        path = os.path.join(out, f"{condition}-{i}.xml")
        if not os.path.exists(path):
            missing += 1
            continue
        for case in ET.parse(path).getroot().iter("testcase"):
            name = case.get("name")
            if case.get("status") == "notrun" or case.find("skipped") is not None:
                continue
            attempts[name] = attempts.get(name, 0) + 1
            if case.find("failure") is not None or case.find("error") is not None:
                failures[name] = failures.get(name, 0) + 1
            text = "".join(e.text or "" for e in case.iter("system-out"))
            if "did not start; one more try" in text:
                retried[name] = retried.get(name, 0) + 1
    print(f"\n{condition}: {runs} run(s)" + (f", {missing} without results" if missing else ""))
    width = max([len(n) for n in attempts] + [4])
    print(f"{'test':<{width}}  attempts  failures")
    for name in sorted(attempts):
        note = f"  ({retried[name]} start(s) retried)" if name in retried else ""
        print(f"{name:<{width}}  {attempts[name]:>8}  {failures.get(name, 0):>8}{note}")
    total = sum(failures.values())
    print(f"{'total':<{width}}  {sum(attempts.values()):>8}  {total:>8}")
    failed_any = failed_any or total > 0 or missing > 0
sys.exit(1 if failed_any else 0)
PY
