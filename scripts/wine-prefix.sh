#!/usr/bin/env bash
# Creates and prepares a Wine prefix for Kalmo once: no Mono/Gecko prompts, no menu entries in
# the home directory, a fixed-pitch "Courier New", the dialog and caption fonts, and a virtual
# desktop of 1000x740 (bare Xvfb has no window manager, so windows would have no title bars),
# and .html files opened in the host's browser (the help pages).
# Safe to call from parallel test runs: the first caller prepares, the others wait.
set -euo pipefail
prefix="${1:?usage: wine-prefix.sh PREFIX}"
mkdir -p "$(dirname "$prefix")"
prefix="$(cd "$(dirname "$prefix")" && pwd)/$(basename "$prefix")"
stamp="$prefix/.kalmo-ready"
[ -f "$stamp" ] && exit 0

export WINEPREFIX="$prefix"
export WINEDEBUG="${WINEDEBUG:--all}"
export WINEDLLOVERRIDES="mscoree,mshtml=;winedbg.exe=d;winemenubuilder.exe=d"
exec 9>"$prefix.lock"
flock 9
[ -f "$stamp" ] && exit 0

# A prefix without the stamp was interrupted while it was being made: start afresh.
if [ -d "$prefix" ]; then
  wineserver -k >/dev/null 2>&1 || true
  rm -rf "$prefix"
fi
wineboot -i >/dev/null 2>&1
reg="$(mktemp --suffix=.reg)"
trap 'rm -f "$reg"' EXIT
cat >"$reg" <<'REG'
REGEDIT4

[HKEY_CURRENT_USER\Software\Wine\Fonts\Replacements]
"Courier New"="Liberation Mono"

[HKEY_CURRENT_USER\Software\Wine\Explorer]
"Desktop"="Default"

[HKEY_CURRENT_USER\Software\Wine\Explorer\Desktops]
"Default"="1000x740"

; With mshtml switched off nothing opens .html files: hand the help pages to the host's browser.
[HKEY_LOCAL_MACHINE\Software\Classes\.html]
@="htmlfile"

[HKEY_LOCAL_MACHINE\Software\Classes\htmlfile\shell\open\command]
@="winebrowser.exe \"%1\""

[HKEY_CURRENT_USER\Software\Wine\DllOverrides]
"mscoree"=""
"mshtml"=""
"winemenubuilder.exe"=""
"winedbg.exe"=""
REG
wine regedit /S "$reg" >/dev/null 2>&1
fonts="$prefix/drive_c/windows/Fonts"
mkdir -p "$fonts"
for f in marlett tahoma tahomabd; do
  [ -f "/usr/share/wine/fonts/$f.ttf" ] && cp -f "/usr/share/wine/fonts/$f.ttf" "$fonts/"
done
wineserver -w
touch "$stamp"
