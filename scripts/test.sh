#!/usr/bin/env bash
# Installs what is missing, builds and runs every test: native, sanitizer, fuzz smoke runs and
# the Windows program's tests under Wine.
set -euo pipefail
cd "$(dirname "$0")/.."
bash scripts/setup.sh
jobs=$(nproc)
failed=0
run() { echo "== $*"; "$@" || { echo "FAILED: $*"; failed=1; }; }

# The whole tree in the repository's format.
run bash -c 'git ls-files "*.cpp" "*.h" "*.c" | xargs clang-format --dry-run --Werror'
# A header and its source file are one unit; no two units may need each other.
run python3 scripts/include-cycles.py

run cmake --preset linux
run cmake --build --preset linux -j"$jobs"
run ctest --preset linux -j"$jobs"

run cmake --preset linux-asan
run cmake --build --preset linux-asan -j"$jobs"
run ctest --preset linux-asan -j"$jobs"

run cmake --preset fuzz
run cmake --build --preset fuzz -j"$jobs"
run bash scripts/fuzz-smoke.sh build/fuzz

run bash scripts/test-windows.sh

if [ "$failed" -ne 0 ]; then
  echo "some test steps failed"
  exit 1
fi
echo "all test steps passed"
