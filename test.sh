#!/usr/bin/env bash
# Builds every target and runs every suite: the core tests natively, natively
# under AddressSanitizer and UndefinedBehaviorSanitizer, and as a Windows
# program under Wine; the end-to-end suite; a short fuzzing run; the benchmarks
# are run once for their figures. Installs what is missing on a fresh Debian 12
# first.
#
#   ./test.sh           everything (CI runs this)
#   ./test.sh --quick   the contributor's loop: the native build and core tests,
#                       then the Windows build and the Wine suites; no package
#                       installation, sanitizers, fuzzing, benchmarks, release
#                       packages or reproducibility check
set -euo pipefail
cd "$(dirname "$0")"
root=$(pwd)
jobs=$(nproc)
fuzz_seconds=${VELMARIN_FUZZ_SECONDS:-45}

quick=false
case "${1:-}" in
  --quick) quick=true ;;
  "") ;;
  *) echo "usage: ./test.sh [--quick]" >&2; exit 2 ;;
esac

step() { printf '\n=== %s ===\n' "$*"; }

$quick || scripts/install-deps.sh

step "native build and core tests"
cmake -S . -B build/native -DCMAKE_BUILD_TYPE=RelWithDebInfo -DVELMARIN_BENCHMARKS=ON >/dev/null
cmake --build build/native -j "$jobs"
(cd build/native && ctest --output-on-failure)

if ! $quick; then
  step "the manuals in headless Chromium"
  tests/help/check-help.sh
  tests/help/check-help.sh help/Velmarin.en.html

  step "native core tests under AddressSanitizer and UndefinedBehaviorSanitizer"
  cmake -S . -B build/sanitize -DCMAKE_BUILD_TYPE=Debug -DVELMARIN_SANITIZE=ON >/dev/null
  cmake --build build/sanitize -j "$jobs"
  (cd build/sanitize && ctest --output-on-failure)

  step "fuzzing the INI parser, the Scala scale and keyboard map readers, the tuning file reader, the song writer and the retuning engine for ${fuzz_seconds} s"
  CXX=clang++ cmake -S . -B build/fuzz -DCMAKE_BUILD_TYPE=RelWithDebInfo -DVELMARIN_TESTS=OFF \
    -DVELMARIN_FUZZ=ON >/dev/null
  cmake --build build/fuzz -j "$jobs"
  # The time is shared, so adding a fuzzer does not lengthen the run. The
  # fixtures seed each fuzzer; what it finds goes to a scratch folder.
  fuzz() {
    local fuzzer=$1 seconds=$2
    shift 2
    local corpus log
    corpus=$(mktemp -d /tmp/velmarin-corpus.XXXXXX)
    log="$corpus.log"
    if ! "build/fuzz/fuzz/$fuzzer" -max_total_time="$seconds" -max_len=65536 \
        -print_final_stats=1 "$corpus" "$@" >"$log" 2>&1; then
      tail -n 60 "$log"
      echo "$fuzzer found a failure."
      exit 1
    fi
    echo "$fuzzer:"
    grep -E '^(Done|stat::number_of_executed_units|stat::new_units_added)' "$log"
    rm -rf "$corpus" "$log"
  }
  fuzz_share=$(( (fuzz_seconds + 5) / 6 ))
  fuzz ini_fuzzer "$fuzz_share" tests/fixtures/ini
  fuzz scala_fuzzer "$fuzz_share" tests/fixtures/scl
  fuzz kbm_fuzzer "$fuzz_share" tests/fixtures/kbm
  fuzz tuning_file_fuzzer "$fuzz_share" tests/fixtures/tuning
  fuzz song_fuzzer "$fuzz_share" tests/fixtures/song
  fuzz retune_fuzzer "$fuzz_share"

  step "benchmarks (figures only, not a test)"
  build/native/bench/core_bench --benchmark_min_time=0.05
fi

step "Windows build (MinGW-w64, static)"
$quick && benchmarks=OFF || benchmarks=ON
cmake -S . -B build/mingw -DCMAKE_TOOLCHAIN_FILE=cmake/mingw-w64-x86_64.cmake \
  -DCMAKE_BUILD_TYPE=Release -DVELMARIN_BENCHMARKS=$benchmarks >/dev/null
cmake --build build/mingw -j "$jobs"
WINEPREFIX=$(mktemp -d /tmp/velmarin-wine.XXXXXX)
export WINEPREFIX
trap 'wineserver -k >/dev/null 2>&1 || true; rm -rf "$WINEPREFIX"' EXIT
scripts/wine-prefix.sh "$WINEPREFIX"

if ! $quick; then
  step "32-bit Windows build (compile-time check of pointer sizes) and release packages"
  cmake -S . -B build/win32 -DCMAKE_TOOLCHAIN_FILE=cmake/mingw-w64-i686.cmake \
    -DCMAKE_BUILD_TYPE=Release -DVELMARIN_TESTS=OFF >/dev/null
  cmake --build build/win32 -j "$jobs" --target Velmarin velmarin-cli
  OBJDUMP=i686-w64-mingw32-objdump tests/pe/check-pe.sh build/win32/Velmarin.exe
  OBJDUMP=i686-w64-mingw32-objdump tests/pe/check-pe.sh build/win32/velmarin-cli.exe
  scripts/package.sh
  # A second build of the same sources elsewhere must give the same bytes.
  cmake -S . -B build/reproduce -DCMAKE_TOOLCHAIN_FILE=cmake/mingw-w64-x86_64.cmake \
    -DCMAKE_BUILD_TYPE=Release -DVELMARIN_TESTS=OFF >/dev/null
  cmake --build build/reproduce -j "$jobs" --target Velmarin velmarin-cli
  cmp build/mingw/Velmarin.exe build/reproduce/Velmarin.exe
  cmp build/mingw/velmarin-cli.exe build/reproduce/velmarin-cli.exe
  echo "Velmarin.exe and velmarin-cli.exe are reproducible"

  step "figures of the running program under Wine (not a test)"
  xvfb-run -a -s "-screen 0 1280x1024x24" scripts/wine-run.sh build/mingw/bench/ui_bench.exe \
    "$root/build/mingw/Velmarin.exe" "$root/build/mingw/bench/trivial_dialog.exe" ||
    echo "(the figures could not be taken)"
  # Its processes belonged to that display. The server takes a moment to go,
  # and a program started meanwhile would lose its connection to it.
  wineserver -k >/dev/null 2>&1 || true
  wineserver -w >/dev/null 2>&1 || true
  # Wine's own winmm, then the winmm test double with 2 and 16 devices.
  scripts/wine-run.sh build/mingw/bench/midi_devices_bench.exe || echo "(no figures)"
  for devices in "Synth A|Synth B" "$(printf 'Synth %s|' {A..O})Synth P"; do
    VELMARIN_MIDI_DEVICES=$devices tests/mididouble/run-midiout-wine.sh build/mingw/tests/mididouble/winmm.dll \
      "$WINEPREFIX" build/mingw/bench/midi_devices_bench.exe || echo "(no figures)"
  done
fi

step "end-to-end and Windows tests under Wine"
# The end-to-end suite needs an X display; Xvfb gives it one.
(cd build/mingw && xvfb-run -a -s "-screen 0 1280x1024x24" ctest --output-on-failure)

echo
echo "All suites passed."
