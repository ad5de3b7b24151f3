#!/usr/bin/env bash
# Checks the hardening of a Windows executable: ASLR (dynamic base, high-entropy
# addresses, relocations present), DEP, no link timestamp, and imports from
# system DLLs only. Anything else must be loaded at run time from System32.
set -euo pipefail
exe="$1"
objdump=${OBJDUMP:-x86_64-w64-mingw32-objdump}
headers=$("$objdump" -p "$exe")
expected_flags="DYNAMIC_BASE NX_COMPAT"
# High-entropy addresses exist for 64-bit images (PE32+, magic 020b) only.
grep -q '^Magic[[:space:]]*020b' <<<"$headers" && expected_flags="$expected_flags HIGH_ENTROPY_VA"
failures=0
fail() { echo "FAIL: $*"; failures=$((failures + 1)); }

for flag in $expected_flags; do
  grep -q "^[[:space:]]*$flag\$" <<<"$headers" || fail "DllCharacteristics lacks $flag"
done
"$objdump" -h "$exe" | grep -q '\.reloc' || fail "no .reloc section: the image cannot be relocated"
grep -q 'Time/Date.*1970' <<<"$headers" || fail "the header carries a link timestamp"

# DLLs that Windows always loads from System32 (known DLLs and the
# common-controls assembly named by the manifest).
allowed='^(KERNEL32|USER32|GDI32|COMDLG32|SHELL32|ADVAPI32|COMCTL32|msvcrt)\.dll$'
imports=$(sed -n 's/^[[:space:]]*DLL Name: //p' <<<"$headers")
[ -n "$imports" ] || fail "no import table found"
while read -r dll; do
  [ -z "$dll" ] && continue
  grep -qiE "$allowed" <<<"$dll" || fail "imports $dll, which is not a system DLL"
done <<<"$imports"

echo "imports: $(tr '\n' ' ' <<<"$imports")"
if [ "$failures" -ne 0 ]; then
  echo "$failures check(s) failed"
  exit 1
fi
echo "PE hardening checks passed"
