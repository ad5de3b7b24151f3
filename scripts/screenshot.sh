#!/usr/bin/env bash
# Makes docs/main-window.png: the main window with a sample tuning, in a Wine
# virtual desktop (so the caption is drawn) under Xvfb.
# Usage: scripts/screenshot.sh [build folder [output [menu command [list entry]]]]
#   e.g. scripts/screenshot.sh build/mingw /tmp/about.png 40014
#   The list entry is chosen in the temperament dialog (menu command 40041).
#   VELMARIN_SHOT_SIZE sets the desktop's size (default 608x520).
set -euo pipefail
cd "$(dirname "$0")/.."
build=${1:-build/mingw}
out=${2:-docs/main-window.png}
command=${3:-}
entry=${4:-}
[ -f "$build/Velmarin.exe" ] && [ -f "$build/tools/screenshot_driver.exe" ] || {
  echo "build Velmarin.exe and screenshot_driver.exe first (cmake --build $build)" >&2
  exit 1
}

work=$(mktemp -d /tmp/velmarin-shot.XXXXXX)
export WINEPREFIX="$work/prefix"
trap 'wineserver -k >/dev/null 2>&1 || true; rm -rf "$work"' EXIT
scripts/wine-prefix.sh "$WINEPREFIX"
cp "$build/Velmarin.exe" "$build/tools/screenshot_driver.exe" "$work/"
printf '[AppSetting]\r\nLeft=16\r\nTop=16\r\n' >"$work/Velmarin.ini"
printf '[Werckmeister-like]\r\n1=-10\r\n3=-6\r\n\r\n[Pythagorean]\r\n0=6\r\n' >"$work/Preset.ini"

size=${VELMARIN_SHOT_SIZE:-608x520}
xvfb-run -a -s "-screen 0 1024x768x24" bash -c "
  set -e
  cd '$work'
  ( '$PWD/scripts/wine-run.sh' explorer /desktop=velmarin,$size screenshot_driver.exe $command $entry >driver.log 2>&1 & )
  for _ in \$(seq 1 200); do grep -q ready driver.log 2>/dev/null && break; sleep 0.1; done
  grep -q ready driver.log
  sleep 0.5  # let the last repaint reach the screen
  import -window root -crop $size+0+0 +repage '$(realpath -m "$out")'
"
echo "wrote $out"
