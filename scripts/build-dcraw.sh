#!/usr/bin/env bash
# Cross-builds the raw photo converter dcraw.exe, which the program starts
# from its own directory, from Debian's source tarball pinned by checksum.
# It lands in a directory of its own under the dependency cache, keyed by
# the pin and this script; a warm run does nothing. Only what this script
# made is ever removed, and only its own scratch directory.
#
#   build-dcraw.sh               build when missing
#   build-dcraw.sh --print-path  print where dcraw.exe is (or will be)
set -euo pipefail

cache="${TYVORN_DEPS_CACHE:-${XDG_CACHE_HOME:-$HOME/.cache}/tyvorn-deps}"
# Not named mingw-* or build-*: the codec script clears those.
root="$cache/dcraw"

# source package | upstream version | sha256 of the .orig tarball
pin="dcraw|9.28|3929fe8734db7129431531322d76401517b700cc5bab06f4ba2cd2aa0e303a93"
IFS='|' read -r pkg ver sum <<<"$pin"

key=$( { echo "$pin"; cat "$0"; } | sha256sum | cut -c1-16)
out="$root/$key"
exe="$out/dcraw.exe"

if [ "${1:-}" = "--print-path" ]; then echo "$exe"; exit 0; fi
[ -f "$out/.complete" ] && exit 0

mkdir -p "$root/tarballs"
exec 8>"$root/.lock"
flock 8
# Another run may have finished while this one waited.
[ -f "$out/.complete" ] && exit 0

work=$(mktemp -d "$root/work.XXXXXX")
trap 'rm -rf "$work"' EXIT
log="$work/build.log"
fail() { echo "build-dcraw: $*" >&2; tail -n 30 "$log" >&2 2>/dev/null || true; exit 1; }

tarball="$root/tarballs/${pkg}_${ver}.orig.tar.gz"
if [ ! -f "$tarball" ]; then
  # Only the .orig tarball is needed; a missing .debian.tar in the pool is fine.
  (cd "$work" && apt-get source --download-only "$pkg" >>"$log" 2>&1) || true
  got=$(ls "$work/${pkg}_${ver}.orig.tar."* 2>/dev/null | head -n1 || true)
  if [ -z "$got" ]; then
    other=$(ls "$work/${pkg}_"*.orig.tar.* 2>/dev/null | head -n1 || true)
    [ -n "$other" ] && fail "expected $pkg $ver, Debian served $(basename "$other"); update the pin in $0"
    fail "could not fetch the source of $pkg $ver (are deb-src indices enabled? run scripts/setup.sh)"
  fi
  mv "$got" "$tarball"
fi
actual=$(sha256sum "$tarball" | cut -d' ' -f1)
[ "$actual" = "$sum" ] || fail "$(basename "$tarball"): checksum $actual, expected $sum"

echo "build-dcraw: cross-building dcraw $ver into $out"
tar -xzf "$tarball" -C "$work"
src=$(dirname "$(find "$work" -name dcraw.c | head -n1)")
[ -f "$src/dcraw.c" ] || fail "dcraw.c missing in $(basename "$tarball")"
# NODEPS: no JPEG and colour-profile support, which the program does not use.
# The source is not ours: its warnings go to the log, not to the build.
x86_64-w64-mingw32-gcc-posix -O2 -w -DNODEPS -o "$work/dcraw.exe" "$src/dcraw.c" \
  -static -lm -lws2_32 >>"$log" 2>&1 || fail "compiling dcraw.c failed"

# Appears whole or not at all.
mkdir "$work/stage"
cp "$work/dcraw.exe" "$work/stage/"
touch "$work/stage/.complete"
mv "$work/stage" "$out"
echo "build-dcraw: done"
