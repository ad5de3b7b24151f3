#!/usr/bin/env bash
# Makes a fresh Wine prefix at $1 for tests: initialised once, no window
# manager waits (Managed=N), Japanese locale and fonts.
set -euo pipefail
prefix="$1"
export LANG=ja_JP.UTF-8 LC_ALL=ja_JP.UTF-8
export WINEDLLOVERRIDES="mscoree,mshtml="
export WINEDEBUG=-all
export WINEPREFIX="$prefix"
rm -rf "$prefix"
mkdir -p "$prefix"
wineboot -i >/dev/null 2>&1
wine reg add 'HKCU\Software\Wine\X11 Driver' /v Managed /t REG_SZ /d N /f >/dev/null 2>&1
# The dialogs name the Japanese system fonts; map them to the IPA fonts.
fonts='HKCU\Software\Wine\Fonts\Replacements'
wine reg add "$fonts" /v 'ＭＳ Ｐゴシック' /t REG_SZ /d 'IPAPGothic' /f >/dev/null 2>&1
wine reg add "$fonts" /v 'ＭＳ ゴシック' /t REG_SZ /d 'IPAGothic' /f >/dev/null 2>&1
wine reg add "$fonts" /v 'MS UI Gothic' /t REG_SZ /d 'IPAPGothic' /f >/dev/null 2>&1
wineserver -w
