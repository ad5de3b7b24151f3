#!/usr/bin/env bash
# Runs a Windows program under Wine the way the tests expect: Japanese ANSI
# code page (932), or the locale VELMARIN_WINE_LANG names (en_US.UTF-8 for
# code page 1252), no Mono or Gecko prompts, no debug noise. Uses $WINEPREFIX
# when set (scripts/wine-prefix.sh makes a fresh one), else a private one.
set -euo pipefail
wine_lang=${VELMARIN_WINE_LANG:-ja_JP.UTF-8}
export LANG=$wine_lang LC_ALL=$wine_lang
export WINEDLLOVERRIDES="mscoree,mshtml="
export WINEDEBUG=-all
if [ -z "${WINEPREFIX:-}" ]; then
  WINEPREFIX="$(cd "$(dirname "$0")/.." && pwd)/build/wineprefix"
  export WINEPREFIX
fi
if [ ! -f "$WINEPREFIX/system.reg" ]; then
  "$(dirname "$0")/wine-prefix.sh" "$WINEPREFIX"
fi
exec wine "$@"
