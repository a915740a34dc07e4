#!/usr/bin/env bash
# A short, bounded run of every fuzz target (the long runs are done by hand).
set -euo pipefail
dir=${1:-build/fuzz}
seconds=${FUZZ_SECONDS:-20}
status=0
for target in "$dir"/tests/fuzz/fuzz_*; do
  [ -x "$target" ] || continue
  name=$(basename "$target")
  corpus=$(mktemp -d)
  seeds="tests/fuzz/seeds/${name#fuzz_}"
  [ -d "$seeds" ] && cp -r "$seeds"/. "$corpus"/
  echo "-- $name (${seconds}s)"
  if ! "$target" -max_total_time="$seconds" -max_len=60000 -print_final_stats=0 "$corpus" \
        >"$corpus.log" 2>&1; then
    tail -40 "$corpus.log"
    status=1
  fi
  rm -rf "$corpus" "$corpus.log"
done
exit $status
