#!/usr/bin/env bash
# Installs what building, running and testing Kalmo need on a Debian machine (run as root).
set -euo pipefail
pkgs=(cmake python3 g++ make clang libclang-rt-14-dev libgtest-dev libgmock-dev libbenchmark-dev
      mingw-w64 wine64 wine xvfb socat imagemagick xdotool x11-utils clang-format
      ghostscript poppler-utils cmark-gfm nsis)
missing=()
for p in "${pkgs[@]}"; do
  dpkg -s "$p" >/dev/null 2>&1 || missing+=("$p")
done
if ((${#missing[@]})); then
  echo "installing: ${missing[*]}"
  export DEBIAN_FRONTEND=noninteractive
  apt-get update -qq
  apt-get install -y -qq "${missing[@]}" >/dev/null
fi
