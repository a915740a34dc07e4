#!/usr/bin/env bash
# Creates and prepares a Wine prefix for Kalmo once: no Mono/Gecko prompts, no menu entries in
# the home directory, a fixed-pitch "Courier New", the dialog and caption fonts, a virtual
# desktop of 1000x740 (bare Xvfb has no window manager, so windows would have no title bars),
# .html files opened in the host's browser (the help pages), and two printers, "Kalmo A4" (the
# default) and "Kalmo Letter", whose jobs become PDF files in $KALMO_PRINT_DIR (default:
# "printed" beside the prefix).
# Safe to call from parallel test runs: the first caller prepares, the others wait.
set -euo pipefail
prefix="${1:?usage: wine-prefix.sh PREFIX}"
here="$(cd "$(dirname "${BASH_SOURCE[0]}")" && pwd)"
mkdir -p "$(dirname "$prefix")"
prefix="$(cd "$(dirname "$prefix")" && pwd)/$(basename "$prefix")"
stamp="$prefix/.kalmo-ready"
printer_stamp="$prefix/.kalmo-printer"
print_dir="${KALMO_PRINT_DIR:-$(dirname "$prefix")/printed}"
[ -f "$stamp" ] && [ -f "$printer_stamp" ] && exit 0

export WINEPREFIX="$prefix"
export WINEDEBUG="${WINEDEBUG:--all}"
export WINEDLLOVERRIDES="mscoree,mshtml=;winedbg.exe=d;winemenubuilder.exe=d"
exec 9>"$prefix.lock"
flock 9
[ -f "$stamp" ] && [ -f "$printer_stamp" ] && exit 0

# Wine's PostScript driver on a port whose jobs Wine hands to a shell command: no print server
# to start, nothing outside the prefix to configure, and each job a file of its own.
add_printers() {
  local drivers="$prefix/drive_c/windows/system32/spool/drivers/x64/3"
  local tool="$prefix/drive_c/windows/kalmo-add-printer.exe"
  mkdir -p "$drivers" "$print_dir"
  x86_64-w64-mingw32-gcc -O1 -o "$tool" "$here/printer/add-printer.c" -lwinspool
  local spool
  spool="|d='$print_dir'; f=\"\$d/kalmo-\$(date +%Y%m%d-%H%M%S-%N)\"; "
  spool+="ps2pdf - \"\$f.part\" && mv \"\$f.part\" \"\$f.pdf\""
  wine reg add 'HKCU\Software\Wine\Printing\Spooler' /v KALMO: /t REG_SZ /d "$spool" /f \
    >/dev/null 2>&1
  local paper file
  for paper in Letter A4; do
    file="kalmo-$(echo "$paper" | tr 'A-Z' 'a-z').ppd"
    sed -e "s/@PAPER@/$paper/g" -e "s/@FILE@/$file/g" "$here/printer/kalmo.ppd.in" \
      >"$drivers/$file"
    wine "$tool" "Kalmo $paper" "Kalmo PostScript $paper" "$file" KALMO: \
      "$([ "$paper" = A4 ] && echo default)"
  done
}

if [ -f "$stamp" ]; then
  # A prefix made before it had printers gets them now.
  export WINEPREFIX="$prefix"
  add_printers
  wineserver -w
  touch "$printer_stamp"
  exit 0
fi

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
add_printers
wineserver -w
touch "$stamp" "$printer_stamp"
