#!/usr/bin/env bash
# Runs a Windows test program under Wine with the winmm test double: the
# double goes into the system32 of a prefix of its own (so that no other
# suite's prefix gets it), and the process is started with winmm=n so that
# Wine loads it instead of its own winmm.
# Usage: run-midiout-wine.sh WINMM_DLL PREFIX PROGRAM [ARGS...]
set -euo pipefail
dll="$1" prefix="$2"
shift 2
scripts="$(cd "$(dirname "$0")/../../scripts" && pwd)"
export LANG=ja_JP.UTF-8 LC_ALL=ja_JP.UTF-8
export WINEDEBUG=-all
export WINEPREFIX="$prefix"
if [ ! -f "$WINEPREFIX/system.reg" ]; then
  "$scripts/wine-prefix.sh" "$WINEPREFIX"
fi
cp "$dll" "$WINEPREFIX/drive_c/windows/system32/winmm.dll"
export WINEDLLOVERRIDES="mscoree,mshtml=;winmm=n"
exec wine "$@"
