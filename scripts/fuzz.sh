#!/usr/bin/env bash
# Builds the libFuzzer targets with clang and runs one of them.
#   fuzz.sh                      list the targets
#   fuzz.sh NAME [libFuzzer args] e.g. fuzz.sh bmp_fuzz -runs=100000
set -euo pipefail
root="$(cd "$(dirname "${BASH_SOURCE[0]}")/.." && pwd)"
cmake -S "$root" -B "$root/build/fuzz" -G Ninja -DCMAKE_BUILD_TYPE=RelWithDebInfo -DTYVORN_FUZZ=ON \
  -DCMAKE_C_COMPILER=clang-14 -DCMAKE_CXX_COMPILER=clang++-14 >/dev/null
cmake --build "$root/build/fuzz"
if [ $# -eq 0 ]; then
  ls "$root/build/fuzz/tests/fuzz" | grep '_fuzz$' || echo "no fuzz targets"
  exit 0
fi
name=$1; shift
corpus="$root/build/fuzz/corpus/$name"
mkdir -p "$corpus"
seeds="$root/tests/fuzz/seeds/${name%_fuzz}"
[ -d "$seeds" ] && cp -n "$seeds"/* "$corpus"/ 2>/dev/null || true
# The PNG reader also starts from libpng's own test images (PngSuite, the
# colour-type series and the crashers) out of the source tarball that
# build-deps.sh fetched, so the fuzzer reaches past the header at once.
if [ "$name" = png_picture_fuzz ]; then
  tarballs="$(dirname "$("$root/scripts/build-deps.sh" --print-prefix)")/tarballs"
  libpng=$(ls "$tarballs"/libpng1.6_*.orig.tar.* 2>/dev/null | grep -v '\.asc$' | head -n1 || true)
  if [ -n "$libpng" ]; then
    tar -xf "$libpng" -C "$corpus" --wildcards --no-anchored --transform='s|.*/||' '*.png'
  else
    echo "fuzz.sh: no libpng source in $tarballs (run scripts/build-deps.sh); seeds of our own only" >&2
  fi
fi
"$root/build/fuzz/tests/fuzz/$name" "$corpus" "$@"
