#!/usr/bin/env bash
# Redraws the two pictures of help pages in docs/ from the built help (run by hand after
# changing the help; needs Debian's chromium, which the test command does not install).
set -euo pipefail
cd "$(dirname "$0")/.."
command -v chromium >/dev/null || apt-get -o DPkg::Lock::Timeout=900 install -y chromium
cmake --preset linux >/dev/null
cmake --build --preset linux --target help_pages
help="$(pwd)/build/linux/help/hilfe"
shoot() { # shoot PAGE OUT.png HEIGHT
  chromium --headless=new --no-sandbox --disable-gpu --hide-scrollbars --force-device-scale-factor=1 \
    --window-size=860,"$3" --screenshot="$(pwd)/docs/$2" "file://$help/$1" 2>/dev/null
}
shoot erste-schritte.html help-erste-schritte.png 660
shoot filter.html help-filter.png 470
ls -l docs/help-*.png
