#!/usr/bin/env bash
# Builds the release packages dist/Velmarin-<version>-win64.zip and -win32.zip,
# each holding Velmarin.exe, velmarin-cli.exe, the manuals Velmarin.html and
# Velmarin.en.html, and a read-me.
# The version is the one the build put into the program's version block
# (generated/version.h); fixed file times and no extra attributes make the
# archives reproducible. Installs what is missing on a fresh Debian 12 first.
set -euo pipefail
cd "$(dirname "$0")/.."
scripts/install-deps.sh
mkdir -p dist
for arch in x86_64 i686; do
  case $arch in x86_64) suffix=win64 ;; i686) suffix=win32 ;; esac
  build=build/release-$arch
  cmake -S . -B "$build" -DCMAKE_TOOLCHAIN_FILE="cmake/mingw-w64-$arch.cmake" \
    -DCMAKE_BUILD_TYPE=Release -DVELMARIN_TESTS=OFF >/dev/null
  cmake --build "$build" -j "$(nproc)" --target Velmarin velmarin-cli >/dev/null
  version=$(sed -n 's/^#define VELMARIN_VERSION_TEXT "\(.*\)"$/\1/p' "$build/generated/version.h")
  [ -n "$version" ] || { echo "no version in $build/generated/version.h" >&2; exit 1; }
  name=Velmarin-$version-$suffix
  stage=$build/package/$name
  rm -rf "$build/package" "dist/$name.zip"
  mkdir -p "$stage"
  cp "$build/Velmarin.exe" "$build/velmarin-cli.exe" help/Velmarin.html help/Velmarin.en.html res/README.txt "$stage/"
  touch -d '2026-01-01 00:00:00 UTC' "$stage" "$stage"/*
  (cd "$build/package" && TZ=UTC zip -X -D -q "$OLDPWD/dist/$name.zip" \
    "$name/Velmarin.exe" "$name/velmarin-cli.exe" "$name/Velmarin.html" \
    "$name/Velmarin.en.html" "$name/README.txt")
done
ls -l dist/*.zip
