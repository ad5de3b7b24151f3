#!/usr/bin/env bash
# Makes docs/help.png: the top of the manual help/Velmarin.html as headless
# Chromium shows it in a window 1000 px wide and 1400 px high.
# Usage: scripts/help-screenshot.sh [width [height [output]]]
#   e.g. scripts/help-screenshot.sh 390 844 /tmp/help-phone.png for a phone.
set -euo pipefail
cd "$(dirname "$0")/.."
width=${1:-1000}
height=${2:-1400}
out=$(realpath -m "${3:-docs/help.png}")
browser=${CHROMIUM:-chromium}
command -v "$browser" >/dev/null || { echo "$browser is not installed (apt-get install chromium)" >&2; exit 1; }

profile=$(mktemp -d /tmp/velmarin-help-shot.XXXXXX)
trap 'rm -rf "$profile"' EXIT
"$browser" --headless --no-sandbox --disable-gpu --disable-quic --no-first-run \
  --disable-background-networking --disable-component-update --disable-sync \
  --user-data-dir="$profile" --hide-scrollbars --window-size="$width,$height" \
  --screenshot="$out" "file://$PWD/help/Velmarin.html" 2>"$profile/log" ||
  { cat "$profile/log" >&2; exit 1; }
echo "wrote $out"
