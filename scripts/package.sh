#!/usr/bin/env bash
# Builds what a Windows user downloads: build/dist/kalmo-setup-<version>.exe (per-user
# installer) and build/dist/kalmo-<version>-win64.zip (the same files to unpack anywhere).
set -euo pipefail
cd "$(dirname "$0")/.."
bash scripts/setup.sh
cmake --preset windows
cmake --build --preset windows -j"$(nproc)" --target dist
