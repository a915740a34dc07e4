#!/usr/bin/env bash
# The layout check run over its own planted faults (gui/bad_layouts.rc) at 144 dpi: it must
# fail, name each fault, and pass the sound dialog and the sound controls beside the faults.
#   dialog_layout_faults.sh CHECKER.exe
set -uo pipefail
here="$(cd "$(dirname "${BASH_SOURCE[0]}")" && pwd)"
# The captions are Windows-1252 bytes, the lines end in CR LF.
export LC_ALL=C
out="$(bash "$here/dialog_layout.sh" "$1" "$1" 144 | tr -d '\r')"
status=$?
printf '%s\n' "$out"
expect() {
  if ! grep -q -- "$1" <<<"$out"; then
    echo "MISSING: $1"
    failed=1
  fi
}
failed=0
[ "$status" -eq 1 ] || { echo "exit status $status, not 1"; failed=1; }
expect 'control 101 (Button "Einstellungen .*") cuts its caption'
expect 'control 103 (Button "Privatgespr.*") cuts its caption'
expect 'control 201 (Static "Tln") and control 202 (Edit "") overlap'
expect 'control 203 (Button "Gruppe") and control 204 (Button "OK") overlap'
expect 'control 301 (Button "OK") reaches out of the dialog'
expect '^SOUND at 144 dpi: .* ok$'
if grep -q 'control 102 \|control 40[0-9] ' <<<"$out"; then
  echo "a sound control was reported"
  failed=1
fi
exit "$failed"
