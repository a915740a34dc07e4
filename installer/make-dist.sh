#!/usr/bin/env bash
# Makes the installer kalmo-setup-VERSION.exe and the portable kalmo-VERSION-win64.zip from a
# Windows build tree.
# usage: make-dist.sh DIST_DIR VERSION KALMO32_EXE KALMO_EXE HELP_DIR WORK_DIR
set -euo pipefail
dist="${1:?usage: make-dist.sh DIST_DIR VERSION KALMO32_EXE KALMO_EXE HELP_DIR WORK_DIR}"
version="${2:?}"
kalmo32="${3:?}"
kalmo="${4:?}"
help="${5:?}"
work="${6:?}"
here="$(cd "$(dirname "$0")" && pwd)"
root="$(cd "$here/.." && pwd)"
command -v makensis >/dev/null || { echo "make-dist.sh: makensis is missing (scripts/setup.sh installs nsis)" >&2; exit 1; }

for f in "$kalmo32" "$kalmo" "$help/index.html"; do
  [ -f "$f" ] || { echo "make-dist.sh: $f is missing: build the windows preset first" >&2; exit 1; }
done

stage="$work/kalmo-$version"
rm -rf "$work"
mkdir -p "$stage/hilfe" "$dist"
cp "$kalmo32" "$kalmo" "$stage/"
cp "$help/"* "$stage/hilfe/"
x86_64-w64-mingw32-strip "$stage/"*.exe 2>/dev/null || true
cp "$root/src/win32/resources/kalmo.ico" "$work/kalmo.ico"
# The uninstaller deletes the pages by name, so a file of the user's in the help folder stays.
for page in "$stage/hilfe/"*.html; do
  printf '  Delete "$INSTDIR\\hilfe\\%s"\n' "$(basename "$page")"
done >"$work/uninstall-pages.nsh"

setup="$dist/kalmo-setup-$version.exe"
makensis -V2 -INPUTCHARSET UTF8 -DVERSION="$version" -DSTAGE="$stage" -DOUTFILE="$setup" \
  "$here/kalmo.nsi"

zip="$dist/kalmo-$version-win64.zip"
rm -f "$zip"
(cd "$work" && cmake -E tar cf "$zip" --format=zip "kalmo-$version")
echo "$setup"
echo "$zip"
