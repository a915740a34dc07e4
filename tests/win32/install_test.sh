#!/usr/bin/env bash
# The installer under Wine, in a Wine prefix of its own made afresh: silent install, the
# installed program starts, opens its help pages and writes its settings beside itself, and
# the silent uninstall removes the program but leaves what the user saved in its folder.
# usage: install_test.sh SETUP_EXE VERSION GUI_TESTS_EXE OPEN_RECORDER_EXE CHARGES.GDS BOOK.TLB WORK_DIR
set -euo pipefail
trap 'echo "install_test.sh: line $LINENO failed (status $?): $BASH_COMMAND"' ERR
setup="$1" version="$2" gui_tests="$3" recorder="$4" gds="$5" tlb="$6" work="$7"
[ -f "$setup" ] || { echo "no installer $setup: build the 'dist' target first"; exit 1; }
[ -n "${DISPLAY:-}" ] || { echo "no display (scripts/test-windows.sh starts Xvfb)"; exit 1; }
here="$(cd "$(dirname "$0")" && pwd)"
abs() { echo "$(cd "$(dirname "$1")" && pwd)/$(basename "$1")"; }
setup="$(abs "$setup")" gui_tests="$(abs "$gui_tests")" recorder="$(abs "$recorder")"
gds="$(abs "$gds")" tlb="$(abs "$tlb")"
mkdir -p "$work"
work="$(abs "$work")"

export WINEDEBUG=-all
export WINEPREFIX="$work/prefix"
cleanup() { wineserver -k >/dev/null 2>&1 || true; }
trap cleanup EXIT
wineserver -k >/dev/null 2>&1 || true
rm -rf "$work"
mkdir -p "$work"
failed=0
check() { # check DESCRIPTION COMMAND...
  local what="$1"
  shift
  if "$@"; then echo "ok: $what"; else echo "FAILED: $what"; failed=1; fi
}

t0=$(date +%s)
bash "$here/../../scripts/wine-prefix.sh" "$WINEPREFIX"
wineserver -p </dev/null >/dev/null 2>&1 || true
echo "fresh prefix: $(($(date +%s) - t0)) s"

# A recorder in place of the browser: every HTML page the program opens is written to a log.
cp "$recorder" "$work/open_recorder.exe"
rec="$(winepath -w "$work/open_recorder.exe")"
wine reg add 'HKLM\Software\Classes\.html' /ve /t REG_SZ /d htmlfile /f >/dev/null 2>&1
wine reg add 'HKLM\Software\Classes\htmlfile\shell\open\command' /ve /t REG_SZ \
  /d "\"$rec\" \"%1\"" /f >/dev/null 2>&1

wine "$setup" /S </dev/null >/dev/null 2>&1
appdata="$(winepath -u "$(wine cmd /c 'echo %LOCALAPPDATA%' 2>/dev/null | tr -d '\r')")"
startmenu="$(winepath -u "$(wine cmd /c 'echo %APPDATA%' 2>/dev/null | tr -d '\r')")/Microsoft/Windows/Start Menu/Programs"
inst="$appdata/Programs/Kalmo"
echo "installed into $inst"
for f in kalmo32.exe kalmo.exe uninstall.exe hilfe/index.html hilfe/hilfe.css hilfe/comport.html; do
  check "installed $f" test -f "$inst/$f"
done
check "Start-menu entry" test -f "$startmenu/Kalmo Gebührenauswertung.lnk"
uninstall_key='HKCU\Software\Microsoft\Windows\CurrentVersion\Uninstall\Kalmo'
check "uninstall entry names version $version" \
  sh -c "wine reg query '$uninstall_key' /v DisplayVersion 2>/dev/null | tr -d '\r' | grep -q 'REG_SZ *$version\$'"
check "kalmo --version prints $version" \
  sh -c "wine '$inst/kalmo.exe' --version 2>/dev/null | tr -d '\r' | grep -qx 'kalmo $version'"

# What the user keeps in the program's folder: a charge file saved there by the installed
# console program (with its export), a phonebook, and a journal.
cp "$gds" "$work/in.gds"
wine "$inst/kalmo.exe" save "$(winepath -w "$work/in.gds")" "$(winepath -w "$inst")\\MAERZ.GDS" </dev/null >/dev/null 2>&1
check "charge file saved into the program folder" test -s "$inst/MAERZ.GDS"
cp "$tlb" "$inst/FIRMA.TLB"
mkdir -p "$inst/Journal"
echo kept >"$inst/Journal/journal.txt"

# A program that did not start under Wine (exit code 75, tests/win32/gui/driver.h) is no fault
# of the test: one more try. Any other failure is final.
installed_program() {
  local try status
  for try in 1 2; do
    status=0
    env KALMO_INSTALLED_DIR="$(winepath -w "$inst")\\" KALMO_OPEN_LOG="$(winepath -w "$work/opened.txt")" \
      wine "$gui_tests" --gtest_filter='Installed.*' --gtest_brief=1 || status=$?
    { [ "$status" -eq 75 ] && [ "$try" -eq 1 ]; } || return "$status"
    echo "the installed program did not start; one more try"
  done
}
check "installed program: start, help pages, settings at exit" installed_program
check "settings file beside the program" test -f "$inst/Kalmo32.ini"

# The uninstaller runs on from a copy of itself: wait until every process of the prefix has
# ended, which a server kept alive (-p) would never tell.
wineserver -k >/dev/null 2>&1 || true
wine "$inst/uninstall.exe" /S </dev/null >/dev/null 2>&1
wineserver -w
for f in kalmo32.exe kalmo.exe uninstall.exe hilfe; do
  check "uninstall removed $f" test ! -e "$inst/$f"
done
check "uninstall removed the Start-menu entry" test ! -e "$startmenu/Kalmo Gebührenauswertung.lnk"
check "uninstall removed its registry entry" sh -c "! wine reg query '$uninstall_key' >/dev/null 2>&1"
for f in MAERZ.GDS MAERZ.ASC FIRMA.TLB Kalmo32.ini Journal/journal.txt; do
  check "uninstall kept $f" test -f "$inst/$f"
done
echo "installer test: $(($(date +%s) - t0)) s"
if [ "$failed" -eq 0 ]; then
  wineserver -k >/dev/null 2>&1 || true
  rm -rf "$work"
fi
exit "$failed"
