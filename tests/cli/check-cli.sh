#!/usr/bin/env bash
# Drives the real velmarin-cli from outside: each command once or twice, exit
# statuses, and the bytes it writes (standard output compared with the -o
# file, files read back). The rules behind the numbers are the core tests'.
# Usage: check-cli.sh CLI FIXTURES [RUNNER...]
#   RUNNER runs a Windows build (scripts/wine-run.sh); without it CLI is a
#   native program (its ports and send are check-cli-jack.sh's).
set -uo pipefail
cli=$1 fixtures=$2
shift 2
runner=("$@")
work=$(mktemp -d /tmp/velmarin-cli.XXXXXX)
trap 'rm -rf "$work"' EXIT
cd "$work" || exit 1
failures=0
fail() { echo "FAIL: $*"; failures=$((failures + 1)); }

# Runs the program with standard output in out, standard error in err and
# the exit status in $status.
run() {
  "${runner[@]}" "$cli" "$@" >out 2>err
  status=$?
}

# expect STATUS DESCRIPTION: checks $status, showing standard error on failure.
expect() {
  if [ "$status" -ne "$1" ]; then
    fail "$2: exit status $status, expected $1"
    sed 's/^/  stderr: /' err
  fi
}

# has FILE TEXT DESCRIPTION: FILE contains TEXT.
has() { grep -qF -- "$2" "$1" || fail "$3: '$2' not in $1: $(head -c 300 "$1")"; }

# same_bytes EXPECTED_TEXT FILE DESCRIPTION (printf escapes in EXPECTED_TEXT).
same_bytes() {
  printf -- "$1" >expected
  cmp -s expected "$2" || fail "$3: got $(od -An -c "$2" | head -5)"
}

run --help
expect 0 "--help"
has out "usage: velmarin-cli COMMAND" "--help prints the usage on standard output"

run
expect 2 "no command"
has err "usage: velmarin-cli COMMAND" "a usage error prints the usage on standard error"

run build --temperament equal --format gs --parts 1 --bogus
expect 2 "unknown option"
# Standard error is text: its lines end in CR LF on Windows.
same_bytes "velmarin-cli: unknown option '--bogus' for build\\nTry 'velmarin-cli build --help'\\n" <(tr -d '\r' <err) \
  "a usage error: what is wrong and where to look, in two lines"

run build --help
expect 0 "build --help"
has out "  build SOURCE [FIT] --format F" "build --help shows build"
has out "  --division N" "build --help shows the options build takes"
grep -qE '^  (send|apply) |--port' out && fail "build --help shows what build does not take: $(cat out)"

# The version the build was given, as the window's version block and the
# release package's name take it.
version=$(sed -n 's/^#define VELMARIN_VERSION_TEXT "\(.*\)"$/\1/p' "$(dirname "$cli")/generated/version.h")
run --version
expect 0 "--version"
[ -n "$version" ] || fail "no version in $(dirname "$cli")/generated/version.h"
same_bytes "velmarin-cli $version\\n" out "--version"

run temperaments
expect 0 "temperaments"
[ "$(wc -l <out)" -eq 19 ] || fail "temperaments: $(wc -l <out) lines, expected 19"
same_bytes 'werckmeister3\tWerckmeister III\n' <(sed -n 5p out) "temperaments, fifth line"
same_bytes 'barnes\tBarnes\n' <(sed -n 19p out) "temperaments, last line"

# Werckmeister III on C: four fifths a quarter comma narrow, the rest pure;
# every third and beat rate from C4..B4 at A4 = 440 Hz.
run analyse --temperament werckmeister3
expect 0 "analyse"
same_bytes "$(printf '%s' \
  'fifth\tC\tG\t-5.87\t-1/4\t-2.65\n'\
  'fifth\tG\tD\t-5.87\t-1/4\t-3.97\n'\
  'fifth\tD\tA\t-5.87\t-1/4\t-2.97\n'\
  'fifth\tA\tE\t+0.00\t0\t+0.00\n'\
  'fifth\tE\tB\t+0.00\t0\t+0.00\n'\
  'fifth\tB\tF#\t-5.87\t-1/4\t-4.99\n'\
  'fifth\tF#\tC#\t+0.00\t0\t+0.00\n'\
  'fifth\tC#\tG#\t+0.00\t0\t+0.00\n'\
  'fifth\tG#\tD#\t+0.00\t0\t+0.00\n'\
  'fifth\tD#\tA#\t+0.00\t0\t+0.00\n'\
  'fifth\tA#\tF\t+0.00\t0\t+0.00\n'\
  'fifth\tF\tC\t+0.00\t0\t+0.00\n'\
  'third\tC\tE\t+3.91\t-\t+2.96\n'\
  'third\tC#\tF\t+21.51\t-\t+17.23\n'\
  'third\tD\tF#\t+9.78\t-\t+8.28\n'\
  'third\tD#\tG\t+15.64\t-\t+14.07\n'\
  'third\tE\tG#\t+15.64\t-\t+14.87\n'\
  'third\tF\tA\t+3.91\t-\t+3.94\n'\
  'third\tF#\tA#\t+21.51\t-\t+22.97\n'\
  'third\tG\tB\t+9.78\t-\t+11.07\n'\
  'third\tG#\tC\t+21.51\t-\t+25.84\n'\
  'third\tA\tC#\t+15.64\t-\t+19.83\n'\
  'third\tA#\tD\t+9.78\t-\t+13.17\n'\
  'third\tB\tD#\t+15.64\t-\t+22.31\n')" out "analyse of Werckmeister III"

run analyse --temperament werckmeister3 --sent
expect 0 "analyse --sent"
same_bytes 'fifth\tC\tG\t-5.96\t~\t-2.70\n' <(head -n 1 out) "analyse --sent: the rounded offsets"

run offsets --temperament werckmeister3
expect 0 "offsets"
same_bytes '0 -10 -8 -6 -10 -2 -12 -4 -8 -12 -4 -8\n' out "offsets of Werckmeister III on C"

run offsets --temperament werckmeister3 --tonic A --zero a --report
expect 0 "offsets --report"
has out "Exact" "the fit report's header"
[ "$(wc -l <out)" -eq 13 ] || fail "the fit report: $(wc -l <out) lines, expected 13"

run offsets --temperament equal --a4 415.3
expect 0 "offsets a semitone down"
has err "coarse tuning: -1 semitone" "the coarse tuning named on standard error"
same_bytes '0 0 0 0 0 0 0 0 0 0 0 0\n' out "the A4 shift in the coarse tuning"

run offsets --temperament werckmeister3 --a4 415 --report
expect 0 "the fit report at 415 Hz"
has out "Coarse tuning: -1 semitone" "the coarse tuning reported"

run build --temperament werckmeister3 --a4 415 --format gs --parts 1
expect 0 "build at 415 Hz"
has out "B0 65 00 B0 64 02 B0 06 3F B0 65 7F B0 64 7F" "the coarse tuning after the SysEx"

run offsets --temperament meantone-1/4 --format gm2-2byte
expect 0 "offsets in the 2-byte form"
has out "0 -23.95 -6.84" "two decimals where the form carries them"

run offsets --offsets "0,-5.38,0,0,0,0,0,0,0,0,0,0" --format gm2
expect 0 "decimals in a whole-cent form"
same_bytes '0 -5 0 0 0 0 0 0 0 0 0 0\n' out "whole numbers in the 1-byte form"

run offsets --offsets "0,-5.385,0,0,0,0,0,0,0,0,0,0"
expect 1 "three decimals"
has err "offset 2 has more than two decimals" "the item with too many decimals named"

run build --offsets "0,-99.5,0,0,0,0,0,0,0,0,0,0" --format gs --parts 1
expect 1 "an offset beyond the form's range"
has err "offset 2 lies beyond -64..63, the range of gs" "the range named"

run build --offsets "0,-99.5,0,0,0,0,0,0,0,0,0,100" --format gm2-2byte --parts 1
expect 1 "an offset beyond the 2-byte range"
has err "offset 12 lies beyond -100..99.99" "the 2-byte range named"

run offsets --temperament equal --a4 379
expect 1 "A4 below 380"
has err "380 and 480" "the A4 range named"

run offsets --temperament equal --a4 481
expect 1 "A4 out of range"
has err "380 and 480" "the A4 range named"

run offsets --scl "$fixtures/scl/bad_not_a_number.scl"
expect 1 "a bad scale file"
has err "bad_not_a_number.scl: Line 5" "the scale's file and line named"

run offsets --scl "$fixtures/scl/seven_note.scl"
expect 0 "a seven-note scale"
has err "reached by no degree" "unmapped pitch classes named"

# Keyboard tunings: 19-EDO linear from C4 (key 60); 31-EDO on twelve keys,
# which repeats every octave and so is twelve pitch classes (offsets by hand:
# (degree - 23) * 1200 / 31 - (pitch class - 9) * 100, rounded).
run offsets --scl "$fixtures/scl/19edo.scl"
expect 1 "offsets of a 19-note scale"
has err "mts-note or mts-bulk" "the forms that carry it named"
run keys --scl "$fixtures/scl/19edo.scl"
expect 0 "keys of 19-EDO"
[ "$(wc -l <out)" -eq 128 ] || fail "keys: $(wc -l <out) lines, expected 128"
same_bytes '60\t261.6256\t0.00\n' <(sed -n 61p out) "keys: C4"
same_bytes '79\t523.2511\t-700.00\n' <(sed -n 80p out) "keys: degree 19 an octave up"
run keys --scl "$fixtures/scl/19edo.scl" --kbm "$fixtures/kbm/white5.kbm"
expect 0 "keys with a map of x keys"
same_bytes '62\t-\t-\n' <(sed -n 63p out) "keys: an unmapped key"
run build --scl "$fixtures/scl/19edo.scl" --format gs --parts 1
expect 1 "GS refuses a keyboard tuning"
has err "give --format mts-note or mts-bulk" "the forms that can named"
run build --scl "$fixtures/scl/19edo.scl" --format mts-bulk --parts 1 -o bulk.syx
expect 0 "a keyboard tuning by bulk dump"
[ "$(wc -c <bulk.syx)" -eq 408 ] || fail "bulk dump: $(wc -c <bulk.syx) bytes, expected 408"
run read bulk.syx --keys
expect 0 "read --keys of a keyboard tuning"
same_bytes '79\t523.2511\t-700.00\n' <(sed -n 80p out) "read --keys: degree 19 an octave up"
run build --scl "$fixtures/scl/19edo.scl" --kbm "$fixtures/kbm/white5.kbm" --format mts-note --parts 1 -o note.mid
expect 0 "a keyboard map of x keys by single-note changes"
run read note.mid --keys
same_bytes '62\t-\t-\n' <(sed -n 63p out) "read --keys: a key left as it is"
run offsets --scl "$fixtures/scl/31edo.scl" --kbm "$fixtures/kbm/meantone31.kbm"
expect 0 "31-EDO on twelve keys"
same_bytes '10 -13 3 19 -3 13 -10 6 -16 0 16 -6\n' out "twelve pitch classes from a keyboard map"
# Two degrees on D (190 and 210 cents): the scale goes on the keys, one
# degree a key, and says so in one line. Key 61 plays degree 1: 261.6256 x
# 2^(190/1200) = 291.9734 Hz, 90 cents above C#4.
collide="$fixtures/scl/degrees_collide.scl"
run keys --scl "$collide"
expect 0 "keys of a scale whose degrees collide"
has err "degrees_collide.scl: degree 1 (line 4) and degree 2 (line 5) both fall on D, so the scale goes on the keys, one degree a key" \
  "the scale on the keys said"
[ "$(wc -l <err)" -eq 1 ] || fail "the scale on the keys: $(wc -l <err) lines on standard error, expected 1"
same_bytes '61\t291.9734\t90.00\n' <(sed -n 62p out) "keys: degree 1 on the next key"
run build --scl "$collide" --format mts-note --parts 1 -o collide.mid
expect 0 "a scale whose degrees collide by single-note changes"
run offsets --scl "$collide" --layout pitch-classes
expect 1 "--layout pitch-classes with two degrees on D"
has err "Scale degree 1 (line 4) and degree 2 (line 5) both fall on D." "the two degrees named"
# The just major scale, seven keys a period: key 67 its 2/1, 500 cents above G4.
run keys --scl "$fixtures/scl/seven_note.scl" --layout keys
expect 0 "--layout keys"
same_bytes '67\t523.2511\t500.00\n' <(sed -n 68p out) "keys: the period seven keys up"
printf '3\n0\n127\n60\n61\n440\n3\n0\nx\n' >bad.kbm
run keys --scl "$fixtures/scl/19edo.scl" --kbm bad.kbm
expect 1 "a reference key without a degree"
has err "bad.kbm: Line 5: the reference key is unmapped" "the map named, at the reference key's line"
# The top key reaches 7F 7F 7E: Bohlen-Pierce on keys 100..127 with key 127
# at 13000 Hz, 61.84 cents above its own pitch, is carried as it is; at
# 13300 Hz, past 7F 7F 7E, it is held there and named.
printf '0\n100\n127\n60\n127\n13000\n0\n' >top.kbm
run build --scl "$fixtures/scl/bohlen_pierce.scl" --kbm top.kbm --format mts-bulk --parts 1
expect 0 "key 127 above its own pitch"
has out "7F 4F 14" "key 127 at 127 + 10132/16384"
grep -q "held at a limit" err && fail "key 127 at 13000 Hz held: $(cat err)"
printf '0\n100\n127\n60\n127\n13300\n0\n' >top.kbm
run build --scl "$fixtures/scl/bohlen_pierce.scl" --kbm top.kbm --format mts-bulk --parts 1
expect 0 "key 127 beyond 7F 7F 7E"
tr -d '\r' <err | grep -qx "velmarin-cli: held at a limit (keys 0\.\.127): keys 127" ||
  fail "the top key held and named: $(cat err)"

# GS part 1 and 2, equal temperament: every data byte 40; checksums worked
# out by hand (block 11: 0x6F, block 12: 0x6E).
gs1='F0 41 10 42 12 40 11 40 40 40 40 40 40 40 40 40 40 40 40 40 6F F7'
gs2='F0 41 10 42 12 40 12 40 40 40 40 40 40 40 40 40 40 40 40 40 6E F7'
run build --temperament equal --format gs --parts 1-2
expect 0 "build to standard output"
same_bytes "$gs1\r\n$gs2" out "the hex listing on standard output (CR LF between lines, none at the end)"
cp out stdout.txt
run build --temperament equal --format gs --parts 2,1 -o listing.TXT
expect 0 "build -o .TXT"
cmp -s stdout.txt listing.TXT || fail "build -o .TXT differs from standard output"

run build --temperament werckmeister3 --format xg --parts 1,3-4,16 -o w.syx
expect 0 "build -o .syx"
[ "$(stat -c %s w.syx)" -eq $((4 * 12 * 9)) ] || fail "XG for four parts: $(stat -c %s w.syx) bytes"
run read w.syx
expect 0 "read .syx"
same_bytes 'format xg\nparts 1,3,4,16\noffsets 0 -10 -8 -6 -10 -2 -12 -4 -8 -12 -4 -8\n' out \
  "read back the .syx"

# A name outside every code page: ë is not in 932, 音律 not in 1252.
cp w.syx "Tëst 音律.syx"
run read "Tëst 音律.syx"
expect 0 "read a file named outside the code page"
same_bytes 'format xg\nparts 1,3,4,16\noffsets 0 -10 -8 -6 -10 -2 -12 -4 -8 -12 -4 -8\n' out \
  "read back the file named outside the code page"
run build --temperament werckmeister3 --format xg --parts 1,3-4,16 -o "Tëst 音律 2.syx"
expect 0 "build -o a name outside the code page"
cmp -s w.syx "Tëst 音律 2.syx" || fail "build -o a name outside the code page wrote other bytes"

run build --offsets "63,-64,0,1,-1,2,-2,3,-3,4,-4,5" --format gm2 --parts all --division 480 \
  --delta 10 -o m.mid
expect 0 "build -o .mid"
same_bytes 'MThd\0\0\0\6\0\0\0\1\1\340' <(head -c 14 m.mid) "the .mid header: format 0, one track, division 480"
run read m.mid
expect 0 "read .mid"
same_bytes 'format gm2\nparts 1,2,3,4,5,6,7,8,9,10,11,12,13,14,15,16\noffsets 63 -64 0 1 -1 2 -2 3 -3 4 -4 5\n' \
  out "read back the .mid"

# A key-based form: the program select follows the SysEx in the .mid and
# names the channels; a .syx holds the SysEx alone.
run build --offsets "63,-64,0,1,-1,2,-2,3,-3,4,-4,5" --format mts-note --program 9 --parts 3,5 -o n.mid
expect 0 "build --format mts-note -o .mid"
run read n.mid
expect 0 "read an mts-note .mid"
same_bytes 'format mts-note\nprogram 9\nparts 3,5\noffsets 63 -64 0 1 -1 2 -2 3 -3 4 -4 5\n' out \
  "read back the mts-note .mid"
run build --offsets "0,0,0,0,0,0,0,0,0,0,0,0" --format mts-bulk --parts 1 -o b.syx
expect 0 "build --format mts-bulk -o .syx"
[ "$(stat -c %s b.syx)" -eq 408 ] || fail "a bulk dump .syx: $(stat -c %s b.syx) bytes, not 408"

run build --temperament equal --format gs --parts 1 -o tuning.wav
expect 2 "build -o with an unknown extension"
[ -e tuning.wav ] && fail "a file was written for an unknown extension"

run build --temperament equal --format gs --parts 17
expect 1 "a part out of range"

run read "$fixtures/scl/seven_note.scl"
expect 2 "read given a .scl"

: >empty.syx
run read empty.syx
expect 1 "read a file without a tuning message"
has err "empty.syx" "the file named"

# apply, one case per exit status; where the tuning goes is the core tests'.
cp "$fixtures/song/gs_reset_notes_at_0.mid" song.mid
run apply song.mid --temperament werckmeister3 --format gs --parts 1
expect 0 "apply"
has out "song.mid -> song-tuned.mid: format 1, 3 tracks; 1 message in track 2 at 100 ms, after GS Reset at 0 ms;" \
  "apply's summary line"
run read song-tuned.mid
expect 0 "read back the tuned song"
has out "offsets 0 -10 -8 -6 -10 -2 -12 -4 -8 -12 -4 -8" "the tuning in the tuned song"
run apply song.mid --temperament werckmeister3 --pitch-bend -o bent.mid
expect 0 "apply with pitch bends"
has out "song.mid -> bent.mid: format 1, 3 tracks; pitch bend, range 3 semitones; channels 1, 2 retuned, 3, 4, 5, 6 borrowed; warning: 2 notes between a reset" \
  "the pitch-bend summary line"
run apply song.mid --scl "$fixtures/scl/19edo.scl" --pitch-bend -o bent19.mid
expect 0 "a keyboard tuning as pitch bends"
has out "song.mid -> bent19.mid: format 1, 3 tracks; pitch bend, range 3 semitones;" "its summary line"
run apply song.mid --temperament werckmeister3 --format mts-bulk --program 4 --parts 2,5 -o bulk.mid
expect 0 "apply a bulk dump"
run read bulk.mid
expect 0 "read back the song tuned by a bulk dump"
has out 'program 4' "the tuning program in the tuned song"
has out 'parts 2,5' "the channels its program select names"
mkdir tuned
run apply "$fixtures/song/damaged_chunk.mid" song.mid --temperament equal --format xg --parts all --out-dir tuned
expect 1 "apply with a damaged song among others"
has err "damaged_chunk.mid: byte 14: a chunk's length runs past the end of the file" "the damage named"
[ -s tuned/song.mid ] || fail "the good song was not written beside the damaged one"
run read "$fixtures/song/damaged_chunk.mid"
expect 1 "read a damaged MIDI file"
has err "damaged_chunk.mid: byte 14: a chunk's length runs past the end of the file" "read names the damage as apply does"
run read "$fixtures/song/wrapped.rmi"
expect 1 "read a wrapped song without a tuning"
has err "holds no scale-tuning message" "read takes a .rmi as a MIDI file"
# Two songs of one name: the second refused, the first's copy kept. The
# folder's name ends in 5C, the byte of "\", as the trail byte of a
# double-byte character in code page 932.
mkdir other 表
cp "$fixtures/song/no_reset.mid" other/song.mid
run apply song.mid other/song.mid --temperament equal --format xg --parts all --out-dir 表 --overwrite
expect 1 "apply --overwrite with two songs of one name into one folder"
has err "/song.mid: is the output of an earlier song" "the second song of the name refused"
[ "$(grep -c -- '->' out)" -eq 1 ] || fail "two songs reported written to one file: $(cat out)"
cmp -s 表/song.mid tuned/song.mid || fail "the tuned copy of the first song is not in 表 as it was written"
run apply song.mid other.mid --temperament equal --format gs --parts 1 -o one.mid
expect 2 "apply -o with two songs"
# Output that does not arrive is a failure of any command, said in one line.
for command in temperaments "offsets --temperament equal" "build --temperament equal --format gs --parts 1" \
    "read w.syx"; do
  # shellcheck disable=SC2086 # the command's words
  "${runner[@]}" "$cli" $command >/dev/full 2>err
  status=$?
  expect 1 "$command to a full device"
  has err "velmarin-cli: cannot write the output: " "$command: the lost output said"
  [ "$(wc -l <err)" -eq 1 ] || fail "$command: $(wc -l <err) lines on standard error, expected 1"
done
run build --temperament equal --format gs --parts 1 -o no-such-folder/w.syx
expect 1 "build -o into a missing folder"
has err "velmarin-cli: no-such-folder/w.syx: cannot be written: " "the file named"
grep -q "system error" err && fail "a bare error number instead of the system's text: $(cat err)"

# A file that cannot be read: named, with the system's reason, on one line.
for command in "offsets --scl missing.scl" "read missing.syx"; do
  # shellcheck disable=SC2086 # the command's words
  run $command
  expect 1 "$command"
  has err "velmarin-cli: missing.${command##*.}: cannot be opened: " "$command: the file and its reason named"
  [ "$(wc -l <err)" -eq 1 ] || fail "$command: $(wc -l <err) lines on standard error, expected 1"
  grep -q "system error" err && fail "$command: a bare error number instead of the system's text: $(cat err)"
done

# mts-esp loads MTS-ESP from where it is installed and nowhere else; with
# nothing there it names the place. (Under Wine: check-cli-mtsesp.sh.)
if [ ${#runner[@]} -eq 0 ] && [ ! -e /usr/local/lib/libMTS.so ]; then
  run mts-esp --temperament werckmeister3
  expect 1 "mts-esp without MTS-ESP installed"
  same_bytes 'velmarin-cli: MTS-ESP is not installed: /usr/local/lib/libMTS.so not found\n' err \
    "mts-esp names where the library belongs"
fi

if [ "$failures" -ne 0 ]; then
  echo "$failures check(s) failed"
  exit 1
fi
echo "velmarin-cli: all checks passed"
