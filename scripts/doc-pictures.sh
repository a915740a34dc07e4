#!/usr/bin/env bash
# Retakes the pictures of the Windows program in docs/ from the real program under Wine, at
# 144 dpi (150 %), in a Wine prefix of its own on a screen large enough for the main window at
# that scale: the main window, the system charge list and its filter, and printed-page.png, the
# first page of that list as the prefix's A4 printer printed it. Run by hand after a change to
# what they show; needs what scripts/setup.sh installs.
set -euo pipefail
cd "$(dirname "$0")/.."
root="$(pwd)"
source scripts/xvfb-lib.sh
unset DISPLAY
export KALMO_XVFB_SCREEN=1600x1200x24
trap 'wineserver -k >/dev/null 2>&1 || true; kalmo_stop_xvfb' EXIT
kalmo_start_xvfb
export WINEDEBUG=-all
export KALMO_WINEPREFIX="$root/build/windows/doc-prefix"
export WINEPREFIX="$KALMO_WINEPREFIX"
out="$root/build/windows/doc-pictures"
rm -rf "$out"
mkdir -p "$out"
cmake --preset windows >/dev/null
cmake --build --preset windows -j2 --target kalmo32 doc_pictures
bash scripts/wine-prefix.sh "$WINEPREFIX"
wine reg add 'HKCU\Control Panel\Desktop' /v LogPixels /t REG_DWORD /d 144 /f >/dev/null 2>&1
wine reg add 'HKCU\Software\Wine\Explorer\Desktops' /v Default /t REG_SZ /d 1500x1100 /f \
  >/dev/null 2>&1
# The desktop takes its size when it starts.
wineserver -k >/dev/null 2>&1 || true
wineserver -w >/dev/null 2>&1 || true
bash scripts/wine-run.sh build/windows/tests/win32/doc_pictures.exe "Z:$(echo "$out" | tr / '\\')"
convert "$out/main-window.bmp" docs/main-window-144dpi.png
convert "$out/charge-list.bmp" docs/charge-list-144dpi.png
convert "$out/filter.bmp" docs/filter-144dpi.png
pdftoppm -png -r 60 -f 1 -l 1 -singlefile "$out/printed-page.pdf" docs/printed-page
ls -l docs/*-144dpi.png docs/printed-page.png
