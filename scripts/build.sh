#!/usr/bin/env bash
# Configures and builds one of the two builds:
#   build.sh win      Windows build (MinGW-w64) in build/win
#   build.sh native   platform-free libraries with sanitizers in build/native
set -euo pipefail
root="$(cd "$(dirname "${BASH_SOURCE[0]}")/.." && pwd)"
kind=${1:?usage: build.sh win|native}
case "$kind" in
  win)
    prefix=$("$root/scripts/build-deps.sh" --print-prefix)
    dcraw=$("$root/scripts/build-dcraw.sh" --print-path)
    cmake -S "$root" -B "$root/build/win" -G Ninja -DCMAKE_BUILD_TYPE=Release \
      -DCMAKE_TOOLCHAIN_FILE="$root/cmake/mingw-w64-x86_64.cmake" -DTYVORN_DEPS_PREFIX="$prefix" \
      -DTYVORN_DCRAW_EXE="$dcraw" >/dev/null
    ;;
  native)
    cmake -S "$root" -B "$root/build/native" -G Ninja -DCMAKE_BUILD_TYPE=RelWithDebInfo >/dev/null
    ;;
  *) echo "usage: build.sh win|native" >&2; exit 2 ;;
esac
cmake --build "$root/build/$kind"
