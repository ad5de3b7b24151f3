#!/usr/bin/env bash
# Installs the Debian 12 packages that building and testing need, only those
# that are missing; through sudo when not root. Also makes the Japanese
# locale that Wine needs for code page 932, and the American English one of
# the runs under code page 1252.
set -euo pipefail

packages=(
  cmake make g++ googletest libbenchmark-dev
  clang libclang-rt-14-dev
  g++-mingw-w64-x86-64-posix g++-mingw-w64-i686-posix mingw-w64-tools
  wine wine64 xvfb xauth x11-utils locales imagemagick zip fonts-ipafont-gothic
  chromium python3-mido python3-numpy timidity freepats fluidsynth fluid-soundfont-gm
  pkg-config librtmidi-dev jackd2 jack-tools libjack-jackd2-dev
)

as_root() {
  if [ "$(id -u)" -eq 0 ]; then "$@"; else sudo "$@"; fi
}

missing=()
for package in "${packages[@]}"; do
  status=$(dpkg-query -W -f='${Status}' "$package" 2>/dev/null || true)
  [ "$status" = "install ok installed" ] || missing+=("$package")
done
if [ ${#missing[@]} -gt 0 ]; then
  echo "Installing: ${missing[*]}"
  as_root apt-get update -qq
  # jackd2 asks whether to allow realtime priority; the tests run it without.
  echo 'jackd2 jackd/tweak_rt_limits boolean false' | as_root debconf-set-selections
  as_root env DEBIAN_FRONTEND=noninteractive apt-get install -y -qq --no-install-recommends \
    "${missing[@]}" >/dev/null
fi

make_locale() {
  local name=$1
  locale -a 2>/dev/null | grep -qi "^$name\.utf-\?8\$" && return
  echo "Generating the $name.UTF-8 locale"
  as_root sed -i "s/^# *\($name.UTF-8 UTF-8\)/\1/" /etc/locale.gen
  grep -q "^$name.UTF-8 UTF-8" /etc/locale.gen || echo "$name.UTF-8 UTF-8" | as_root tee -a /etc/locale.gen >/dev/null
  as_root locale-gen >/dev/null
}
make_locale ja_JP
make_locale en_US
