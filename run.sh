#!/usr/bin/env bash
# Builds Velmarin.exe (Windows x86_64, statically linked) and starts it under
# Wine on this display. Without a display, run it as: xvfb-run -a ./run.sh
# Installs what is missing on a fresh Debian 12 first.
set -euo pipefail
cd "$(dirname "$0")"

scripts/install-deps.sh
cmake -S . -B build/mingw -DCMAKE_TOOLCHAIN_FILE=cmake/mingw-w64-x86_64.cmake \
  -DCMAKE_BUILD_TYPE=Release >/dev/null
cmake --build build/mingw -j "$(nproc)" --target Velmarin

exe=build/mingw/Velmarin.exe
if [ -z "${DISPLAY:-}" ]; then
  echo "No display: start it as  xvfb-run -a ./run.sh" >&2
  exit 1
fi
# The program keeps Velmarin.ini and Preset.ini beside the executable.
export WINEPREFIX=${WINEPREFIX:-$HOME/.local/share/velmarin/wineprefix}
exec scripts/wine-run.sh "$exe"
