#!/usr/bin/env bash
# Builds the HTML help from its one source: every "<!-- seite: NAME.html -->" block of
# kalmo-hilfe.md becomes the page NAME.html in OUT_DIR, with the style sheet beside it. Fails
# when a page links to a page that the source does not have.
# usage: build-help.sh SOURCE.md OUT_DIR VERSION
set -euo pipefail
src="${1:?usage: build-help.sh SOURCE.md OUT_DIR VERSION}"
out="${2:?}"
version="${3:?}"
here="$(cd "$(dirname "$0")" && pwd)"
command -v cmark-gfm >/dev/null || { echo "build-help.sh: cmark-gfm is missing (scripts/setup.sh installs it)" >&2; exit 1; }

work="$(mktemp -d)"
trap 'rm -rf "$work"' EXIT
# One markdown file per page, named as the page.
awk -v dir="$work" '
  /^<!-- seite: [a-z0-9-]+\.html -->$/ { if (file) close(file); file = dir "/" $3 ".md"; next }
  file { print > file }
' "$src"
ls "$work"/*.md >/dev/null 2>&1 || { echo "build-help.sh: no pages in $src" >&2; exit 1; }

rm -rf "$out"
mkdir -p "$out"
cp "$here/hilfe.css" "$out/"
status=0
for md in "$work"/*.md; do
  page="$(basename "${md%.md}")"
  title="$(sed -n 's/^# //p' "$md" | head -n1)"
  [ -n "$title" ] || { echo "build-help.sh: $page has no '# ' title" >&2; status=1; }
  for target in $(grep -o '](\([a-z0-9-]*\.html\))' "$md" | sed 's/^](\(.*\))$/\1/' | sort -u); do
    [ -f "$work/$target.md" ] || { echo "build-help.sh: $page links to missing $target" >&2; status=1; }
  done
  {
    printf '<!DOCTYPE html>\n<html lang="de">\n<head>\n<meta charset="utf-8">\n'
    printf '<meta name="viewport" content="width=device-width, initial-scale=1">\n'
    printf '<title>%s – Kalmo-Hilfe</title>\n<link rel="stylesheet" href="hilfe.css">\n</head>\n<body>\n' "$title"
    printf '<nav><a href="index.html">Inhalt</a> · <a href="erste-schritte.html">Erste Schritte</a> · <a href="meldungen.html">Meldungen</a></nav>\n<main>\n'
    cmark-gfm --extension table "$md"
    printf '</main>\n<footer>Kalmo Gebührenauswertung %s</footer>\n</body>\n</html>\n' "$version"
  } >"$out/$page"
done
exit "$status"
