#!/usr/bin/env bash
# Checks a manual, help/Velmarin.html or the English help/Velmarin.en.html,
# as headless Chromium renders it.
# The browser is driven through its DevTools pipe (fd 3 in, fd 4 out, each
# message JSON ended by NUL), so no language beyond bash is needed. Checks:
# - it loads with no console error, no script exception and no request for
#   anything but the document itself (every host name is made unresolvable);
#   a picture is embedded in it as a data: URL;
# - charset UTF-8 (declared in the first 1024 bytes), lang="ja" (lang="en"
#   for a document named *.en.html), valid UTF-8;
# - every href is an in-page link to an existing id, ids are unique, and no
#   src, url(...) or @import refers outside the document;
# - at a phone's width (390 px) the page does not scroll sideways;
# - every GS message quoted has 22 bytes and a correct Roland checksum, every
#   XG message 9 bytes and every GM2 message 21 bytes;
# - every text marked class="ui" is a text of the resource script (by default
#   res/Velmarin.rc, res/Velmarin.en.rc for the English manual), and every
#   text of its dialogs and menu is explained.
# Usage: tests/help/check-help.sh [document] [resource script]
set -euo pipefail
export LC_ALL=C.UTF-8
root=$(cd "$(dirname "$0")/../.." && pwd)
doc=$(realpath "${1:-$root/help/Velmarin.html}")
case $doc in
  *.en.html) lang=en default_rc=$root/res/Velmarin.en.rc ;;
  *) lang=ja default_rc=$root/res/Velmarin.rc ;;
esac
rc=${2:-$default_rc}
browser=${CHROMIUM:-chromium}
command -v "$browser" >/dev/null || { echo "FAIL: $browser is not installed (apt-get install chromium)"; exit 1; }

failures=0
fail() { echo "FAIL: $*"; failures=$((failures + 1)); }

iconv -f UTF-8 -t UTF-8 "$doc" >/dev/null 2>&1 || fail "the document is not valid UTF-8"
head -c 1024 "$doc" | grep -qi '<meta charset="utf-8">' ||
  fail '<meta charset="utf-8"> is not within the first 1024 bytes'

# The texts the program shows, as a reader sees them: "保存(&F)" is shown as
# "保存(F)"; a menu item's "\t" separates its shortcut.
rc_text() { sed -e 's/(&\(.\))/(\1)/g' -e 's/&//g'; }
known=$(grep -o '"[^"]*"' "$rc" | tr -d '"' | sed 's/\\[tn]/\n/g' | rc_text | sort -u)
required=$(sed -n -E 's/^[[:space:]]*(PUSHBUTTON|DEFPUSHBUTTON|LTEXT|GROUPBOX|POPUP|MENUITEM|CAPTION)[[:space:]]+"([^"]+)".*/\2/p' "$rc" |
  sed 's/\\t.*//' | rc_text | grep -vE '^[A-G]#?:$' | sort -u)

work=$(mktemp -d /tmp/velmarin-help.XXXXXX)
pid=
cleanup() {
  [ -n "$pid" ] && kill "$pid" 2>/dev/null && wait "$pid" 2>/dev/null
  rm -rf "$work"
}
trap cleanup EXIT
mkfifo "$work/to-browser" "$work/from-browser"
"$browser" --headless --no-sandbox --disable-gpu --disable-quic --no-first-run \
  --disable-background-networking --disable-component-update --disable-sync \
  --user-data-dir="$work/profile" --host-resolver-rules='MAP * ~NOTFOUND' \
  --remote-debugging-pipe about:blank \
  3<"$work/to-browser" 4>"$work/from-browser" 2>"$work/browser.log" &
pid=$!
# Opened for reading and writing, so that neither open waits for the browser.
exec {to}<>"$work/to-browser"
exec {from}<>"$work/from-browser"

next_id=0
session=
events="$work/events"
: >"$events"
# call METHOD [PARAMS-JSON]: sends a command and leaves its answer in $reply;
# events that arrive meanwhile are kept in $events.
call() {
  next_id=$((next_id + 1))
  local target=${session:+\"sessionId\":\"$session\",} params=${2:-"{}"}
  printf '{"id":%d,%s"method":"%s","params":%s}\0' "$next_id" "$target" "$1" "$params" >&"$to"
  local message
  while IFS= read -r -d '' -t 30 -u "$from" message; do
    if [[ $message == "{\"id\":$next_id,"* ]]; then reply=$message; return 0; fi
    printf '%s\n' "$message" >>"$events"
  done
  echo "FAIL: no answer from the browser to $1"; tail -n 20 "$work/browser.log"; exit 1
}
# wait_event METHOD: reads until that event arrives.
wait_event() {
  grep -q "\"method\":\"$1\"" "$events" && return 0
  local message
  while IFS= read -r -d '' -t 30 -u "$from" message; do
    printf '%s\n' "$message" >>"$events"
    [[ $message == *"\"method\":\"$1\""* ]] && return 0
  done
  echo "FAIL: the browser never sent $1"; exit 1
}
field() { sed -n "s/.*\"$1\":\"\\([^\"]*\\)\".*/\\1/p" <<<"$reply"; }
json_string() { sed -e 's/\\/\\\\/g' -e 's/"/\\"/g' | awk '{ printf "%s\\n", $0 }'; }
# evaluate < JS: leaves the string value of the expression in $value.
evaluate() {
  call Runtime.evaluate "{\"expression\":\"$(json_string)\",\"returnByValue\":true}"
  value=$(sed -n 's/.*"value":"\(.*\)"}},"sessionId".*/\1/p' <<<"$reply")
  [ -n "$value" ] || [[ $reply == *'"value":""'* ]] || { echo "FAIL: evaluation failed: $reply"; exit 1; }
  value=${value//\\\"/\"}
  value=$(printf '%b' "${value//\\n/$'\n'}")
}

call Target.createTarget '{"url":"about:blank"}'
target=$(field targetId)
call Target.attachToTarget "{\"targetId\":\"$target\",\"flatten\":true}"
session=$(field sessionId)
for domain in Runtime Log Network Page; do call "$domain.enable"; done
url="file://$doc"
call Page.navigate "{\"url\":\"$url\"}"
wait_event Page.loadEventFired

evaluate <<JS
(() => {
  const out = [], d = document;
  if (d.characterSet !== 'UTF-8') out.push('FAIL the character set is ' + d.characterSet);
  if (d.documentElement.lang !== '$lang') out.push('FAIL lang is "' + d.documentElement.lang + '"');
  const seen = new Set();
  for (const e of d.querySelectorAll('[id]')) {
    if (seen.has(e.id)) out.push('FAIL the id "' + e.id + '" is used twice');
    seen.add(e.id);
  }
  for (const e of d.querySelectorAll('*')) {
    for (const a of e.attributes) {
      if (/^(xlink:)?href$/.test(a.name)) {
        if (!a.value.startsWith('#')) out.push('FAIL a link leaves the document: ' + a.value);
        else if (!d.getElementById(decodeURIComponent(a.value.slice(1))))
          out.push('FAIL a link points to a missing id: ' + a.value);
      } else if (/^(src|srcset|data|poster|action|formaction|background)$/.test(a.name) &&
                 !(a.name === 'src' && a.value.startsWith('data:image/'))) {
        out.push('FAIL an external resource: ' + e.tagName + ' ' + a.name + '=' + a.value);
      }
    }
  }
  const css = [...d.querySelectorAll('style')].map(s => s.textContent)
    .concat([...d.querySelectorAll('[style]')].map(e => e.getAttribute('style'))).join('\n');
  for (const m of css.matchAll(/@import[^;]*|url\(\s*['"]?(?!#|data:)[^)]*\)/gi))
    out.push('FAIL the style sheet refers outside the document: ' + m[0]);
  const text = d.body.innerText.replace(/\s+/g, ' ');
  const messages = (pattern, size, label) => {
    for (const m of text.matchAll(pattern)) {
      const bytes = m[0].split(' ').map(b => parseInt(b, 16));
      if (bytes.length !== size) out.push('FAIL a ' + label + ' message of ' + bytes.length + ' bytes: ' + m[0]);
      else if (label === 'GS' && bytes.slice(5, 21).reduce((s, b) => s + b, 0) % 128 !== 0)
        out.push('FAIL a GS message with a wrong checksum: ' + m[0]);
    }
  };
  messages(/F0 41 10 42 12(?: [0-9A-F]{2})+? F7/g, 22, 'GS');
  messages(/F0 43 10 4C(?: [0-9A-F]{2})+? F7/g, 9, 'XG');
  messages(/F0 7E 7F 08 08(?: [0-9A-F]{2})+? F7/g, 21, 'GM2');
  for (const e of d.querySelectorAll('.ui')) out.push('UI ' + e.textContent);
  return out.join('\n');
})()
JS
report=$value

while IFS= read -r line; do
  case $line in
    FAIL\ *) fail "${line#FAIL }" ;;
    UI\ *) ui=${line#UI }
      grep -qxF -- "$ui" <<<"$known" || fail "「$ui」 is no text of $(basename "$rc")" ;;
  esac
done <<<"$report"
marked=$(sed -n 's/^UI //p' <<<"$report" | sort -u)
while IFS= read -r text; do
  grep -qxF -- "$text" <<<"$marked" || fail "the manual never explains 「$text」 (as class=\"ui\")"
done <<<"$required"

call Emulation.setDeviceMetricsOverride '{"width":390,"height":844,"deviceScaleFactor":2,"mobile":true}'
evaluate <<<"innerWidth + ' ' + document.documentElement.scrollWidth"
read -r width page_width <<<"$value"
if [ "$width" != 390 ] || [ "$page_width" -gt 390 ]; then
  fail "at a phone's width of 390 px the page is laid out $page_width px wide in a $width px" \
    "viewport: the viewport meta is missing or something is wider than the screen"
fi

# Closing needs no answer; cleanup kills the browser if it lingers.
printf '{"id":%d,"method":"Browser.close","params":{}}\0' $((next_id + 1)) >&"$to"
for _ in $(seq 50); do kill -0 "$pid" 2>/dev/null || break; sleep 0.1; done

while IFS= read -r event; do
  case $event in
    *'"method":"Runtime.exceptionThrown"'*)
      fail "script exception: $(grep -o '"description":"[^"]*"' <<<"$event" | head -n 1)" ;;
    *'"method":"Runtime.consoleAPICalled"'*'"type":"error"'* | \
    *'"method":"Runtime.consoleAPICalled"'*'"type":"assert"'*)
      fail "console error: $(grep -o '"value":"[^"]*"' <<<"$event" | head -n 1)" ;;
    *'"method":"Log.entryAdded"'*'"level":"error"'*)
      fail "console error: $(grep -o '"text":"[^"]*"' <<<"$event" | head -n 1)" ;;
    *'"method":"Network.requestWillBeSent"'*)
      request=$(sed -n 's/.*"request":{"url":"\([^"]*\)".*/\1/p' <<<"$event")
      [ "$request" = "$url" ] || [[ $request == data:* ]] || fail "the page requested $request" ;;
  esac
done <"$events"

if [ "$failures" -ne 0 ]; then
  echo "$failures check(s) of the manual failed"
  exit 1
fi
echo "The manual passed: $(grep -c '"method":"Network.requestWillBeSent"' "$events") request(s)," \
  "$(grep -c '^UI ' <<<"$report") UI texts checked against $(basename "$rc")."
