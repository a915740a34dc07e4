#!/usr/bin/env bash
# The whole late-reply sweep, run by hand (CI runs a few of its points): a read of 30 charge
# records, and one of 30 call records, from exchange-sim whose reply to one request (or to every
# request) comes D seconds late. Each point either brings exactly the exchange's records, or
# ends with a failure message and exit status 1; anything else is WRONG.
#   bench/late_reply_sweep.sh [KALMO [EXCHANGE_SIM]]
# Prints one table row per point: kind, which reply, delay, outcome, records, seconds.
set -uo pipefail
root="$(cd "$(dirname "$0")/.." && pwd)"
kalmo="${1:-$root/build/linux/kalmo}"
sim="${2:-$root/build/linux/src/sim/exchange-sim}"
work="$(mktemp -d)"
trap 'rm -rf "$work"; [ -n "${sim_pid:-}" ] && kill "$sim_pid" 2>/dev/null' EXIT
journal=()
"$kalmo" 2>&1 | grep -q -- '--journal' && journal=(--journal "$work/journal")

# Records of a charge file, or of the call list printed by read-calls, one per line, sorted.
records() { # kind file
  if [ "$1" = charges ]; then
    python3 -c 'import sys; d=open(sys.argv[1],"rb").read(); n=d[32]|d[33]<<8
print("\n".join(sorted(d[34+23*i:57+23*i].hex() for i in range(n))))' "$2"
  else
    sort "$2"
  fi
}

point() { # kind request delay
  local kind=$1 which=$2 delay=$3 out="$work/out" err="$work/err" got="$work/got" status
  rm -f "$out" "$err" "$got" "$work/link" "$work/got.GDS"
  local counts=(--count 30 --calls 0)
  [ "$kind" = calls ] && counts=(--count 0 --calls 30)
  "$sim" --link "$work/link" --unpaced "${counts[@]}" --seed 5 --delay "$which:$delay" \
    >/dev/null 2>&1 &
  sim_pid=$!
  for _ in $(seq 1 100); do [ -e "$work/link" ] && break; sleep 0.05; done
  local start=$SECONDS
  if [ "$kind" = charges ]; then
    "$kalmo" read-charges --port "$work/link" --out "$work/got.GDS" --yes "${journal[@]}" \
      >"$out" 2>"$err"
    status=$?
    [ -e "$work/got.GDS" ] && records charges "$work/got.GDS" >"$got" || : >"$got"
  else
    "$kalmo" read-calls --port "$work/link" "${journal[@]}" >"$out" 2>"$err"
    status=$?
    records calls "$out" >"$got"
  fi
  kill "$sim_pid" 2>/dev/null; wait "$sim_pid" 2>/dev/null; sim_pid=""
  local n verdict
  n=$(grep -c . "$got")
  if [ "$status" = 0 ] && cmp -s "$got" "$work/ref-$kind"; then
    verdict=exact
  elif [ "$status" != 0 ] && grep -q "antwortet nicht" "$err" &&
       [ -z "$(comm -23 "$got" "$work/ref-$kind")" ] && [ -z "$(uniq -d "$got")" ]; then
    verdict="failure reported"
  else
    verdict=WRONG
  fi
  printf '%-8s %-6s %5s s  %-17s %3s records  %3s s\n' "$kind" "$which" "$delay" "$verdict" \
    "$n" "$((SECONDS - start))"
}

for kind in charges calls; do
  # The reference: the same exchange without a fault.
  point "$kind" all 0 >/dev/null
  cp "$work/got" "$work/ref-$kind"
  for d in $(seq 0 0.25 6); do point "$kind" 3 "$d"; done
  for d in 1 2 2.5 2.9 3.1 3.5 5; do point "$kind" all "$d"; done
done
