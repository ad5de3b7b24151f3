#!/usr/bin/env bash
# The layer rule of the source tree, checked on the include lines:
#   src/base      includes nothing of the project but src/base;
#   src/midi      the MIDI wire format, includes nothing but src/base and
#                 itself; and no byte rule of the wire format (chunk names,
#                 the status and data bits, a channel message's kind, byte
#                 order, the framing of a SysEx) is written outside it;
#   the core      (src/base, src/midi, src/sysex, src/output, src/settings,
#                 src/tuning, src/midiout, src/midiin, src/play, src/song,
#                 src/mtsesp, src/retune) has no Windows header in
#                 any header file and includes nothing of the front ends
#                 (src/shell, src/ui, src/cli) in any file; Win32 calls sit in
#                 *_win.cpp files;
#   the window    (src/shell, src/ui) and the command line (src/cli) are two
#                 front ends on the core and never include each other;
#                 inside the window, src/shell is below src/ui and never
#                 includes it.
# Usage: check-layers.sh <src folder>. Prints every breach; exit 1 if any.
set -uo pipefail
src=${1:?usage: check-layers.sh <src folder>}
cd "$src" || exit 2
core_folders=(base midi sysex output settings tuning midiout midiin play song mtsesp retune)
windows_headers='windows\.h|windef\.h|winbase\.h|winuser\.h|mmsystem\.h|commctrl\.h|commdlg\.h|shellapi\.h'
breaches=0

breach() {
  echo "$1: $2"
  breaches=$((breaches + 1))
}

# Prints "file:line:text" for every #include line of the files given.
includes() { grep -HnE '^[[:space:]]*#[[:space:]]*include' "$@" 2>/dev/null; }

for folder in "${core_folders[@]}"; do
  [ -d "$folder" ] || continue
  while IFS= read -r line; do
    breach "${line%%:*}" "a core header includes a Windows header: ${line#*:*:}"
  done < <(includes "$folder"/*.h | grep -E "<($windows_headers)>" || true)
  while IFS= read -r line; do
    breach "${line%%:*}" "the core includes a front end: ${line#*:*:}"
  done < <(includes "$folder"/*.h "$folder"/*.cpp | grep -E '"(shell|ui|cli)/' || true)
done

while IFS= read -r line; do
  breach "${line%%:*}" "src/base includes another part of the project: ${line#*:*:}"
done < <(includes base/*.h base/*.cpp | grep -E '#[[:space:]]*include[[:space:]]*"' |
         grep -vE '"base/' || true)

if [ -d midi ]; then
  while IFS= read -r line; do
    breach "${line%%:*}" "src/midi includes more than src/base: ${line#*:*:}"
  done < <(includes midi/*.h midi/*.cpp | grep -E '#[[:space:]]*include[[:space:]]*"' |
           grep -vE '"(base|midi)/' || true)
fi

# A wire-format rule outside src/midi, on code lines (comments stripped).
wire_rules='"(MThd|MTrk|RIFF|RMID)"|& 0x80\b|[<>]=? 0x80\b|0x80 \||& 0xF0\) [!=]= 0x[89A-Ea-e]0|& 0xE0\)|<< 24 \||memchr\(.*(0xF7|kSysexEnd)|[!=]= 0xF[07]\b'
while IFS= read -r line; do
  breach "${line%%:*}" "a MIDI wire-format rule outside src/midi: ${line#*:*:}"
done < <(grep -HnE '' $(ls ./*/*.h ./*/*.cpp | grep -v '^\./midi/') 2>/dev/null |
         sed -E 's@//.*$@@' | grep -E "$wire_rules" || true)

if [ -d cli ]; then
  while IFS= read -r line; do
    breach "${line%%:*}" "the command line includes the window: ${line#*:*:}"
  done < <(includes cli/*.h cli/*.cpp | grep -E '"(shell|ui)/' || true)
fi
while IFS= read -r line; do
  breach "${line%%:*}" "the window includes the command line: ${line#*:*:}"
done < <(includes shell/*.h shell/*.cpp ui/*.h ui/*.cpp | grep -E '"cli/' || true)

while IFS= read -r line; do
  breach "${line%%:*}" "src/shell includes src/ui: ${line#*:*:}"
done < <(includes shell/*.h shell/*.cpp | grep -E '"ui/' || true)

if [ "$breaches" -ne 0 ]; then
  echo "$breaches breach(es) of the layer rule"
  exit 1
fi
echo "layers: no breach"
